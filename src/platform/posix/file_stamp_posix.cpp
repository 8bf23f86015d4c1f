// A file's size and modification time on POSIX systems: one stat call.
#include <sys/stat.h>

#include "platform/platform.h"

FileStamp platformFileStamp(const char *name) {
  struct stat info;
  if (stat(name, &info) != 0) return FileStamp{false, 0, 0};
  // Nanoseconds where the file system keeps them, so two writes within the
  // same second still differ.
  const int64_t modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return FileStamp{true, static_cast<int64_t>(info.st_size), modified};
}
