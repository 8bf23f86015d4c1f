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

TEST_F(CollectedTest, DroppedMarkersStayUntilTheyReturnOrASaveIsOpened) {
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

  // An older save put back brings the rampage back to life.
  gameSaves({first, moved, rampage});
  EXPECT_EQ(viewerState.collectedCount, 2);

  // Opened afresh: nothing is collected any more.
  ASSERT_TRUE(openSavegameFile(savePath.c_str()));
  EXPECT_EQ(viewerState.collectedCount, 0);
}

}  // namespace
