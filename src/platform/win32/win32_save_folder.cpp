// A folder of saves on Windows: the newest save in it, from one listing of
// the folder (the listing carries each file's last-write time).
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

uint64_t ticks(const FILETIME &time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

bool platformIsFolder(const char *path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool platformNewestSave(const char *folder, char *path, size_t size) {
  const size_t folderLength = std::strlen(folder);
  const bool separated = folderLength > 0 && (folder[folderLength - 1] == '\\' || folder[folderLength - 1] == '/' ||
                                              folder[folderLength - 1] == ':');
  const std::string prefix = separated ? std::string(folder) : std::string(folder) + "\\";
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((prefix + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  std::string newest;
  uint64_t newestTime = 0;
  do {
    if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) continue;
    if (!isSaveFileName(entry.cFileName, std::strlen(entry.cFileName))) continue;
    const std::string candidate = prefix + entry.cFileName;
    const uint64_t time = ticks(entry.ftLastWriteTime);
    // Ties go to the name first in order, so that the choice does not
    // flicker between two slots written in the same instant.
    if (newest.empty() || time > newestTime || (time == newestTime && candidate < newest)) {
      newest = candidate;
      newestTime = time;
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  if (newest.empty() || newest.size() >= size) return false;
  std::memset(path, 0, size);
  std::memcpy(path, newest.data(), newest.size());
  return true;
}
