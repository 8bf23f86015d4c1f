// package-tool serve's wait on Linux: SIGINT and SIGTERM and the inotify
// watch's thread each write a byte to a pipe, on whose other end the main
// loop sleeps in poll.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "package_tool/serve_waiting.h"
#include "platform/posix/file_watch_inotify.h"
#include "platform/posix/picture_path.h"
#include "share/share_site.h"

namespace {

// Written by the signal handler ('s') and by the watch's thread ('w').
int wakePipe[2] = {-1, -1};

void sendWake(char byte) {
  const ssize_t written = write(wakePipe[1], &byte, 1);
  (void)written;  // a full pipe already holds a wake
}

void onStopSignal(int) { sendWake('s'); }
void onSaveWritten() { sendWake('w'); }

}  // namespace

bool startServeWaiting(std::string *error) {
  if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) == 0) return true;
  *error = std::strerror(errno);
  return false;
}

bool watchServedSave(const char *name) { return inotifyWatchFile(name, onSaveWritten); }

void catchServeStop() {
  struct sigaction action = {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool waitServe(int milliseconds, bool *saveWritten) {
  *saveWritten = false;
  pollfd descriptor = {wakePipe[0], POLLIN, 0};
  if (poll(&descriptor, 1, milliseconds) <= 0) return false;
  char bytes[64];
  bool stop = false;
  ssize_t count;
  while ((count = read(wakePipe[0], bytes, sizeof bytes)) > 0) {
    if (std::memchr(bytes, 's', static_cast<size_t>(count))) stop = true;
    if (std::memchr(bytes, 'w', static_cast<size_t>(count))) *saveWritten = true;
  }
  return stop;
}

// Every terminal a Linux user has takes them; written to a file they stay
// readable to `less -R` and to anything that skips them.
bool serveTerminalColours() { return true; }

void endServeWaiting() { inotifyWatchFile("", nullptr); }

std::string servedProgramFolder() { return runningProgramFolder(); }
std::string servedMapPicture() { return playersOwnMap(findPicture("THmap.bmp"), findBundledPicture("THmap.bmp")); }
