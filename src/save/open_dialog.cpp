// The open-savegame dialog. The chooser itself belongs to the platform; this
// is what happens around it.
#include "save/open_dialog.h"

#include <cstdio>
#include <cstring>

#include "app/collected.h"
#include "app/collecting_route.h"
#include "app/viewer_state.h"
#include "platform/platform.h"
#include "app/status_line.h"
#include "save/live_reload.h"
#include "save/savegame.h"

namespace {

// Reads the save at path (260 bytes, the name zero-filled behind) and, only
// when it reads cleanly, makes it the shown and followed save: its 260 bytes
// go into destination (saveFileName), its markers into the lists, and its
// stamp, taken before the read, becomes the version shown. A save that does
// not read gets the reader's box and changes nothing at all: the save on
// screen stays the one followed.
bool openSave(const char *path, char *destination) {
  const FileStamp stamp = platformFileStamp(path);
  SavegameMarkers markers;
  const SavegameStatus status = readSavegameMarkers(path, &markers);
  if (status != SAVEGAME_READ) {
    showSavegameError(status);
    return false;
  }
  std::memcpy(destination, path, SAVE_PATH_SIZE);
  // A save named by the player ends the following of a folder.
  std::memset(viewerState.saveFolder, 0, SAVE_PATH_SIZE);
  showOpenedSave(markers, stamp);
  return true;
}

}  // namespace

void openSavegameDialog(char *destination) {
  // A fresh buffer every time, so the chooser never starts from the path
  // loaded before.
  char path[SAVE_PATH_SIZE];
  std::memset(path, 0, sizeof path);
  if (!platformChooseSavegame(path)) return;
  // A chooser that broke its contract and left no terminator must not make
  // the reader run off the end of the name.
  if (std::memchr(path, '\0', sizeof path) == nullptr || path[0] == '\0') return;
  openSave(path, destination);
}

namespace {

// The length of a save's path or name that fits in saveFileName; 0 for an
// empty one and, after a box, for one longer than 259 bytes.
size_t savePathLength(const char *path) {
  const size_t length = strnlen(path, SAVE_PATH_SIZE);
  if (length < static_cast<size_t>(SAVE_PATH_SIZE)) return length;
  showErrorBox(PATH_TOO_LONG, "Error !");
  return 0;
}

}  // namespace

void showOpenedSave(const SavegameMarkers &markers, const FileStamp &stamp) {
  forgetCollectedMarkers();  // opened afresh: the dialog, the command line, a drop or another slot
  adoptSavegameMarkers(markers);
  routeAfterOpen();
  watchSavegame(stamp);
}

bool openSavegameFile(const char *path) {
  const size_t length = savePathLength(path);
  if (length == 0) return false;
  if (platformIsFolder(path)) return openSaveFolder(path);
  char name[SAVE_PATH_SIZE];
  std::memset(name, 0, sizeof name);
  std::memcpy(name, path, length);
  return openSave(name, viewerState.saveFileName);
}

bool acceptChosenPath(const char *text, size_t length, char *path) {
  if (length > 0 && text[length - 1] == '\n') --length;
  if (length == 0 || length > static_cast<size_t>(SAVE_PATH_SIZE - 1)) return false;
  if (std::memchr(text, '\0', length) != nullptr) return false;
  std::memset(path, 0, SAVE_PATH_SIZE);
  std::memcpy(path, text, length);
  return true;
}

bool openSavegameBytes(const char *name, const unsigned char *bytes, size_t size) {
  const size_t length = savePathLength(name);
  if (length == 0 || !loadSavegameBytes(bytes, size)) return false;
  forgetCollectedMarkers();  // opened afresh: the browser's picker or a drop
  routeAfterOpen();
  std::memset(viewerState.saveFileName, 0, SAVE_PATH_SIZE);
  std::memcpy(viewerState.saveFileName, name, length);
  return true;
}

bool openSaveFolder(const char *folder) {
  const size_t length = savePathLength(folder);
  if (length == 0) return false;
  std::memset(viewerState.saveFolder, 0, SAVE_PATH_SIZE);
  std::memcpy(viewerState.saveFolder, folder, length);
  if (followNewestSave()) return true;
  // Until the folder has a save, its saves are watched for the first one;
  // whatever was shown stays, and is followed, until then.
  watchSaveFolder();
  char newest[SAVE_PATH_SIZE];
  if (!platformNewestSave(folder, newest, sizeof newest)) {
    char line[SAVE_PATH_SIZE + 64];
    std::snprintf(line, sizeof line, "%s%s", WAITING_FOR_FIRST_SAVE, folder);
    showStatusLine(line);
  }
  return false;
}
