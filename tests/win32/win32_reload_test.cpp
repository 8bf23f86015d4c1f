// Following a save on Windows as a game writes it: the reads of the viewer
// (the first open, a reload, a retry) never see a save that a writer holds
// open, never keep the game from opening it, and notice a rewrite that leaves
// the Windows stamp as it was. The writer is this program itself, through its
// own handles, step by step; and then the game's stand-in, another program,
// writing at its own pace while this one follows as the viewer's loop does.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "platform/win32/win32_file_watch.h"
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
// look finds the save held, and the next one comes soon, not a whole check
// later, less often the longer the save is held; once the game lets go the
// new save shows.
TEST_F(Win32Reload, ASaveHeldByItsWriterIsNeverShownHalfWritten) {
  const std::vector<unsigned char> next = numberedSave(4, 100);
  ASSERT_EQ(next.size(), numberedSave(4, 0).size());
  HANDLE game = CreateFileA(savePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(game, INVALID_HANDLE_VALUE);
  uint32_t now = 5000;
  uint32_t wait = 0;
  const size_t third = next.size() / 3;
  for (size_t part = 0; part < 3; ++part) {
    SCOPED_TRACE(part);
    const size_t end = part == 2 ? next.size() : (part + 1) * third;
    writeAt(game, part * third, next.data() + part * third, end - part * third);
    EXPECT_FALSE(notifiedReload(now));
    EXPECT_TRUE(shows(4, 0));
    for (int retry = 0; retry < 2; ++retry) {
      wait = millisecondsUntilReloadCheck(now);
      ASSERT_GT(wait, 0u);
      ASSERT_LE(wait, RELOAD_RETRY_MS);
      now += wait;
      EXPECT_FALSE(reloadSavegameIfChanged(now)) << "a retry read the held save";
      EXPECT_TRUE(shows(4, 0));
    }
  }
  EXPECT_EQ(millisecondsUntilReloadCheck(now), RELOAD_RETRY_MS) << "held long: looked at as often as at first";
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
      EXPECT_EQ(millisecondsUntilReloadCheck(now), RELOAD_BUSY_FIRST_MS);
      now += RELOAD_BUSY_FIRST_MS;
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

// Whether the lists shown are all of one of the stand-in's two saves
// (numberedSave(4, 0) or numberedSave(4, 100)), not parts of both.
bool showsOneVersion() {
  if (viewerState.packageCount != 4 || viewerState.rampageCount != 4) return false;
  const float base = viewerState.packages[0].x;
  if (base != 0 && base != 100) return false;
  for (int i = 0; i < 4; ++i) {
    if (viewerState.packages[i].x != base + i || viewerState.rampages[i].x != base + i) return false;
  }
  return true;
}

struct Followed {
  int shown = 0;  // versions the lists took
  int torn = 0;   // of which, lists mixing both saves
};

// Follows the save as the viewer's loop does (the folder's change
// notification, the periodic look, the retries) until the game has ended and
// a last look after it has read the save. The limit only ends a test whose
// follower is broken.
Followed followUntilTheGameEnds(const std::string &save, HANDLE game) {
  Followed followed;
  EXPECT_TRUE(win32WatchFile(save.c_str()));
  bool gameEnded = false;
  const DWORD limit = GetTickCount() + 60000;
  while (!(gameEnded && !viewerState.reloadPending) && static_cast<int32_t>(limit - GetTickCount()) > 0) {
    HANDLE handles[2] = {game, win32FileWatchHandle()};
    const DWORD woken = WaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE,
                                               std::min<uint32_t>(millisecondsUntilReloadCheck(GetTickCount()), 1000));
    if (woken == WAIT_OBJECT_0 && !gameEnded) {
      gameEnded = true;
      headlessNoteFileChange();
    }
    if (woken == WAIT_OBJECT_0 + 1) win32NoteFileWatchSignalled();
    if (win32TakeFileChange()) headlessNoteFileChange();
    if (reloadSavegameIfChanged(GetTickCount())) {
      ++followed.shown;
      if (!showsOneVersion()) ++followed.torn;
    }
  }
  win32WatchFile("");
  return followed;
}

// The game's stand-in beside this program, writing the followed save from
// numberedSave(4, 0) to numberedSave(4, 100) and back: in three parts with
// the save held between them, and by saves that share it with no one, at its
// own pace. No version the follower shows is torn, and the last look shows
// the save the game left. How many of the game's opens met a read of the
// follower (the stand-in's exit status counts them) is reported, not
// asserted: a read holds the save for as long as a copy takes, and when the
// game opens it in that moment depends on how the two are scheduled.
TEST(Win32Follow, AGameWritingBesideTheViewerIsNeverTornNorRefused) {
  const std::string save = temporaryPath("followed_game.b");
  const std::string first = temporaryPath("game_first.b");
  const std::string second = temporaryPath("game_second.b");
  writeBytes(first, numberedSave(4, 0));
  writeBytes(second, numberedSave(4, 100));
  struct Writing {
    const char *mode;
    int times;
    int pauseMs;
  };
  for (const Writing &writing : {Writing{"parts", 6, 30}, Writing{"exclusive", 200, 20}}) {
    SCOPED_TRACE(writing.mode);
    resetViewerState();
    writeBytes(save, numberedSave(4, 0));
    ASSERT_TRUE(openSavegameFile(save.c_str()));
    std::string command = std::string("\"") + GAME_WRITER + "\" " + writing.mode + " " + save + " " + first + " " +
                          second + " " + std::to_string(writing.times) + " " + std::to_string(writing.pauseMs);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION game{};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &game))
        << "cannot start " << GAME_WRITER << ", error " << GetLastError();
    const Followed followed = followUntilTheGameEnds(save, game.hProcess);
    DWORD refused = STILL_ACTIVE;
    GetExitCodeProcess(game.hProcess, &refused);
    CloseHandle(game.hThread);
    CloseHandle(game.hProcess);
    EXPECT_NE(refused, 255u) << "the stand-in could not write";
    std::printf("%s: %lu of %d saves of the game refused, %d versions shown\n", writing.mode,
                static_cast<unsigned long>(refused), writing.times, followed.shown);
    EXPECT_EQ(followed.torn, 0) << "of " << followed.shown << " versions shown";
    EXPECT_GT(followed.shown, 0);
    // The last look shows the save the game left.
    std::ifstream left(save, std::ios::binary);
    const std::vector<unsigned char> onDisk{std::istreambuf_iterator<char>(left), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(showsOneVersion() && onDisk == numberedSave(4, viewerState.packages[0].x));
  }
  resetViewerState();
  for (const std::string &path : {save, first, second}) DeleteFileA(path.c_str());
}

}  // namespace
