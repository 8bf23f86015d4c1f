// Folders, FIFOs and devices for the tests of the file readers.
#include "support/irregular_files.h"

#include <cstdio>
#include <stdexcept>

#ifdef _WIN32
#include <direct.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>
#endif

#include "support/savegame_writer.h"

namespace {

#ifndef _WIN32
void checkFifo(const std::function<void(const std::string &, const std::string &)> &check) {
  const std::string fifo = temporaryPath("fifo");
  if (mkfifo(fifo.c_str(), 0600) != 0) throw std::runtime_error("cannot make the FIFO " + fifo);
  std::thread writer([&fifo] {
    int fd = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);  // waits for a reader
    if (fd >= 0) close(fd);
  });
  check("a FIFO", fifo);
  // A reader that refused the FIFO without opening it leaves the writer
  // waiting: this one releases it.
  int release = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  writer.join();
  if (release >= 0) close(release);
  std::remove(fifo.c_str());
}
#endif

}  // namespace

void forEachIrregularFile(const std::function<void(const std::string &what, const std::string &path)> &check) {
  const std::string folder = temporaryPath("folder");
#ifdef _WIN32
  if (_mkdir(folder.c_str()) != 0) throw std::runtime_error("cannot make the folder " + folder);
#else
  if (mkdir(folder.c_str(), 0700) != 0) throw std::runtime_error("cannot make the folder " + folder);
#endif
  check("a folder", folder);
#ifdef _WIN32
  _rmdir(folder.c_str());
#else
  rmdir(folder.c_str());
#endif
#ifdef _WIN32
  check("the NUL device", "NUL");
  check("the CON device", "CON");
#else
  checkFifo(check);
  check("a character device", "/dev/zero");
#endif
}
