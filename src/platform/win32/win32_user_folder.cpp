// The player's own folder on Windows ("%APPDATA%\KZR Package Viewer", for
// data and settings alike) and the replacement of a file in one step: a new
// file under a name of the process and a counter, flushed, then MoveFileExA,
// which (unlike the C library's rename there) replaces an existing file.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

constexpr char PROGRAM_FOLDER[] = "KZR Package Viewer";

// The system's text for an error, without its line end.
void tellError(DWORD error, char *reason, size_t reasonSize) {
  if (!reason || reasonSize == 0) return;
  char text[256] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) {
    text[--length] = '\0';
  }
  if (length > 0) {
    std::snprintf(reason, reasonSize, "%s", text);
  } else {
    std::snprintf(reason, reasonSize, "Windows error %lu", static_cast<unsigned long>(error));
  }
}

// %APPDATA% as the environment gives it, else as the shell knows it.
std::string roamingAppData() {
  const char *value = std::getenv("APPDATA");
  if (value && value[0]) return value;
  char path[MAX_PATH] = "";
  if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return std::string();
  return path;
}

bool isFolder(const std::string &path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Makes every missing folder on the way to `path` (a drive's root is there).
bool makeFolders(const std::string &path) {
  for (size_t slash = path.find_first_of("\\/", 3); slash != std::string::npos;
       slash = path.find_first_of("\\/", slash + 1)) {
    const std::string parent = path.substr(0, slash);
    if (!CreateDirectoryA(parent.c_str(), nullptr) && !isFolder(parent)) return false;
  }
  return (CreateDirectoryA(path.c_str(), nullptr) || isFolder(path));
}

}  // namespace

bool platformUserFolder(UserFolder, bool create, char *path, size_t size) {
  const std::string base = roamingAppData();
  if (base.empty()) return false;
  const std::string folder = base + "\\" + PROGRAM_FOLDER;
  if (folder.size() + 1 > size) return false;
  if (create && !makeFolders(folder)) return false;
  std::memcpy(path, folder.c_str(), folder.size() + 1);
  return true;
}

bool platformReplaceFile(const char *path, const void *bytes, size_t size, bool, char *reason,
                         size_t reasonSize) {
  // %APPDATA% is the user's own already: no rights of the file's own needed.
  HANDLE file = INVALID_HANDLE_VALUE;
  std::string temporary;
  static unsigned serial = 0;
  for (int attempt = 0; file == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
    temporary = std::string(path) + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++) +
                ".tmp";
    file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) {
    tellError(GetLastError(), reason, reasonSize);
    return false;
  }
  const unsigned char *next = static_cast<const unsigned char *>(bytes);
  size_t left = size;
  DWORD error = 0;
  while (left > 0 && !error) {
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, next, chunk, &written, nullptr) || written == 0) {
      error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    }
    next += written;
    left -= written;
  }
  if (!error && !FlushFileBuffers(file)) error = GetLastError();
  if (!CloseHandle(file) && !error) error = GetLastError();
  if (!error && MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  if (!error) error = GetLastError();
  tellError(error, reason, reasonSize);
  DeleteFileA(temporary.c_str());
  return false;
}
