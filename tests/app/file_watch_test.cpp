// The Linux watch of the followed save on real files: a finished write of the
// save and a file renamed onto its name wake the loop and are noted; writes of
// other files in the folder are not, a new watch replaces the old one, and
// a watch of every save of a folder notes any of them.
// And the Linux stamp, which the periodic look compares: each of its parts
// alone tells a rewrite that the others miss.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "platform/posix/file_watch_inotify.h"
#include "save/live_reload.h"
#include "save/open_dialog.h"
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

  // Every save of the folder (a folder followed): any name ending in .b,
  // any case, and nothing else.
  const std::string folder = temporaryPath("watched-slots");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string slot = folder + "/SLOT.B";
  const std::string another = folder + "/another.b";
  const std::string notes = folder + "/notes.txt";
  ASSERT_TRUE(inotifyWatchFile((folder + "/*.b").c_str(), wake));
  for (const std::string &written : {another, slot}) {
    before = wakesSoFar();
    writeBytes(notes, {1});
    writeBytes(written, {2});
    ASSERT_TRUE(wokeSince(before));
    EXPECT_EQ(wakesSoFar(), before + 1) << written;
    EXPECT_TRUE(inotifyTakeChange());
  }

  EXPECT_TRUE(inotifyWatchFile("", wake));
  EXPECT_FALSE(inotifyWatchFile(temporaryPath("no_such_folder/x.b").c_str(), wake));
  for (const std::string &path : {save, other, another, slot, notes, folder}) std::remove(path.c_str());
}

// A save of four packages, the first at x = first.
std::vector<unsigned char> fourPackages(float first) {
  return makeSavegame({pickup(154, first, 0, 12), pickup(154, 1, 0, 12), pickup(154, 2, 0, 12),
                       pickup(154, 3, 0, 12)});
}

struct timespec modifiedTime(const std::string &path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  return info.st_mtim;
}

void setModifiedTime(const std::string &path, const struct timespec &time) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, time};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A file system that keeps no change time of its own (it gives the write time).
void noChangeTime(const char *, FileStamp *stamp) { stamp->changed = stamp->modified; }

// Rewrites that keep the size and the write time of the version shown, each
// seen by one part of the stamp alone: the change time for a rewrite in place
// whose write time was put back, the inode for another file moved onto the
// name where no change time tells it. The periodic look, with no
// notification, must show each.
TEST(FileStampTest, EachPartOfTheStampAloneTellsARewrite) {
  struct Case {
    const char *name;
    HeadlessStampHook hook;
    bool moveOnto;
  };
  for (const Case &rewrite : {Case{"in place, write time put back", nullptr, false},
                              Case{"moved onto the name, no change time", noChangeTime, true}}) {
    SCOPED_TRACE(rewrite.name);
    resetViewerState();
    const std::string save = temporaryPath("stamped.b");
    writeBytes(save, fourPackages(0));
    headlessSetStampHook(rewrite.hook);
    ASSERT_TRUE(openSavegameFile(save.c_str()));
    const FileStamp shown = viewerState.saveStamp;
    const struct timespec shownTime = modifiedTime(save);

    const std::string written = rewrite.moveOnto ? temporaryPath("stamped_fresh.b") : save;
    writeBytes(written, fourPackages(1234));
    setModifiedTime(written, shownTime);
    if (rewrite.moveOnto) {
      ASSERT_EQ(std::rename(written.c_str(), save.c_str()), 0);
    }
    const FileStamp now = platformFileStamp(save.c_str());
    ASSERT_TRUE(now.size == shown.size && now.modified == shown.modified);

    EXPECT_TRUE(reloadSavegameIfChanged(RELOAD_CHECK_INTERVAL_MS + 1));
    EXPECT_EQ(viewerState.packages[0].x, 1234.0f);
    headlessSetStampHook(nullptr);
    resetViewerState();
    std::remove(save.c_str());
  }
}

}  // namespace
