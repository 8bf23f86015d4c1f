// What the input handlers record: keys, wheel, pointer anchor and the
// minimum-size rule of a window being sized.
#include <gtest/gtest.h>

#include <cstring>

#include "app/input.h"
#include "app/viewer_state.h"

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { resetViewerState(); }
  void TearDown() override { resetViewerState(); }
};

TEST_F(InputTest, KeyCodesOutsideTheTableAreIgnored) {
  handleKeyDown(255);
  handleKeyUp(255);
  int32_t keyDown[KEY_CODE_COUNT];
  int32_t keyEvent[KEY_CODE_COUNT];
  std::memcpy(keyDown, viewerState.keyDown, sizeof keyDown);
  std::memcpy(keyEvent, viewerState.keyEvent, sizeof keyEvent);
  for (uint32_t code : {256u, 1000u, 0x80000000u, 0xFFFFFFFFu}) {
    handleKeyDown(code);
    handleKeyUp(code);
  }
  EXPECT_EQ(std::memcmp(keyDown, viewerState.keyDown, sizeof keyDown), 0);
  EXPECT_EQ(std::memcmp(keyEvent, viewerState.keyEvent, sizeof keyEvent), 0);
  EXPECT_EQ(viewerState.keyEvent[255], 1);
}

TEST_F(InputTest, WheelStepsByItsSignOnlyAndStopsPastTheBounds) {
  handleWheel(120);  // away from the user at the far bound
  EXPECT_EQ(viewerState.zoom, 4.0f);

  int steps = 0;
  for (int i = 0; i < 40; ++i) {
    float before = viewerState.zoom;
    handleWheel(i % 2 == 0 ? -120 : -1);
    if (viewerState.zoom != before) ++steps;
    if (steps == 30) {
      EXPECT_EQ(viewerState.zoom, 1.0000017f);
    }
  }
  EXPECT_EQ(steps, 31);
  EXPECT_EQ(viewerState.zoom, 0.90000165f);

  handleWheel(0);  // a zero delta counts as toward the user
  EXPECT_EQ(viewerState.zoom, 0.90000165f);

  for (int i = 0; i < 31; ++i) handleWheel(32767);
  EXPECT_EQ(viewerState.zoom, 4.0f);
  handleWheel(1);
  EXPECT_EQ(viewerState.zoom, 4.0f);

  viewerState.zoom = 2.0f;
  handleWheel(0);
  EXPECT_EQ(viewerState.zoom, 1.9f);
}

TEST_F(InputTest, FirstMotionAfterStartIsAnchoredAtTheCentre) {
  startPointerAtCentre();
  handlePointerMotion(300, 250);
  EXPECT_EQ(viewerState.dragAnchorSet, 1);
  EXPECT_EQ(viewerState.dragAnchorX, 320);
  EXPECT_EQ(viewerState.dragAnchorY, 240);
  EXPECT_EQ(viewerState.dragDeltaX, -20);
  EXPECT_EQ(viewerState.dragDeltaY, 10);

  // Further motion accumulates against the same anchor.
  handlePointerMotion(330, 200);
  EXPECT_EQ(viewerState.dragDeltaX, 10);
  EXPECT_EQ(viewerState.dragDeltaY, -40);
}

struct SizingCase {
  int32_t edge;
  SizingRect expected;
};

// A 300 x 200 window at (100, 100) being sized from each edge.
TEST_F(InputTest, SizingMovesOnlyTheDraggedEdges) {
  const SizingRect small{100, 100, 400, 300};
  const SizingCase cases[] = {
      {SIZING_LEFT, {-240, 100, 400, 300}},      {SIZING_RIGHT, {100, 100, 740, 300}},
      {SIZING_TOP, {100, -180, 400, 300}},       {SIZING_TOPLEFT, {-240, -180, 400, 300}},
      {SIZING_TOPRIGHT, {100, -180, 740, 300}},  {SIZING_BOTTOM, {100, 100, 400, 580}},
      {SIZING_BOTTOMLEFT, {-240, 100, 400, 580}}, {SIZING_BOTTOMRIGHT, {100, 100, 740, 580}},
      {0, small},                                {9, small},
      {-1, small},
  };
  for (const SizingCase &sizing : cases) {
    SizingRect rect = small;
    applyMinimumSize(sizing.edge, &rect);
    EXPECT_EQ(rect.left, sizing.expected.left) << "edge " << sizing.edge;
    EXPECT_EQ(rect.top, sizing.expected.top) << "edge " << sizing.edge;
    EXPECT_EQ(rect.right, sizing.expected.right) << "edge " << sizing.edge;
    EXPECT_EQ(rect.bottom, sizing.expected.bottom) << "edge " << sizing.edge;
  }
}

TEST_F(InputTest, SizingLeavesALargeEnoughWindowAlone) {
  for (int32_t edge = SIZING_LEFT; edge <= SIZING_BOTTOMRIGHT; ++edge) {
    SizingRect rect{10, 20, 650, 500};  // exactly 640 x 480
    applyMinimumSize(edge, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 650);
    EXPECT_EQ(rect.bottom, 500);
  }
  // A window turned inside out (right left of left) is too narrow as well.
  SizingRect inverted{500, 0, 100, 600};
  applyMinimumSize(SIZING_RIGHT, &inverted);
  EXPECT_EQ(inverted.right, 1140);
  EXPECT_EQ(inverted.bottom, 600);
}

}  // namespace
