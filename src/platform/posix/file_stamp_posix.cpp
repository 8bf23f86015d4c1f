// A file's identity, size and times on POSIX systems: one stat call.
#include "platform/posix/file_stamp_posix.h"

#include <sys/stat.h>

namespace {
int64_t nanoseconds(const struct timespec &time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}
}  // namespace

FileStamp posixFileStamp(const char *name) {
  struct stat info;
  if (stat(name, &info) != 0) return FileStamp{false, 0, 0, 0, 0, 0};
  // Nanoseconds where the file system keeps them, so two writes within the
  // same second still differ; the change time also moves for a write that
  // sets the modification time back, and the inode tells a file renamed onto
  // the name from the one it replaced.
  return FileStamp{true,
                   static_cast<int64_t>(info.st_size),
                   nanoseconds(info.st_mtim),
                   nanoseconds(info.st_ctim),
                   static_cast<int64_t>(info.st_dev),
                   static_cast<int64_t>(info.st_ino)};
}
