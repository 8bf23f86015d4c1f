// The watch of the followed save on Windows: ReadDirectoryChangesW on the
// save's folder, one overlapped request at a time, whose event the message
// loop waits on beside its messages. The changes it reports name their files,
// and only those of the save count: a look at the save reads it, and a folder
// the game fills with other files (or a busy temporary folder) must not make
// the viewer read the save, and stand in the game's way, at each of them.
#include "platform/win32/win32_file_watch.h"

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace {

// Writes (the last-write time and the size move) and names (a file created,
// renamed or moved onto the save's name).
constexpr DWORD WATCHED_CHANGES =
    FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_FILE_NAME;

HANDLE folderHandle = nullptr;
HANDLE watchEvent = nullptr;
OVERLAPPED request;
// Where the system writes the changes; DWORD-aligned, as it must be.
DWORD changes[4096];
std::wstring savedName;  // the save's name within its folder
bool fileChanged = false;

void endWatch() {
  if (folderHandle) {
    // The request must be over before its buffer may be used again.
    CancelIo(folderHandle);
    DWORD ignored;
    GetOverlappedResult(folderHandle, &request, &ignored, TRUE);
    CloseHandle(folderHandle);
  }
  if (watchEvent) CloseHandle(watchEvent);
  folderHandle = nullptr;
  watchEvent = nullptr;
  fileChanged = false;
}

bool askForChanges() {
  ResetEvent(watchEvent);
  request = OVERLAPPED{};
  request.hEvent = watchEvent;
  return ReadDirectoryChangesW(folderHandle, changes, sizeof changes, FALSE, WATCHED_CHANGES, nullptr, &request,
                               nullptr);
}

// Whether a change's name is the save's or, when every save of the folder is
// watched, that of any save.
bool namesTheSave(const WCHAR *name, size_t length) {
  if (savedName == L"*.b") return isSaveFileName(name, length);
  return length == savedName.size() && CompareStringOrdinal(name, static_cast<int>(length), savedName.c_str(),
                                                            static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

// Whether the changes in the buffer (`size` bytes of it) name the save; a
// buffer the system could not fill (too many changes at once) may have.
bool changesNameTheSave(DWORD size) {
  if (size == 0) return true;
  const unsigned char *bytes = reinterpret_cast<const unsigned char *>(changes);
  for (DWORD offset = 0; offset + sizeof(FILE_NOTIFY_INFORMATION) <= size;) {
    const auto *change = reinterpret_cast<const FILE_NOTIFY_INFORMATION *>(bytes + offset);
    const size_t length = change->FileNameLength / sizeof(WCHAR);
    if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + change->FileNameLength <= size &&
        namesTheSave(change->FileName, length)) {
      return true;
    }
    if (change->NextEntryOffset == 0) break;
    offset += change->NextEntryOffset;
  }
  return false;
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

// The name within its folder, as the system reports it.
std::wstring baseNameOf(const char *name) {
  const char *base = name;
  for (const char *c = name; *c; ++c) {
    if (*c == '\\' || *c == '/' || (*c == ':' && c == name + 1)) base = c + 1;
  }
  const int length = MultiByteToWideChar(CP_ACP, 0, base, -1, nullptr, 0);
  if (length <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, base, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

}  // namespace

bool win32WatchFile(const char *name) {
  endWatch();
  if (name[0] == '\0') return true;
  savedName = baseNameOf(name);
  folderHandle = CreateFileA(folderOf(name).c_str(), FILE_LIST_DIRECTORY,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (folderHandle == INVALID_HANDLE_VALUE) {
    folderHandle = nullptr;
    return false;
  }
  watchEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (watchEvent && !savedName.empty() && askForChanges()) return true;
  if (watchEvent) CloseHandle(watchEvent);
  CloseHandle(folderHandle);
  watchEvent = nullptr;
  folderHandle = nullptr;
  return false;
}

bool win32TakeFileChange() {
  const bool changed = fileChanged;
  fileChanged = false;
  return changed;
}

HANDLE win32FileWatchHandle() { return watchEvent; }

void win32NoteFileWatchSignalled() {
  if (!folderHandle) return;
  DWORD size = 0;
  const bool done = GetOverlappedResult(folderHandle, &request, &size, FALSE);
  if (!done && GetLastError() == ERROR_IO_INCOMPLETE) return;
  // A request that failed (its folder gone, say) tells nothing for certain:
  // the save is looked at, and without a watch the periodic look is all that
  // is left.
  if (!done || changesNameTheSave(size)) fileChanged = true;
  // Changes that come before the next request are kept by the system and
  // reported to it at once.
  if (!done || !askForChanges()) {
    const bool changed = fileChanged;
    endWatch();
    fileChanged = changed;
  }
}
