// The file the fuzz targets hand to the readers: an anonymous in-memory file
// (memfd) reached through its /proc/self/fd path, so that every input goes
// through the same open, map or read calls as a file on disk, without disk
// traffic.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

class FuzzFile {
 public:
  FuzzFile() {
    fd_ = memfd_create("viewer-fuzz-input", MFD_CLOEXEC);
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    std::snprintf(path_, sizeof path_, "/proc/self/fd/%d", fd_);
  }

  // Makes the file hold exactly these bytes.
  void write(const uint8_t *data, size_t size) {
    if (ftruncate(fd_, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
      ssize_t wrote = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (wrote <= 0) std::abort();
      done += static_cast<size_t>(wrote);
    }
  }

  const char *path() const { return path_; }

 private:
  int fd_;
  char path_[64];
};

// Stops the run with a message when an invariant of a reader does not hold;
// libFuzzer then keeps the input as a crash.
inline void fuzzCheck(bool condition, const char *what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}
