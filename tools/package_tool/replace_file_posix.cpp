// Replacing a file in one step on POSIX systems: mkstemp, then rename.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "package_tool/replace_file.h"

std::string createTemporaryBeside(const std::string &output, std::string *reason) {
  std::string name = output + ".XXXXXX";
  const int descriptor = mkstemp(&name[0]);
  if (descriptor < 0) {
    *reason = std::strerror(errno);
    return std::string();
  }
  // mkstemp makes the file private; the rename must give OUT the usual mode.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  close(descriptor);
  return name;
}

bool replaceWithTemporary(const std::string &temporary, const std::string &output, std::string *reason) {
  if (std::rename(temporary.c_str(), output.c_str()) == 0) return true;
  *reason = std::strerror(errno);
  return false;
}
