// Read-only file views on POSIX systems: open, fstat and mmap.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

bool platformMapFile(const char *name, FileView *view) {
  *view = FileView{};
  // O_NONBLOCK: opening a FIFO would otherwise wait for a writer. Only a
  // regular file is mapped, and reading one never blocks anyway.
  int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
    close(fd);
    return false;
  }
  size_t size = static_cast<size_t>(info.st_size);
  void *bytes = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (bytes == MAP_FAILED) {
    close(fd);
    return false;
  }
  view->bytes = static_cast<const unsigned char *>(bytes);
  view->size = size;
  view->handles[0] = fd;
  return true;
}

void platformUnmapFile(FileView *view) {
  if (view->bytes) munmap(const_cast<unsigned char *>(view->bytes), view->size);
  if (view->bytes) close(static_cast<int>(view->handles[0]));
  *view = FileView{};
}
