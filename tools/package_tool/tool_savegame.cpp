// Reading a savegame for a package-tool command; see tool_savegame.h.
#include "package_tool/tool_savegame.h"

#include <cstdio>
#include <cstring>

#include "app/viewer_state.h"
#include "save/savegame.h"

void noteDroppedMarkers(const char *command, const SavegameMarkers &markers) {
  if (markers.packageTotal > markers.packageCount) {
    std::fprintf(stderr, "package-tool %s: the save holds %d packages; only the first %d are kept\n", command,
                 markers.packageTotal, markers.packageCount);
  }
  if (markers.rampageTotal > markers.rampageCount) {
    std::fprintf(stderr, "package-tool %s: the save holds %d rampages; only the first %d are kept\n", command,
                 markers.rampageTotal, markers.rampageCount);
  }
}

int loadToolSavegame(const char *command, const char *path) {
  if (std::strlen(path) >= sizeof viewerState.saveFileName) {
    std::fprintf(stderr, "package-tool %s: the savegame path is longer than %d bytes\n", command,
                 static_cast<int>(sizeof viewerState.saveFileName) - 1);
    return 2;
  }
  std::strcpy(viewerState.saveFileName, path);
  SavegameMarkers markers;
  const SavegameStatus status = readSavegameMarkers(path, &markers);
  if (status != SAVEGAME_READ) {
    showSavegameError(status);
    return 1;
  }
  noteDroppedMarkers(command, markers);
  adoptSavegameMarkers(markers);
  return 0;
}
