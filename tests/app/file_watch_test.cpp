// The Linux watch of the followed save on real files: a finished write of the
// save and a file renamed onto its name wake the loop and are noted; writes of
// other files in the folder are not, and a new watch replaces the old one.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/posix/file_watch_inotify.h"
#include "support/savegame_writer.h"

namespace {

std::mutex wakeLock;
std::condition_variable wakeSignal;
int wakes = 0;

void wake() {
  std::lock_guard<std::mutex> guard(wakeLock);
  ++wakes;
  wakeSignal.notify_all();
}

// Whether the watcher woke the loop (at least once more than `before`). The
// limit only ends a test whose watch is broken.
bool wokeSince(int before) {
  std::unique_lock<std::mutex> guard(wakeLock);
  return wakeSignal.wait_for(guard, std::chrono::seconds(10), [&] { return wakes > before; });
}

int wakesSoFar() {
  std::lock_guard<std::mutex> guard(wakeLock);
  return wakes;
}

TEST(FileWatchTest, WritesAndRenamesOntoTheSaveAreNoticedAndNothingElse) {
  const std::string save = temporaryPath("watched.b");
  const std::string other = temporaryPath("other.b");
  const std::string fresh = temporaryPath("fresh.b");
  writeBytes(save, {1, 2, 3});
  ASSERT_TRUE(inotifyWatchFile(save.c_str(), wake));
  EXPECT_FALSE(inotifyTakeChange());

  // Another file of the folder, then the save: only the save is noted. The
  // watcher sees events in order, so once it woke for the save it has seen
  // the other file's too.
  int before = wakesSoFar();
  writeBytes(other, {4});
  writeBytes(save, {5, 6});
  ASSERT_TRUE(wokeSince(before));
  EXPECT_EQ(wakesSoFar(), before + 1);
  EXPECT_TRUE(inotifyTakeChange());
  EXPECT_FALSE(inotifyTakeChange());

  before = wakesSoFar();
  writeBytes(fresh, {7});
  ASSERT_EQ(std::rename(fresh.c_str(), save.c_str()), 0);
  ASSERT_TRUE(wokeSince(before));
  EXPECT_TRUE(inotifyTakeChange());

  // Watching another file: the old save no longer counts.
  ASSERT_TRUE(inotifyWatchFile(other.c_str(), wake));
  before = wakesSoFar();
  writeBytes(save, {8});
  writeBytes(other, {9});
  ASSERT_TRUE(wokeSince(before));
  EXPECT_EQ(wakesSoFar(), before + 1);
  EXPECT_TRUE(inotifyTakeChange());

  EXPECT_TRUE(inotifyWatchFile("", wake));
  EXPECT_FALSE(inotifyWatchFile(temporaryPath("no_such_folder/x.b").c_str(), wake));
  for (const std::string &path : {save, other}) std::remove(path.c_str());
}

}  // namespace
