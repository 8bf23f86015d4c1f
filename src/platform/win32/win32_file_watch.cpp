// The watch of the followed save on Windows: FindFirstChangeNotification on
// the save's folder. It does not say which file changed, so any change in the
// folder is a reason to look at the save's stamp (one cheap query); the
// message loop waits on the handle together with its messages.
#include "platform/win32/win32_file_watch.h"

#include <string>

namespace {

// Writes (the last-write time and the size move) and names (a file created,
// renamed or moved onto the save's name).
constexpr DWORD WATCHED_CHANGES =
    FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_FILE_NAME;

HANDLE watchHandle = nullptr;
bool fileChanged = false;

void endWatch() {
  if (watchHandle) FindCloseChangeNotification(watchHandle);
  watchHandle = nullptr;
  fileChanged = false;
}

// The folder part of a path, with either separator; "." for a bare name.
std::string folderOf(const char *name) {
  const char *end = nullptr;
  for (const char *c = name; *c; ++c) {
    if (*c == '\\' || *c == '/' || (*c == ':' && c == name + 1)) end = c;
  }
  if (!end) return ".";
  // Keep the separator of a root ("C:\", "\") so that it names the root.
  if (end == name || (end == name + 2 && name[1] == ':') || *end == ':') return std::string(name, end + 1);
  return std::string(name, end);
}

}  // namespace

bool win32WatchFile(const char *name) {
  endWatch();
  if (name[0] == '\0') return true;
  const HANDLE handle = FindFirstChangeNotificationA(folderOf(name).c_str(), FALSE, WATCHED_CHANGES);
  if (handle == INVALID_HANDLE_VALUE) return false;
  watchHandle = handle;
  return true;
}

bool win32TakeFileChange() {
  const bool changed = fileChanged;
  fileChanged = false;
  return changed;
}

HANDLE win32FileWatchHandle() { return watchHandle; }

void win32NoteFileWatchSignalled() {
  fileChanged = true;
  // A change that comes before the handle is armed again is kept by the
  // system and signals it at once; a handle that can no longer be armed (its
  // folder gone) is given up, and the periodic look is all that is left.
  if (watchHandle && !FindNextChangeNotification(watchHandle)) {
    FindCloseChangeNotification(watchHandle);
    watchHandle = nullptr;
  }
}
