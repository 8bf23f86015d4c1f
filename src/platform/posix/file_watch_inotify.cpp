// The watch of the followed save on Linux. One inotify descriptor watches the
// save's folder; a thread sleeps in poll on it (and on a pipe that tells it to
// end), matches each event's name against the save's and, for a match, sets
// a flag and wakes the main loop. Nothing runs while nothing happens.
#include "platform/posix/file_watch_inotify.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace {

constexpr uint32_t WATCHED_EVENTS = IN_CLOSE_WRITE | IN_MOVED_TO;

struct Watch {
  std::mutex lock;         // guards folderWatch and fileName against the thread
  int inotify = -1;
  int folderWatch = -1;    // the folder's watch descriptor, -1 for none
  std::string fileName;    // the save's name inside the folder
  int stopPipe[2] = {-1, -1};
  std::thread thread;
  void (*wake)() = nullptr;
  std::atomic<bool> changed{false};

  ~Watch() { stop(); }

  void stop() {
    if (thread.joinable()) {
      // The thread ends when the pipe becomes readable.
      const char byte = 0;
      const ssize_t written = write(stopPipe[1], &byte, 1);
      (void)written;
      thread.join();
    }
    for (int *descriptor : {&inotify, &stopPipe[0], &stopPipe[1]}) {
      if (*descriptor >= 0) close(*descriptor);
      *descriptor = -1;
    }
    folderWatch = -1;
    fileName.clear();
    changed = false;
  }
};

Watch watch;

// Handles every event in one read's worth of inotify records.
// Whether an event's name is the save's or, when every save of the folder is
// watched, that of any save.
bool namesTheSave(const char *name, size_t length) {
  if (watch.fileName == SAVE_FOLDER_PATTERN) return isSaveFileName(name, length);
  return length == watch.fileName.size() && std::memcmp(name, watch.fileName.data(), length) == 0;
}

void noteEvents(const char *buffer, ssize_t length) {
  bool matched = false;
  {
    std::lock_guard<std::mutex> guard(watch.lock);
    for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
      inotify_event event;
      std::memcpy(&event, buffer + offset, sizeof event);
      const char *name = buffer + offset + sizeof event;
      // Lost events may have held the save's: look at it to be sure.
      if ((event.mask & IN_Q_OVERFLOW) != 0) matched = true;
      // The name is padded with NUL bytes up to len.
      if (event.wd == watch.folderWatch && (event.mask & WATCHED_EVENTS) != 0 &&
          namesTheSave(name, strnlen(name, event.len))) {
        matched = true;
      }
      offset += static_cast<ssize_t>(sizeof event + event.len);
    }
  }
  if (matched) {
    watch.changed = true;
    watch.wake();
  }
}

void watchThread() {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    pollfd descriptors[2] = {{watch.inotify, POLLIN, 0}, {watch.stopPipe[0], POLLIN, 0}};
    if (poll(descriptors, 2, -1) < 0) continue;
    if (descriptors[1].revents != 0) return;
    const ssize_t length = read(watch.inotify, buffer, sizeof buffer);
    if (length > 0) noteEvents(buffer, length);
  }
}

bool startThread(void (*wake)()) {
  if (watch.thread.joinable()) return true;
  watch.inotify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (watch.inotify < 0) return false;
  if (pipe2(watch.stopPipe, O_CLOEXEC) != 0) {
    watch.stop();
    return false;
  }
  watch.wake = wake;
  watch.thread = std::thread(watchThread);
  return true;
}

}  // namespace

bool inotifyWatchFile(const char *name, void (*wake)()) {
  if (name[0] == '\0') {
    watch.stop();
    return true;
  }
  if (!startThread(wake)) return false;
  const char *slash = std::strrchr(name, '/');
  const std::string folder = !slash ? "." : slash == name ? "/" : std::string(name, slash);
  std::lock_guard<std::mutex> guard(watch.lock);
  if (watch.folderWatch >= 0) inotify_rm_watch(watch.inotify, watch.folderWatch);
  watch.folderWatch = inotify_add_watch(watch.inotify, folder.c_str(), WATCHED_EVENTS);
  watch.fileName = slash ? slash + 1 : name;
  watch.changed = false;
  return watch.folderWatch >= 0;
}

bool inotifyTakeChange() { return watch.changed.exchange(false); }
