// Fingers and the page's buttons on the view: the map point under a drag or
// a pinch stays under the fingers, zoom limits (the compact layout's farther
// one only where the platform allows it), what counts as a tap or a long
// press, and the list of what is left.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/collecting_route.h"
#include "app/controls.h"
#include "app/input.h"
#include "app/gestures.h"
#include "app/map_point.h"
#include "app/marker_list.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "save/open_dialog.h"
#include "support/savegame_writer.h"

namespace {

class GesturesTest : public ::testing::Test {
 protected:
  void SetUp() override { resetViewerState(); }
  void TearDown() override { resetViewerState(); }

  void phone() {
    viewerState.compactAllowed = 1;
    viewerState.pixelScale = 3;
    viewerState.windowWidth = 1170;
    viewerState.windowHeight = 2220;
  }

  void open(const std::vector<PickupRecord> &pickups) {
    const std::vector<unsigned char> bytes = makeSavegame(pickups);
    ASSERT_TRUE(openSavegameBytes("hand.b", bytes.data(), bytes.size()));
  }

  static std::vector<std::string> listed() {
    MarkerListRow rows[MARKER_LIST_CAPACITY];
    const int32_t count = listShownMarkers(rows, MARKER_LIST_CAPACITY);
    std::vector<std::string> texts;
    for (int32_t i = 0; i < count; ++i) {
      char text[MARKER_ROW_TEXT_SIZE];
      formatMarkerRow(rows[i], text);
      texts.push_back((rows[i].collected ? "x " : "") + std::string(text));
    }
    return texts;
  }
};

// The map point under the fingers' midpoint before a move is under it after,
// for drags and pinches alike, away from the camera's limit; zoom follows
// the spread within the limits.
TEST_F(GesturesTest, MapPointUnderTheFingersStaysUnderThem) {
  struct Case {
    double fromX, fromY, toX, toY;
    float zoom, expectedZoom;
  };
  const Case cases[] = {
      {300, 200, 340, 232, 4.0f, 4.0f},   // one finger
      {320, 240, 320, 240, 2.0f, 2.0f},   // spread to twice about the centre
      {100, 400, 130, 380, 2.5f, 2.5f},   // pinch that also pans
      {200, 100, 200, 100, 0.5f, 1.0f},   // not nearer than the keys go
      {200, 100, 200, 100, 9.0f, 4.0f},   // nor farther, on the desktop
  };
  for (const Case &c : cases) {
    resetViewerState();
    viewerState.zoom = 3.0f;
    double beforeX, beforeY, afterX, afterY;
    savegamePointAtPixel(static_cast<int32_t>(c.fromX), static_cast<int32_t>(c.fromY), &beforeX, &beforeY);
    zoomAboutPoint(c.fromX + 0.5, c.fromY + 0.5, c.toX + 0.5, c.toY + 0.5, c.zoom);
    EXPECT_FLOAT_EQ(viewerState.zoom, c.expectedZoom) << c.fromX;
    savegamePointAtPixel(static_cast<int32_t>(c.toX), static_cast<int32_t>(c.toY), &afterX, &afterY);
    EXPECT_NEAR(afterX, beforeX, 0.01) << c.fromX;
    EXPECT_NEAR(afterY, beforeY, 0.01) << c.fromX;
  }
}

// The mouse keeps its speed per layout pixel where a pixel is several.
TEST_F(GesturesTest, MouseDragKeepsItsSpeedOnDenseScreens) {
  viewerState.pixelScale = 2;
  handleLeftButtonDown(100, 100);
  handlePointerMotion(164, 100);
  applyControls();
  EXPECT_FLOAT_EQ(viewerState.cameraX, -0.25f);
}

// The compact layout is the page's choice only: a portrait desktop window
// keeps the desktop's limit. On a phone the farthest zoom fits the square to
// the width, and the keys' step out stops there.
TEST_F(GesturesTest, CompactLayoutFitsTheWidthOnlyWhereAllowed) {
  phone();
  viewerState.compactAllowed = 0;
  EXPECT_FALSE(compactLayout());
  EXPECT_FLOAT_EQ(farthestZoom(), ZOOM_FARTHEST);
  viewerState.compactAllowed = 1;
  EXPECT_TRUE(compactLayout());
  fitWholeMap();
  double left, right, y;
  pixelOfSavegamePoint(-2000, 0, &left, &y);
  pixelOfSavegamePoint(2000, 0, &right, &y);
  EXPECT_NEAR(left, 0.0, 1.0);
  EXPECT_NEAR(right, viewerState.windowWidth, 1.0);
  // Wide and landscape: the desktop picture, even on the page.
  viewerState.windowWidth = 1920;
  viewerState.windowHeight = 1080;
  EXPECT_FALSE(compactLayout());
  viewerState.pixelScale = 4;  // 480 layout pixels across
  EXPECT_TRUE(compactLayout());
}

// Down and up within the slop and the time is a tap that names the nearest
// marker within the tap radius; a finger that moved, one held half a second
// (a long press, once) and two fingers are not taps.
TEST_F(GesturesTest, TapsLongPressesAndPinchesAreToldApart) {
  phone();
  fitWholeMap();
  open({pickup(154, 0, 0, 12), pickup(154, 1500, 1500, 40), pickup(127, -800, 600, 3)});
  double x, y;
  pixelOfSavegamePoint(0, 0, &x, &y);
  const double near = (TAP_RADIUS - 2) * viewerState.pixelScale;

  touchDown(1, x + near, y, 1000);
  touchMoved(1, x + near + 5, y);
  EXPECT_EQ(touchHeld(1400), GESTURE_NONE);
  EXPECT_EQ(touchUp(1, 1499), GESTURE_TAP);
  char lines[INFO_LINE_COUNT][INFO_LINE_SIZE];
  ASSERT_EQ(composeInfoLines(lines), 2);
  EXPECT_STREQ(lines[1], "package 0: 0.0, 0.0, 12.0");

  touchDown(1, x + 3 * near, y, 2000);  // nothing within reach
  EXPECT_EQ(touchUp(1, 2100), GESTURE_TAP);
  EXPECT_EQ(composeInfoLines(lines), 1);

  touchDown(1, x, y, 3000);
  touchMoved(1, x + TAP_SLOP * 3 + 1, y);
  EXPECT_EQ(touchUp(1, 3100), GESTURE_NONE);

  touchDown(1, x, y, 4000);
  EXPECT_EQ(touchUp(1, 4000 + LONG_PRESS_MS), GESTURE_NONE);

  // Held: the route starts at the pressed marker.
  touchDown(7, x, y, 5000);
  EXPECT_EQ(touchHeld(5000 + LONG_PRESS_MS - 1), GESTURE_NONE);
  EXPECT_EQ(touchHeld(5000 + LONG_PRESS_MS), GESTURE_LONG_PRESS);
  EXPECT_EQ(touchHeld(6000), GESTURE_NONE);
  EXPECT_EQ(touchUp(7, 6000), GESTURE_NONE);
  ASSERT_EQ(viewerState.showRoute, 1);
  EXPECT_EQ(routeStopNumber(MARKER_PACKAGE, 0), 1);

  touchDown(1, x, y, 7000);
  touchDown(2, x + 100, y, 7010);
  EXPECT_EQ(touchUp(2, 7020), GESTURE_NONE);
  EXPECT_EQ(touchUp(1, 7030), GESTURE_NONE);
  EXPECT_EQ(touchHeld(8000), GESTURE_NONE);
}

// The list: list order without a route, route order with one, only the kinds
// shown, the collected after the rest; positions rounded to whole units.
TEST_F(GesturesTest, ListFollowsTheRouteTheKindsAndTheCollected) {
  open({pickup(154, 0.4f, -0.4f, 12.5f), pickup(154, 1500, 1500, 40), pickup(127, -800, 600, NAN)});
  EXPECT_EQ(listed(), (std::vector<std::string>{"package 0: 0, 0, 13", "package 1: 1500, 1500, 40",
                                                "rampage 0: -800, 600, nan"}));
  showRouteFromPixel(0, 0);  // the top-left corner: the rampage is nearest
  EXPECT_EQ(listed(), (std::vector<std::string>{"rampage 0: -800, 600, nan", "package 0: 0, 0, 13",
                                                "package 1: 1500, 1500, 40"}));
  toggleRouteFromCentre();
  EXPECT_EQ(viewerState.showRoute, 0);
  cycleShownKinds();  // packages only
  viewerState.collected[0] = {{5, 6, 7}, MARKER_PACKAGE, 4};
  viewerState.collectedCount = 1;
  EXPECT_EQ(listed(), (std::vector<std::string>{"package 0: 0, 0, 13", "package 1: 1500, 1500, 40",
                                                "x package 4: 5, 6, 7"}));
  // A row centres its marker and names it; a row that is gone changes nothing.
  ASSERT_TRUE(centreOnMarker(MARKER_PACKAGE, 1, false));
  EXPECT_FLOAT_EQ(viewerState.cameraX, -0.75f);
  EXPECT_FALSE(centreOnMarker(MARKER_PACKAGE, 2, false));
  char lines[INFO_LINE_COUNT][INFO_LINE_SIZE];
  ASSERT_EQ(composeInfoLines(lines), 2);
  EXPECT_STREQ(lines[1], "package 1: 1500.0, 1500.0, 40.0");
}

// The page's zoom: + and - step by a quarter within the bounds; a second tap
// soon after and near the first zooms in twice about it, one too late or
// too far is a tap of its own. A tap on a marker picks it, one beside none.
TEST_F(GesturesTest, ZoomStepsDoubleTapsAndThePickedMarker) {
  phone();
  fitWholeMap();
  open({pickup(154, 0, 0, 12), pickup(154, 1500, 1500, 40)});
  const float fit = viewerState.zoom;
  zoomStep(1);
  EXPECT_FLOAT_EQ(viewerState.zoom, fit / ZOOM_BUTTON_FACTOR);
  zoomStep(-1);
  zoomStep(-1);
  EXPECT_FLOAT_EQ(viewerState.zoom, fit);  // no farther than the whole map

  double x, y;
  pixelOfSavegamePoint(1500, 1500, &x, &y);
  touchDown(1, x, y, 1000);
  EXPECT_EQ(touchUp(1, 1050), GESTURE_TAP);
  EXPECT_EQ(viewerState.pickedSet, 1);
  EXPECT_FLOAT_EQ(viewerState.pickedX, 1500.0f);
  const double pointX = viewerState.windowWidth / 2.0 + 300.0;
  const double pointY = viewerState.windowHeight / 2.0;
  struct Case {
    uint32_t secondAfterMs;
    double secondOffset;
    GestureResult second;
  };
  const double near = TAP_RADIUS * viewerState.pixelScale;
  uint32_t now = 10000;
  for (const Case &c : {Case{DOUBLE_TAP_MS - 1, near - 1, GESTURE_DOUBLE_TAP}, Case{DOUBLE_TAP_MS + 1, 0, GESTURE_TAP},
                        Case{100, near + 1, GESTURE_TAP}}) {
    fitWholeMap();
    now += 10000;
    // The zoom is about the second tap's point.
    const int32_t secondX = static_cast<int32_t>(pointX + c.secondOffset);
    double beforeX, beforeY;
    savegamePointAtPixel(secondX, static_cast<int32_t>(pointY), &beforeX, &beforeY);
    touchDown(1, pointX, pointY, now);
    ASSERT_EQ(touchUp(1, now + 10), GESTURE_TAP);
    EXPECT_EQ(viewerState.pickedSet, 0);  // nothing there
    touchDown(1, pointX + c.secondOffset, pointY, now + 10 + c.secondAfterMs);
    EXPECT_EQ(touchUp(1, now + 20 + c.secondAfterMs), c.second) << c.secondAfterMs << " " << c.secondOffset;
    if (c.second != GESTURE_DOUBLE_TAP) continue;
    EXPECT_FLOAT_EQ(viewerState.zoom, fit / DOUBLE_TAP_ZOOM);
    double afterX, afterY;
    savegamePointAtPixel(secondX, static_cast<int32_t>(pointY), &afterX, &afterY);
    EXPECT_NEAR(afterX, beforeX, 2.0);
    EXPECT_NEAR(afterY, beforeY, 2.0);
  }
}

}  // namespace
