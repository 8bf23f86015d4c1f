// Following a save on Windows as a game writes it: the reads of the viewer
// (the first open, a reload, a retry) never see a save that a writer holds
// open, never keep the game from opening it, and notice a rewrite that leaves
// the Windows stamp as it was. The writer is this program itself, through its
// own handles, as a game's would be.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "save/live_reload.h"
#include "save/open_dialog.h"
#include "support/savegame_writer.h"

namespace {

// A save of `count` packages at x = base, base + 1, ... and as many rampages.
std::vector<unsigned char> numberedSave(int count, float base) {
  std::vector<PickupRecord> pickups;
  for (int i = 0; i < count; ++i) pickups.push_back(pickup(154, base + i, 0, 12));
  for (int i = 0; i < count; ++i) pickups.push_back(pickup(127, base + i, 0, 12));
  return makeSavegame(pickups);
}

// Writes `bytes` at `offset` through the writer's own handle.
void writeAt(HANDLE file, size_t offset, const unsigned char *bytes, size_t size) {
  ASSERT_NE(SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr));
  ASSERT_EQ(written, size);
}

FILETIME lastWriteTime(const std::string &path) {
  FILETIME time{};
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
  return time;
}

// Puts the file's write time to exactly `time` (to the 100 ns tick, which a
// copy through the C++ library would round to whole seconds here).
void setLastWriteTime(const std::string &path, const FILETIME &time) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
}

class Win32Reload : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    headlessClearMessageBoxes();
    savePath = temporaryPath("followed.b");
    writeBytes(savePath, numberedSave(4, 0));
    ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  }
  void TearDown() override {
    resetViewerState();
    DeleteFileA(savePath.c_str());
  }

  // Whether the lists shown are those of numberedSave(count, base).
  static bool shows(int count, float base) {
    if (viewerState.packageCount != count || viewerState.rampageCount != count) return false;
    for (int i = 0; i < count; ++i) {
      if (viewerState.packages[i].x != base + i || viewerState.rampages[i].x != base + i) return false;
    }
    return true;
  }

  // The viewer noticing a change and looking, as its loop does.
  static bool notifiedReload(uint32_t now) {
    headlessNoteFileChange();
    return reloadSavegameIfChanged(now);
  }

  std::string savePath;
};

// A game rewrites the save in place in three parts, holding it open between
// them and sharing only reading. Between the parts the old packages stand
// beside the new rampages, and the file parses: no look may show that. Each
// look finds the save held, and the next one comes after the short retry
// delay, not a whole check later; once the game lets go the new save shows.
TEST_F(Win32Reload, ASaveHeldByItsWriterIsNeverShownHalfWritten) {
  const std::vector<unsigned char> next = numberedSave(4, 100);
  ASSERT_EQ(next.size(), numberedSave(4, 0).size());
  HANDLE game = CreateFileA(savePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(game, INVALID_HANDLE_VALUE);
  uint32_t now = 5000;
  const size_t third = next.size() / 3;
  for (size_t part = 0; part < 3; ++part) {
    SCOPED_TRACE(part);
    const size_t end = part == 2 ? next.size() : (part + 1) * third;
    writeAt(game, part * third, next.data() + part * third, end - part * third);
    EXPECT_FALSE(notifiedReload(now));
    EXPECT_TRUE(shows(4, 0));
    EXPECT_EQ(millisecondsUntilReloadCheck(now), RELOAD_RETRY_MS);
    now += RELOAD_RETRY_MS;
    EXPECT_FALSE(reloadSavegameIfChanged(now)) << "a retry read the held save";
    EXPECT_TRUE(shows(4, 0));
  }
  CloseHandle(game);
  now += RELOAD_RETRY_MS;
  EXPECT_TRUE(reloadSavegameIfChanged(now));
  EXPECT_TRUE(shows(4, 100));
  EXPECT_TRUE(headlessMessageBoxes().empty());
}

// A game that opens its save sharing nothing, 200 times, while the viewer
// follows it: each of the game's opens succeeds, so no read of the viewer was
// left holding the file (no handle, stream or mapping kept), and a look while
// the game has it open waits for it rather than failing the game or showing a
// box.
TEST_F(Win32Reload, AGameOpeningItsSaveExclusivelyIsNeverRefused) {
  constexpr int SAVES = 200;
  int refused = 0;
  uint32_t now = 5000;
  for (int save = 1; save <= SAVES; ++save) {
    HANDLE game = CreateFileA(savePath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (game == INVALID_HANDLE_VALUE) {
      ++refused;
      continue;
    }
    const std::vector<unsigned char> bytes = numberedSave(4, static_cast<float>(save));
    writeAt(game, 0, bytes.data(), bytes.size());
    if (save % 20 == 0) {
      EXPECT_FALSE(notifiedReload(now)) << "read a save opened by no one else";
      EXPECT_EQ(millisecondsUntilReloadCheck(now), RELOAD_RETRY_MS);
      now += RELOAD_RETRY_MS;
    }
    CloseHandle(game);
    EXPECT_TRUE(notifiedReload(now)) << "save " << save;
    EXPECT_TRUE(shows(4, static_cast<float>(save))) << "save " << save;
    now += 1;
  }
  EXPECT_EQ(refused, 0);
  EXPECT_TRUE(headlessMessageBoxes().empty());
}

// Two rewrites the Windows stamp cannot tell from the version shown: the save
// rewritten in place with the same size and its write time put back (the
// stamp is the same: only a notification, and the bytes read then, show
// it), and another file of the same size and the very same write time moved
// onto its name (only the file index tells, at the periodic look).
TEST_F(Win32Reload, RewritesThatKeepSizeAndTimeAreStillShown) {
  const FILETIME shownTime = lastWriteTime(savePath);
  uint32_t now = 5000;

  const FileStamp shown = platformFileStamp(savePath.c_str());
  writeBytes(savePath, numberedSave(4, 200));
  setLastWriteTime(savePath, shownTime);
  const FileStamp rewritten = platformFileStamp(savePath.c_str());
  ASSERT_TRUE(rewritten.size == shown.size && rewritten.modified == shown.modified &&
              rewritten.fileIndex == shown.fileIndex);
  EXPECT_TRUE(notifiedReload(now));
  EXPECT_TRUE(shows(4, 200));
  // A notification for another file of the folder changes nothing.
  now += 1;
  EXPECT_FALSE(notifiedReload(now));
  EXPECT_TRUE(shows(4, 200));

  const std::string fresh = temporaryPath("fresh.b");
  writeBytes(fresh, numberedSave(4, 300));
  setLastWriteTime(fresh, shownTime);
  ASSERT_TRUE(MoveFileExA(fresh.c_str(), savePath.c_str(), MOVEFILE_REPLACE_EXISTING));
  const FileStamp moved = platformFileStamp(savePath.c_str());
  ASSERT_TRUE(moved.size == shown.size && moved.modified == shown.modified);
  now += RELOAD_CHECK_INTERVAL_MS;
  EXPECT_TRUE(reloadSavegameIfChanged(now));
  EXPECT_TRUE(shows(4, 300));
}

}  // namespace
