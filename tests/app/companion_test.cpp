// What the viewer does as a companion of the running game: a save opened by
// path (command line, drop) as the dialog opens it, the quiet live reload of a
// save the game rewrites, and the map position and marker under the pointer.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/map_point.h"
#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "save/live_reload.h"
#include "save/open_dialog.h"
#include "support/savegame_writer.h"

namespace {

// What the stamp hook does to the stamps of the save (the platform's stand-in
// calls it with every stamp it hands out).
std::vector<unsigned char> bytesWrittenDuringRead;
int stampsBeforeWrite = 0;
void writeAfterStamps(const char *name, FileStamp *) {
  if (stampsBeforeWrite > 0 && --stampsBeforeWrite == 0) writeBytes(name, bytesWrittenDuringRead);
}
void frozenStamp(const char *, FileStamp *stamp) { *stamp = FileStamp{true, 1, 2, 3, 4, 5}; }

class CompanionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    headlessClearMessageBoxes();
    savePath = temporaryPath("companion.b");
    writeBytes(savePath, makeSavegame({pickup(154, 10, 20, 5), pickup(127, -50, -60, 0)}));
  }
  void TearDown() override {
    headlessSetStampHook(nullptr);
    resetViewerState();
  }

  // A save with `packages` packages and no rampage.
  static std::vector<unsigned char> packagesSave(int packages) {
    std::vector<PickupRecord> pickups;
    for (int i = 0; i < packages; ++i) pickups.push_back(pickup(154, 100.0f * i, 0, 12));
    return makeSavegame(pickups);
  }
  void rewriteSave(int packages) { writeBytes(savePath, packagesSave(packages)); }

  std::string savePath;
};

// A failed open ('O', an argument, a drop) gets its box and changes nothing
// that is followed: a rewrite of the save on screen still shows, a good save
// written over the name that failed does not.
TEST_F(CompanionTest, AFailedOpenLeavesTheShownSaveFollowed) {
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());
  EXPECT_EQ(headlessWatchedFile(), savePath);
  EXPECT_EQ(viewerState.packageCount, 1);
  EXPECT_EQ(viewerState.rampageCount, 1);
  EXPECT_TRUE(headlessMessageBoxes().empty());

  // A missing file and a damaged one: the reader's boxes, and the markers,
  // the name and the watch stay.
  const std::string missing = temporaryPath("missing.b");
  EXPECT_FALSE(openSavegameFile(missing.c_str()));
  const std::string damaged = temporaryPath("damaged.b");
  const std::vector<unsigned char> good = packagesSave(5);
  writeBytes(damaged, std::vector<unsigned char>(good.begin(), good.begin() + good.size() / 2));
  EXPECT_FALSE(openSavegameFile(damaged.c_str()));
  ASSERT_EQ(headlessMessageBoxes().size(), 2u);
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Error ! : Error opening file !");
  EXPECT_EQ(headlessMessageBoxes()[1].text.rfind("Error ! : ", 0), 0u);
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());
  EXPECT_EQ(headlessWatchedFile(), savePath);
  EXPECT_EQ(viewerState.packageCount, 1);

  uint32_t now = 5000;
  rewriteSave(7);
  EXPECT_TRUE(reloadSavegameIfChanged(now));
  EXPECT_EQ(viewerState.packageCount, 7);
  writeBytes(damaged, good);
  headlessNoteFileChange();
  EXPECT_FALSE(reloadSavegameIfChanged(now + RELOAD_CHECK_INTERVAL_MS));
  EXPECT_EQ(viewerState.packageCount, 7);

  // A path that does not fit the 260-byte name: a box, nothing changes.
  headlessClearMessageBoxes();
  const std::string tooLong(SAVE_PATH_SIZE, 'a');
  EXPECT_FALSE(openSavegameFile(tooLong.c_str()));
  ASSERT_EQ(headlessMessageBoxes().size(), 1u);
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Error ! : The path of the chosen file is too long !");
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());
}

// The game rewrites the save: more markers, fewer, and once a version cut
// short mid-write. A notification of the platform or a check that is due
// looks at the file; a changed file that reads cleanly replaces the lists, a
// damaged one keeps them, shows no box and is tried again at every check
// until it reads cleanly, even on a file system whose stamp does not move
// when it does.
TEST_F(CompanionTest, ReloadFollowsTheSaveQuietlyAndRetriesUntilClean) {
  EXPECT_FALSE(reloadSavegameIfChanged(0));  // nothing named: nothing to look at
  EXPECT_EQ(millisecondsUntilReloadCheck(0), UINT32_MAX);
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));

  uint32_t now = 5000;
  EXPECT_FALSE(reloadSavegameIfChanged(now));  // unchanged
  EXPECT_EQ(millisecondsUntilReloadCheck(now), RELOAD_CHECK_INTERVAL_MS);

  rewriteSave(7);
  EXPECT_FALSE(reloadSavegameIfChanged(now + 10));  // not due yet, no notification
  EXPECT_EQ(viewerState.packageCount, 1);
  headlessNoteFileChange();
  EXPECT_TRUE(reloadSavegameIfChanged(now + 20));
  EXPECT_EQ(viewerState.packageCount, 7);
  EXPECT_EQ(viewerState.rampageCount, 0);
  rewriteSave(8);
  now += 20 + RELOAD_CHECK_INTERVAL_MS;  // without a notification, the next look
  EXPECT_TRUE(reloadSavegameIfChanged(now));
  EXPECT_EQ(viewerState.packageCount, 8);

  // Half of a save with fewer markers: no box, the lists stay, and the same
  // half-written file is tried again at the next check, now with a stamp that
  // never moves again.
  std::vector<PickupRecord> three;
  for (int i = 0; i < 3; ++i) three.push_back(pickup(127, 1, 2, 3));
  std::vector<unsigned char> bytes = makeSavegame(three);
  writeBytes(savePath, std::vector<unsigned char>(bytes.begin(), bytes.begin() + bytes.size() / 2));
  headlessSetStampHook(frozenStamp);
  now += RELOAD_CHECK_INTERVAL_MS;
  EXPECT_FALSE(reloadSavegameIfChanged(now));
  EXPECT_EQ(viewerState.packageCount, 8);
  now += RELOAD_CHECK_INTERVAL_MS;
  EXPECT_FALSE(reloadSavegameIfChanged(now));
  EXPECT_EQ(viewerState.packageCount, 8);

  // The game finishes writing (or a permission comes back): the next check
  // reads it, though the stamp says nothing changed.
  writeBytes(savePath, bytes);
  now += RELOAD_CHECK_INTERVAL_MS;
  EXPECT_TRUE(reloadSavegameIfChanged(now));
  EXPECT_EQ(viewerState.packageCount, 0);
  EXPECT_EQ(viewerState.rampageCount, 3);
  headlessSetStampHook(nullptr);

  // The file gone for a moment is a failed reload like any other.
  std::remove(savePath.c_str());
  now += RELOAD_CHECK_INTERVAL_MS;
  EXPECT_FALSE(reloadSavegameIfChanged(now));
  EXPECT_EQ(viewerState.rampageCount, 3);
  EXPECT_TRUE(headlessMessageBoxes().empty());
}

// A folder of saves: its newest save is shown (another file, a folder named
// like a save and an older slot are passed over), a slot written later is
// opened afresh in its place at the next look (what was collected in the
// last one is not carried over), and a save opened by name ends the
// following. An empty folder says that it waits, and shows its first save.
TEST_F(CompanionTest, AFolderShowsItsNewestSaveAndEachSlotWrittenNext) {
#ifdef __EMSCRIPTEN__
  GTEST_SKIP() << "a page is never handed a folder, and the file system under node sets no write time";
#endif
  namespace fs = std::filesystem;
  const fs::path folder = temporaryPath("companion-slots");
  fs::remove_all(folder);
  ASSERT_TRUE(fs::create_directories(folder / "slot9.b"));
  const auto written = [&](const char *name, int packages, int secondsAgo) {
    const fs::path path = folder / name;
    writeBytes(path.string(), packagesSave(packages));
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
    return path.string();
  };
  written("slot1.b", 2, 30);
  const std::string slot2 = written("SLOT2.B", 3, 20);
  written("notes.txt", 0, 0);

  ASSERT_TRUE(openSavegameFile(folder.string().c_str()));
  EXPECT_STREQ(viewerState.saveFileName, slot2.c_str());
  EXPECT_STREQ(viewerState.saveFolder, folder.string().c_str());
  EXPECT_EQ(viewerState.packageCount, 3);
  EXPECT_EQ(headlessWatchedFile(), folder.string() + "/*.b");

  // A rewrite of the shown slot is a reload: what it no longer holds was
  // collected. Then the game writes another slot: opened afresh.
  uint32_t now = 5000;
  written("SLOT2.B", 2, 10);
  headlessNoteFileChange();
  EXPECT_TRUE(reloadSavegameIfChanged(now));
  EXPECT_EQ(viewerState.collectedCount, 1);
  const std::string slot3 = written("slot3.b", 5, 0);
  headlessNoteFileChange();
  EXPECT_TRUE(reloadSavegameIfChanged(now + 1));
  EXPECT_STREQ(viewerState.saveFileName, slot3.c_str());
  EXPECT_EQ(viewerState.packageCount, 5);
  EXPECT_EQ(viewerState.collectedCount, 0);
  EXPECT_EQ(headlessWatchedFile(), folder.string() + "/*.b");

  // A save opened by name: a newer slot no longer takes its place.
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  EXPECT_EQ(viewerState.saveFolder[0], '\0');
  written("slot4.b", 6, -5);
  headlessNoteFileChange();
  EXPECT_FALSE(reloadSavegameIfChanged(now + 2));
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());

  // An empty folder: the status line says so, the save shown stays, and the
  // folder's first save is shown at the next look.
  const fs::path empty = temporaryPath("companion-empty");
  fs::remove_all(empty);
  ASSERT_TRUE(fs::create_directories(empty));
  EXPECT_FALSE(openSavegameFile(empty.string().c_str()));
  EXPECT_EQ(std::string(viewerState.statusLine), std::string(WAITING_FOR_FIRST_SAVE) + empty.string());
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());
  EXPECT_NE(millisecondsUntilReloadCheck(now), UINT32_MAX);
  writeBytes((empty / "first.b").string(), packagesSave(4));
  headlessNoteFileChange();
  EXPECT_TRUE(reloadSavegameIfChanged(now + 3));
  EXPECT_EQ(viewerState.packageCount, 4);
  EXPECT_TRUE(headlessMessageBoxes().empty());
  fs::remove_all(folder);
  fs::remove_all(empty);
}

// The game writes again while the viewer reads: what was read parses, but the
// stamp moved during the read, so it is thrown away and read again shortly.
TEST_F(CompanionTest, AReadThatAWriteOvertookIsNeverShown) {
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  rewriteSave(7);
  bytesWrittenDuringRead = packagesSave(3);
  stampsBeforeWrite = 1;  // right after the stamp taken before the read
  headlessSetStampHook(writeAfterStamps);
  const uint32_t now = 5000;
  EXPECT_FALSE(reloadSavegameIfChanged(now));
  EXPECT_EQ(viewerState.packageCount, 1);
  EXPECT_EQ(millisecondsUntilReloadCheck(now), RELOAD_RETRY_MS);
  EXPECT_TRUE(reloadSavegameIfChanged(now + RELOAD_RETRY_MS));
  EXPECT_EQ(viewerState.packageCount, 3);
}

// A game that writes a new file and renames it onto the save: same size and
// same write time as the version shown, but another file.
TEST_F(CompanionTest, ASaveReplacedByRenameIsNoticedWithTheSameSizeAndTime) {
  rewriteSave(4);
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  const std::string fresh = temporaryPath("companion_fresh.b");
  std::vector<PickupRecord> moved(4, pickup(154, 0, 0, 12));
  moved[0] = pickup(154, 1234, 0, 12);
  writeBytes(fresh, makeSavegame(moved));
  std::filesystem::last_write_time(fresh, std::filesystem::last_write_time(savePath));
  std::filesystem::rename(fresh, savePath);
  ASSERT_EQ(std::filesystem::file_size(savePath), packagesSave(4).size());
  EXPECT_TRUE(reloadSavegameIfChanged(5000));
  EXPECT_EQ(viewerState.packages[0].x, 1234.0f);
}

// The millisecond clock wraps after 49 days; a check due just past the wrap
// is still due in a second, not in 49 days.
TEST_F(CompanionTest, ReloadChecksSurviveTheClockWrapping) {
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  const uint32_t beforeWrap = UINT32_MAX - 100;
  EXPECT_FALSE(reloadSavegameIfChanged(beforeWrap - 5000));
  EXPECT_EQ(millisecondsUntilReloadCheck(beforeWrap - 5000), RELOAD_CHECK_INTERVAL_MS);
  EXPECT_FALSE(reloadSavegameIfChanged(beforeWrap));
  EXPECT_EQ(millisecondsUntilReloadCheck(beforeWrap), RELOAD_CHECK_INTERVAL_MS);
  rewriteSave(4);
  EXPECT_EQ(millisecondsUntilReloadCheck(beforeWrap + RELOAD_CHECK_INTERVAL_MS), 0u);
  EXPECT_TRUE(reloadSavegameIfChanged(beforeWrap + RELOAD_CHECK_INTERVAL_MS));
  EXPECT_EQ(viewerState.packageCount, 4);
}

// The inverse projection undoes the forward one for every window shape,
// camera and zoom the controls can reach; the map's corners land where the
// frame draws them (at 640 x 480 and zoom 4 the square spans 223.9 pixels
// either side of the middle).
TEST_F(CompanionTest, PixelAndMapPositionAreInverses) {
  double x;
  double y;
  pixelOfSavegamePoint(-2000.0, 2000.0, &x, &y);
  const double halfSide = 240.0 / (4.0 * std::tan(15.0 * 3.14159265358979323846 / 180.0));
  EXPECT_NEAR(x, 320.0 - halfSide, 1e-3);
  EXPECT_NEAR(y, 240.0 - halfSide, 1e-3);

  const int32_t sizes[][2] = {{640, 480}, {800, 600}, {1920, 480}, {640, 1200}};
  const float cameras[] = {-0.755f, 0.0f, 0.3f};
  const float zooms[] = {0.90000165f, 2.5f, 4.0f};
  for (const auto &size : sizes) {
    for (float camera : cameras) {
      for (float zoom : zooms) {
        viewerState.windowWidth = size[0];
        viewerState.windowHeight = size[1];
        viewerState.cameraX = camera;
        viewerState.cameraY = -camera;
        viewerState.zoom = zoom;
        for (int32_t pixel : {0, 17, 239, 479}) {
          double mapX;
          double mapY;
          savegamePointAtPixel(pixel, pixel, &mapX, &mapY);
          pixelOfSavegamePoint(mapX, mapY, &x, &y);
          ASSERT_NEAR(x, pixel + 0.5, 1e-6) << size[0] << "x" << size[1] << " zoom " << zoom;
          ASSERT_NEAR(y, pixel + 0.5, 1e-6) << size[0] << "x" << size[1] << " zoom " << zoom;
        }
      }
    }
  }
}

// The information line: the map position under the pointer, and the nearest
// marker within 6 pixels with its kind, index and position, non-finite
// numbers written as the list command writes them.
TEST_F(CompanionTest, InformationLineNamesTheMarkerUnderThePointer) {
  writeBytes(savePath, makeSavegame({pickup(154, 0, 0, NAN), pickup(154, 500, 500, 1.25f),
                                     pickup(127, 540, 500, -INFINITY)}));
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  char lines[INFO_LINE_COUNT][INFO_LINE_SIZE];

  // At zoom 4 the rampage at 540 stands 4.5 pixels right of the package at
  // 500. The pointer about 3 pixels left of the package names the package.
  double x;
  double y;
  pixelOfSavegamePoint(500, 500, &x, &y);
  viewerState.mouseX = static_cast<int32_t>(std::floor(x)) - 3;
  viewerState.mouseY = static_cast<int32_t>(std::floor(y));
  ASSERT_EQ(composeInfoLines(lines), 2);
  EXPECT_EQ(std::string(lines[1]), "package 1: 500.0, 500.0, 1.2");
  double mapX;
  double mapY;
  savegamePointAtPixel(viewerState.mouseX, viewerState.mouseY, &mapX, &mapY);
  char expected[INFO_LINE_SIZE];
  std::snprintf(expected, sizeof expected, "map %.1f, %.1f", mapX, mapY);
  EXPECT_EQ(std::string(lines[0]), expected);

  // About 4 pixels right of the package: the rampage is nearer and wins.
  viewerState.mouseX += 7;
  ASSERT_EQ(composeInfoLines(lines), 2);
  EXPECT_EQ(std::string(lines[1]), "rampage 0: 540.0, 500.0, -inf");

  pixelOfSavegamePoint(0, 0, &x, &y);
  viewerState.mouseX = static_cast<int32_t>(std::floor(x));
  viewerState.mouseY = static_cast<int32_t>(std::floor(y));
  ASSERT_EQ(composeInfoLines(lines), 2);
  EXPECT_EQ(std::string(lines[1]), "package 0: 0.0, 0.0, nan");

  // Seven pixels away from every marker: the position alone.
  viewerState.mouseY += 7;
  EXPECT_EQ(composeInfoLines(lines), 1);
}

}  // namespace
