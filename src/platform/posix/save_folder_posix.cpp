// A folder of saves on POSIX systems: the newest save in it, by one stat of
// each entry.
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "platform/platform.h"

bool platformIsFolder(const char *path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool platformNewestSave(const char *folder, char *path, size_t size) {
  DIR *entries = opendir(folder);
  if (!entries) return false;
  const size_t folderLength = std::strlen(folder);
  const std::string prefix =
      folderLength > 0 && folder[folderLength - 1] == '/' ? std::string(folder) : std::string(folder) + "/";
  std::string newest;
  struct timespec newestTime {};
  while (const dirent *entry = readdir(entries)) {
    if (!isSaveFileName(entry->d_name, std::strlen(entry->d_name))) continue;
    const std::string candidate = prefix + entry->d_name;
    struct stat info;
    if (stat(candidate.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    const timespec &time = info.st_mtim;
    const bool later = time.tv_sec != newestTime.tv_sec ? time.tv_sec > newestTime.tv_sec
                                                        : time.tv_nsec > newestTime.tv_nsec;
    const bool tie = time.tv_sec == newestTime.tv_sec && time.tv_nsec == newestTime.tv_nsec;
    // Ties go to the name first in order, so that the choice does not
    // flicker between two slots written in the same instant.
    if (newest.empty() || later || (tie && candidate < newest)) {
      newest = candidate;
      newestTime = time;
    }
  }
  closedir(entries);
  if (newest.empty() || newest.size() >= size) return false;
  std::memset(path, 0, size);
  std::memcpy(path, newest.data(), newest.size());
  return true;
}
