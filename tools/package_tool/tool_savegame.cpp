// Reading a savegame for a package-tool command; see tool_savegame.h.
#include "package_tool/tool_savegame.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/viewer_state.h"
#include "package_tool/tool_arguments.h"
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
  switch (status) {
    case SAVEGAME_READ:
      break;
    case SAVEGAME_OPEN_FAILED: {
      const std::string reason = unreadableReason(path);
      return fileFailure(path, reason.empty() ? "cannot be opened" : reason);
    }
    case SAVEGAME_DAMAGED:
      return fileFailure(path, "the savegame is truncated or damaged");
    case SAVEGAME_OUT_OF_MEMORY:
      return fileFailure(path, "not enough memory for the savegame's pickup table");
    case SAVEGAME_BUSY:
      return fileFailure(path, "another program is writing it: try again in a moment");
  }
  noteDroppedMarkers(command, markers);
  adoptSavegameMarkers(markers);
  return 0;
}

void noteNothingLeft(const char *command, const char *path, bool packages, bool rampages) {
  const bool left = (packages && viewerState.packageCount > 0) || (rampages && viewerState.rampageCount > 0);
  if (left) return;
  const char *what = packages && rampages ? "packages or rampages" : packages ? "packages" : "rampages";
  std::fprintf(stderr, "package-tool %s: %s: nothing is left: no %s to collect\n", command, path, what);
}
