// Opening a savegame on POSIX systems: only regular files, and never waiting
// on a FIFO or device.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

static_assert(sizeof(off_t) >= 8, "file offsets must be 64-bit (_FILE_OFFSET_BITS=64)");

FILE *platformOpenRegularFile(const char *name, int64_t *size, bool *busy) {
  // Readers here keep no writer out, so no file is ever busy.
  if (busy) *busy = false;
  // Opening a FIFO for reading waits for a writer unless O_NONBLOCK is given;
  // fstat on the open descriptor then decides, on the very file that was opened.
  int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  // A regular file never blocks, but the flag goes, so that reads behave as
  // they do for any file opened by fopen.
  int flags = fcntl(fd, F_GETFL);
  if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
    close(fd);
    return nullptr;
  }
  FILE *file = fdopen(fd, "rb");
  if (!file) {
    close(fd);
    return nullptr;
  }
  *size = info.st_size;
  return file;
}

bool platformSeekFile(FILE *file, int64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}
