// The player's own folders on POSIX systems (the XDG base directories) and
// the replacement of a file in one step (a temporary file renamed over it).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

constexpr char PROGRAM_FOLDER[] = "package-viewer";

// $VARIABLE when it holds an absolute path (the XDG rule: a relative one is
// ignored), otherwise $HOME/fallback; empty without a home.
std::string baseFolder(const char *variable, const char *fallback) {
  const char *value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  const char *home = std::getenv("HOME");
  if (!home || home[0] != '/') return std::string();
  return std::string(home) + "/" + fallback;
}

// Makes every missing folder on the way to `path`; the last one owner-only.
bool makeFolders(const std::string &path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string parent = path.substr(0, slash);
    if (mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void tell(char *reason, size_t reasonSize, const char *text) {
  if (reason && reasonSize > 0) std::snprintf(reason, reasonSize, "%s", text);
}

bool writeAll(int descriptor, const unsigned char *bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = write(descriptor, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

bool platformUserFolder(UserFolder which, bool create, char *path, size_t size) {
  const std::string base = which == USER_DATA_FOLDER ? baseFolder("XDG_DATA_HOME", ".local/share")
                                                     : baseFolder("XDG_CONFIG_HOME", ".config");
  if (base.empty()) return false;
  const std::string folder = base + "/" + PROGRAM_FOLDER;
  if (folder.size() + 1 > size) return false;
  if (create && !makeFolders(folder)) return false;
  std::memcpy(path, folder.c_str(), folder.size() + 1);
  return true;
}

bool platformReplaceFile(const char *path, const void *bytes, size_t size, bool ownerOnly, char *reason,
                         size_t reasonSize) {
  // A fresh name beside path, made with the rights asked for (the umask
  // applies to the others).
  static unsigned serial = 0;
  std::string temporary;
  int descriptor = -1;
  for (int attempt = 0; descriptor < 0 && attempt < 100; ++attempt) {
    temporary = std::string(path) + "." + std::to_string(getpid()) + "-" + std::to_string(serial++) + ".tmp";
    descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ownerOnly ? 0600 : 0666);
    if (descriptor < 0 && errno != EEXIST) break;
  }
  if (descriptor < 0) {
    tell(reason, reasonSize, std::strerror(errno));
    return false;
  }
  bool written = writeAll(descriptor, static_cast<const unsigned char *>(bytes), size) && fsync(descriptor) == 0;
  int error = written ? 0 : errno;
  if (close(descriptor) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && std::rename(temporary.c_str(), path) == 0) return true;
  if (written) error = errno;
  tell(reason, reasonSize, std::strerror(error ? error : EIO));
  unlink(temporary.c_str());
  return false;
}
