// What was just collected: markers that a quiet reload drops are kept, with
// the number they had, until they come back or a save is opened afresh; the
// information line names them.
#include <gtest/gtest.h>

#include <string>

#include "app/collecting_route.h"
#include "app/map_point.h"
#include "app/viewer_state.h"
#include "save/live_reload.h"
#include "save/open_dialog.h"
#include "support/savegame_writer.h"

namespace {

class CollectedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    savePath = temporaryPath("collected.b");
  }
  void TearDown() override { resetViewerState(); }

  // Writes the save and has the next due check read it.
  void gameSaves(const std::vector<PickupRecord> &pickups) {
    writeBytes(savePath, makeSavegame(pickups));
    now += RELOAD_CHECK_INTERVAL_MS;
    ASSERT_TRUE(reloadSavegameIfChanged(now));
  }

  std::string savePath;
  uint32_t now = 0;
};

TEST_F(CollectedTest, DroppedMarkersStayUntilTheyReturn) {
  const PickupRecord first = pickup(154, 100, 100, 5), second = pickup(154, -300, 200, 12),
                     third = pickup(154, 700, -50, 20), rampage = pickup(127, 0, 0, 0);
  writeBytes(savePath, makeSavegame({first, second, third, rampage}));
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));

  // Package 1 and the rampage are collected; a marker that only moved (z
  // differs by one bit) counts as collected, and its replacement as new.
  const PickupRecord moved{third.kind, third.xBits, third.yBits, third.zBits + 1};
  gameSaves({first, moved});
  EXPECT_EQ(viewerState.packageCount, 2);
  EXPECT_EQ(viewerState.rampageCount, 0);
  ASSERT_EQ(viewerState.collectedCount, 3);
  EXPECT_EQ(viewerState.collected[0].number, 1);
  EXPECT_EQ(viewerState.collected[0].kind, MARKER_PACKAGE);
  EXPECT_EQ(viewerState.collected[1].number, 2);
  EXPECT_EQ(viewerState.collected[2].kind, MARKER_RAMPAGE);
  EXPECT_EQ(viewerState.collected[2].number, 0);
  // What this reload collected, by kind, for the page to say.
  EXPECT_EQ(viewerState.justCollected[MARKER_PACKAGE], 2);
  EXPECT_EQ(viewerState.justCollected[MARKER_RAMPAGE], 1);

  // The information line names a collected marker with its old number.
  double x, y;
  pixelOfSavegamePoint(-300, 200, &x, &y);
  viewerState.mouseX = static_cast<int32_t>(x);
  viewerState.mouseY = static_cast<int32_t>(y);
  char lines[INFO_LINE_COUNT][INFO_LINE_SIZE];
  ASSERT_EQ(composeInfoLines(lines), 2);
  EXPECT_STREQ(lines[1], "package 1: collected");
  // ... only while its outline is drawn: 'C' and 'K' hide it.
  viewerState.showCollected = 0;
  EXPECT_EQ(composeInfoLines(lines), 1);
  viewerState.showCollected = 1;
  viewerState.shownKinds = SHOW_RAMPAGES_ONLY;
  EXPECT_EQ(composeInfoLines(lines), 1);
  viewerState.shownKinds = SHOW_BOTH_KINDS;

  // The older save put back brings all three back to life at once, two of
  // them side by side in the collected list; the moved one is collected.
  gameSaves({first, second, third, rampage});
  ASSERT_EQ(viewerState.collectedCount, 1);
  EXPECT_EQ(viewerState.collected[0].number, 1);
  EXPECT_EQ(viewerState.justCollected[MARKER_PACKAGE], 1);
  EXPECT_EQ(viewerState.justCollected[MARKER_RAMPAGE], 0);
}

// Past the capacity, the oldest collected markers give way to the newest.
TEST_F(CollectedTest, TheOldestGiveWayPastTheCapacity) {
  constexpr int32_t ROUNDS = 3;
  std::vector<PickupRecord> empty;
  writeBytes(savePath, makeSavegame(empty));
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  for (int32_t round = 0; round < ROUNDS; ++round) {
    std::vector<PickupRecord> packages;
    for (int32_t i = 0; i < PACKAGE_CAPACITY; ++i) packages.push_back(pickup(154, round * 1000.0f + i, 0, 0));
    gameSaves(packages);
    gameSaves(empty);
  }
  ASSERT_EQ(viewerState.collectedCount, COLLECTED_CAPACITY);
  const int32_t givenWay = ROUNDS * PACKAGE_CAPACITY - COLLECTED_CAPACITY;
  EXPECT_EQ(viewerState.collected[0].marker.x, static_cast<float>(givenWay));
  EXPECT_EQ(viewerState.collected[0].number, givenWay);
  EXPECT_EQ(viewerState.collected[COLLECTED_CAPACITY - 1].marker.x, (ROUNDS - 1) * 1000.0f + PACKAGE_CAPACITY - 1);
}

// A save opened afresh, from a file (dialog, command line, drop on the
// window) or from bytes (the page's picker and drop), starts with nothing
// collected.
TEST_F(CollectedTest, EveryWayOfOpeningASaveForgetsTheCollected) {
  const std::vector<unsigned char> bytes = makeSavegame({pickup(154, 1, 2, 3)});
  const struct {
    const char *name;
    bool (*open)(const std::string &path, const std::vector<unsigned char> &bytes);
  } openers[] = {
      {"file", [](const std::string &path, const std::vector<unsigned char> &) {
         return openSavegameFile(path.c_str());
       }},
      {"bytes", [](const std::string &, const std::vector<unsigned char> &save) {
         return openSavegameBytes("dropped.b", save.data(), save.size());
       }},
  };
  for (const auto &opener : openers) {
    SCOPED_TRACE(opener.name);
    writeBytes(savePath, makeSavegame({pickup(154, 100, 100, 5)}));
    ASSERT_TRUE(openSavegameFile(savePath.c_str()));
    gameSaves({});
    ASSERT_EQ(viewerState.collectedCount, 1);
    ASSERT_TRUE(opener.open(savePath, bytes));
    EXPECT_EQ(viewerState.collectedCount, 0);
  }
}

}  // namespace
