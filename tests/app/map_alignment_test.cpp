// Placing a picture of the map: the pin solver on exact, noisy and degenerate
// pins, and the align mode driven through the input handlers as a player
// drives it (pick a marker, click its place, Enter or Escape).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/gestures.h"
#include "app/input.h"
#include "app/map_alignment.h"
#include "app/map_point.h"
#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "save/open_dialog.h"
#include "save/savegame.h"
#include "support/savegame_writer.h"
#include "support/user_folder.h"

namespace {

// A picture 800 x 600 whose top-left corner shows savegame (-1700, 1300) at
// 2.5 units a pixel: off-centre, at an odd scale.
constexpr PicturePlacement TRUE_PLACE = {-1700.0, 1300.0, 2.5};

MapPin pinAt(double px, double py, double noiseX = 0, double noiseY = 0) {
  double x = 0, y = 0;
  worldOfPicturePoint(TRUE_PLACE, px, py, &x, &y);
  return {px, py, x + noiseX, y + noiseY};
}

TEST(PinSolver, SolvesExactAndNoisyPinsAndRefusesDegenerateOnes) {
  struct Case {
    const char *name;
    std::vector<MapPin> pins;
    PinSolution expected;
    double tolerancePixels;  // of the solved placement against the true one
  };
  const Case cases[] = {
      {"two exact pins", {pinAt(100, 80), pinAt(700, 500)}, PINS_SOLVED, 1e-3},
      {"two exact pins, one row", {pinAt(50, 300), pinAt(750, 300)}, PINS_SOLVED, 1e-3},
      {"three noisy pins", {pinAt(100, 80, 4, -3), pinAt(700, 500, -3, 2), pinAt(400, 100, -1, 1)}, PINS_SOLVED, 3},
      {"one pin", {pinAt(100, 80)}, PINS_TOO_FEW, 0},
      {"markers closer than a tenth of the map", {pinAt(100, 80), pinAt(250, 80)}, PINS_TOO_CLOSE, 0},
      {"one picture point for two markers", {{10, 10, -1000, 0}, {10, 10, 1000, 0}}, PINS_SAME_PLACE, 0},
      {"pins that turn the picture over", {{0, 0, 1000, 0}, {100, 0, -1000, 0}}, PINS_MIRRORED, 0},
      {"not a number", {pinAt(100, 80), {NAN, 5, 0, 0}}, PINS_NOT_FINITE, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    PicturePlacement placement = {};
    double worst = -1;
    ASSERT_EQ(solvePins(c.pins.data(), static_cast<int32_t>(c.pins.size()), &placement, &worst), c.expected);
    if (c.expected != PINS_SOLVED) {
      EXPECT_STRNE(pinSolutionText(c.expected), "");
      continue;
    }
    // Every corner of the picture within the tolerance, in picture pixels.
    for (double px : {0.0, 800.0}) {
      for (double py : {0.0, 600.0}) {
        double trueX = 0, trueY = 0, x = 0, y = 0;
        worldOfPicturePoint(TRUE_PLACE, px, py, &trueX, &trueY);
        worldOfPicturePoint(placement, px, py, &x, &y);
        EXPECT_LE(std::hypot(x - trueX, y - trueY) / TRUE_PLACE.unitsPerPixel, c.tolerancePixels);
      }
    }
    // The worst pin's error is what the placement leaves at some pin.
    EXPECT_GE(worst, 0);
    if (c.tolerancePixels < 1) {
      EXPECT_LT(worst, 1e-6);
    } else {
      EXPECT_GT(worst, 1);
    }
  }
}

TEST(PinSolver, FittedPlacementSpansTheSquareWithTheLongerSideCentred) {
  const WorldEdges wide = placementEdges(fittedPlacement(800, 400), 800, 400);
  EXPECT_DOUBLE_EQ(wide.left, -MAP_EXTENT);
  EXPECT_DOUBLE_EQ(wide.right, MAP_EXTENT);
  EXPECT_DOUBLE_EQ(wide.top, 1000);
  EXPECT_DOUBLE_EQ(wide.bottom, -1000);
  const WorldEdges tall = placementEdges(fittedPlacement(100, 400), 100, 400);
  EXPECT_DOUBLE_EQ(tall.top - tall.bottom, 2 * MAP_EXTENT);
  EXPECT_DOUBLE_EQ(tall.left, -500);
}

class AlignModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    headlessClearMessageBoxes();
    // What Enter keeps goes to a data folder of the test's own.
    std::filesystem::remove_all(home);
    kept = useUserDataFolderIn(home);
    writeBytes(source, {'B', 'M', 0, 0});
    const std::vector<unsigned char> save =
        makeSavegame({pickup(PICKUP_KIND_PACKAGE, -1200, 900, 12), pickup(PICKUP_KIND_PACKAGE, 200, 400, 12),
                      pickup(PICKUP_KIND_RAMPAGE, -300, 100, 0)});
    ASSERT_TRUE(openSavegameBytes("align.b", save.data(), save.size()));
    Picture picture;
    picture.width = 800;
    picture.height = 600;
    picture.rgba.assign(800 * 600 * 4, 200);
    beginMapAlignment(std::move(picture), nullptr, source.c_str());
  }
  void TearDown() override {
    resetViewerState();
    std::filesystem::remove_all(home);
    std::remove(source.c_str());
  }
  const std::string home = temporaryPath("align-home");
  std::string kept;
  const std::string source = temporaryPath("guide.bmp");

  // The client pixel where savegame point (x, y) is drawn.
  static void pixelOf(double x, double y, int32_t *px, int32_t *py) {
    double fx = 0, fy = 0;
    pixelOfSavegamePoint(x, y, &fx, &fy);
    *px = static_cast<int32_t>(std::floor(fx));
    *py = static_cast<int32_t>(std::floor(fy));
  }
  // Where the picture, as now placed, draws its point (px, py).
  static void pixelOfPicturePoint(double px, double py, int32_t *x, int32_t *y) {
    double wx = 0, wy = 0;
    worldOfPicturePoint(viewerState.alignment.placement, px, py, &wx, &wy);
    pixelOf(wx, wy, x, y);
  }
  static void click(int32_t x, int32_t y) {
    handleLeftButtonDown(x, y);
    handleLeftButtonUp();
  }
  static void press(uint32_t key) {
    handleKeyDown(key);
    applyControls();
    handleKeyUp(key);
  }
  // Pins marker (x, y) to the picture point that truly shows it.
  static void pinMarker(double x, double y) {
    int32_t mx = 0, my = 0, px = 0, py = 0;
    pixelOf(x, y, &mx, &my);
    click(mx, my);
    double truePx = 0, truePy = 0;
    pictureOfWorldPoint(TRUE_PLACE, x, y, &truePx, &truePy);
    pixelOfPicturePoint(truePx, truePy, &px, &py);
    click(px, py);
  }
};

TEST_F(AlignModeTest, TwoPinsPlaceThePictureAndEnterKeepsIt) {
  viewerState.zoom = 2.0f;  // nearer, as a player zooms in to pin
  pinMarker(-1200, 900);
  EXPECT_EQ(viewerState.alignment.pinCount, 1);
  pinMarker(200, 400);
  ASSERT_EQ(viewerState.alignment.pinCount, 2);
  // Each pin is one click's pixel from its point: the place is within a pixel.
  const PicturePlacement &solved = viewerState.alignment.placement;
  double x = 0, y = 0, trueX = 0, trueY = 0;
  worldOfPicturePoint(solved, 400, 300, &x, &y);
  worldOfPicturePoint(TRUE_PLACE, 400, 300, &trueX, &trueY);
  EXPECT_LT(std::hypot(x - trueX, y - trueY), 2 * scenePerPixel(viewerState.zoom) / SAVEGAME_TO_SCENE);

  press(13);  // Enter
  EXPECT_FALSE(aligningMap());
  EXPECT_TRUE(viewerState.alignment.ownMapShown);
  EXPECT_DOUBLE_EQ(viewerState.alignment.ownPlacement.unitsPerPixel, solved.unitsPerPixel);
  EXPECT_EQ(viewerState.running, 1);
  EXPECT_TRUE(headlessMessageBoxes().empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(kept + "/THmap.bmp"));
}

TEST_F(AlignModeTest, AMapThatCannotBeKeptIsToldAndStillShown) {
  // The data folder cannot be made: a file stands where it would go.
  writeBytes(home, {'x'});
  press(13);
  EXPECT_TRUE(viewerState.alignment.ownMapShown);
  ASSERT_EQ(headlessMessageBoxes().size(), 1u);
  EXPECT_NE(headlessMessageBoxes()[0].text.find("cannot be kept"), std::string::npos);
}

TEST_F(AlignModeTest, RefusesTheSameMarkerTwiceAndOneTooCloseAndTakesPinsBack) {
  pinMarker(-1200, 900);
  int32_t mx = 0, my = 0;
  pixelOf(-1200, 900, &mx, &my);
  click(mx, my);  // the pinned marker again
  EXPECT_EQ(viewerState.alignment.pickedKind, -1);
  EXPECT_NE(std::string(viewerState.statusLine).find("pin already"), std::string::npos);
  // The rampage at (-300, 100) is 1204 units away: it may be picked; a
  // marker 300 units from the pin may not.
  const std::vector<unsigned char> save = makeSavegame(
      {pickup(PICKUP_KIND_PACKAGE, -1200, 900, 12), pickup(PICKUP_KIND_PACKAGE, -1000, 700, 12)});
  ASSERT_TRUE(openSavegameBytes("align.b", save.data(), save.size()));
  pixelOf(-1000, 700, &mx, &my);
  click(mx, my);
  EXPECT_EQ(viewerState.alignment.pickedKind, -1);
  EXPECT_NE(std::string(viewerState.statusLine).find("Too close"), std::string::npos);

  press(8);  // Backspace
  EXPECT_EQ(viewerState.alignment.pinCount, 0);
}

TEST_F(AlignModeTest, DragWheelAndKeysMoveAndScaleThePictureNotTheView) {
  const PicturePlacement start = viewerState.alignment.placement;
  const float zoom = viewerState.zoom;
  handleLeftButtonDown(100, 100);
  handlePointerMotion(140, 130);
  applyControls();
  handleLeftButtonUp();
  const double perPixel = scenePerPixel(zoom) / SAVEGAME_TO_SCENE;
  EXPECT_NEAR(viewerState.alignment.placement.left - start.left, 40 * perPixel, 1e-6);
  EXPECT_NEAR(viewerState.alignment.placement.top - start.top, -30 * perPixel, 1e-6);
  EXPECT_EQ(viewerState.cameraX, 0.0f);
  EXPECT_EQ(viewerState.alignment.pinCount, 0);  // a drag is no click

  // The wheel scales about the pointer: the picture point under it stays.
  handlePointerMotion(200, 150);
  double beforeX = 0, beforeY = 0;
  savegamePointAtPixel(200, 150, &beforeX, &beforeY);
  double px = 0, py = 0;
  pictureOfWorldPoint(viewerState.alignment.placement, beforeX, beforeY, &px, &py);
  handleWheel(-1);
  EXPECT_EQ(viewerState.zoom, zoom);
  EXPECT_NEAR(viewerState.alignment.placement.unitsPerPixel, start.unitsPerPixel * 1.05, 1e-9);
  double afterX = 0, afterY = 0;
  worldOfPicturePoint(viewerState.alignment.placement, px, py, &afterX, &afterY);
  EXPECT_NEAR(afterX, beforeX, 1e-6);
  EXPECT_NEAR(afterY, beforeY, 1e-6);

  // An arrow key moves it one pixel, ten with Shift; Ctrl and plus zoom the view.
  const double left = viewerState.alignment.placement.left;
  press(VK_CODE_RIGHT);
  EXPECT_NEAR(viewerState.alignment.placement.left - left, perPixel, 1e-6);
  handleKeyDown(16);
  press(VK_CODE_RIGHT);
  handleKeyUp(16);
  EXPECT_NEAR(viewerState.alignment.placement.left - left, 11 * perPixel, 1e-6);
  EXPECT_EQ(viewerState.cameraX, 0.0f);
  handleKeyDown(17);
  press(VK_CODE_KEYPAD_PLUS);
  handleKeyUp(17);
  EXPECT_LT(viewerState.zoom, zoom);
}

TEST_F(AlignModeTest, EscapeLeavesTheMapAsItWasAndDoesNotQuit) {
  pinMarker(-1200, 900);
  handleKeyDown(VK_CODE_ESCAPE);
  applyControls();
  applyControls();  // still held on the next pass
  EXPECT_FALSE(aligningMap());
  EXPECT_FALSE(viewerState.alignment.ownMapShown);
  EXPECT_EQ(viewerState.running, 1);
  handleKeyUp(VK_CODE_ESCAPE);
  // Outside the align mode, escape quits as ever.
  handleKeyDown(VK_CODE_ESCAPE);
  applyControls();
  EXPECT_EQ(viewerState.running, 0);
}

TEST_F(AlignModeTest, DeleteAsksAndOnlyYesForgetsTheOwnMap) {
  press(13);
  ASSERT_TRUE(viewerState.alignment.ownMapShown);
  ASSERT_TRUE(std::filesystem::exists(kept + "/THmap.bmp"));
  press('M');  // aligns the kept picture again, where it lies
  ASSERT_TRUE(aligningMap());
  headlessScriptQuestions({false, true});
  press(46);
  EXPECT_TRUE(aligningMap());
  EXPECT_TRUE(viewerState.alignment.ownMapShown);
  press(46);
  EXPECT_FALSE(aligningMap());
  EXPECT_FALSE(viewerState.alignment.ownMapShown);
  EXPECT_TRUE(viewerState.alignment.chartWanted);
  EXPECT_FALSE(std::filesystem::exists(kept + "/THmap.bmp"));
}

}  // namespace
