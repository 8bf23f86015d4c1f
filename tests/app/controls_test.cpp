// The per-frame controls driven through the input handlers, as the platform
// layers drive them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/controls.h"
#include "app/frame_schedule.h"
#include "app/input.h"
#include "app/status_line.h"
#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "render/marker_palette.h"
#include "save/open_dialog.h"
#include "support/savegame_writer.h"

namespace {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    headlessClearMessageBoxes();
    headlessScriptChooser({});
  }
  void TearDown() override { resetViewerState(); }

  // Holds a key for the given number of passes and counts the passes in which
  // the value changed.
  static int holdKey(uint32_t key, int passes, const float *value) {
    handleKeyDown(key);
    int steps = 0;
    for (int i = 0; i < passes; ++i) {
      float before = *value;
      applyControls();
      if (*value != before) ++steps;
    }
    handleKeyUp(key);
    return steps;
  }

  static void press(uint32_t key) {
    handleKeyDown(key);
    applyControls();
    handleKeyUp(key);
  }
};

TEST_F(ControlsTest, KeyPanStopsJustPastEachBound) {
  struct Axis {
    uint32_t increase;
    uint32_t decrease;
    float *value;
  };
  const Axis axes[] = {
      {VK_CODE_LEFT, VK_CODE_RIGHT, &viewerState.cameraX},
      {'A', 'D', &viewerState.cameraX},
      {VK_CODE_DOWN, VK_CODE_UP, &viewerState.cameraY},
      {'S', 'W', &viewerState.cameraY},
  };
  for (const Axis &axis : axes) {
    resetViewerState();
    // Each sum is rounded to 32 bits, so the 150th step leaves 0.7499995,
    // still below the bound, and the 151st stops at 0.7549995.
    EXPECT_EQ(holdKey(axis.increase, 150, axis.value), 150);
    EXPECT_LT(*axis.value, 0.75f);
    EXPECT_NEAR(*axis.value, 0.7499995, 1e-7);
    EXPECT_EQ(holdKey(axis.increase, 50, axis.value), 1);
    EXPECT_NEAR(*axis.value, 0.7549995, 1e-7);

    EXPECT_EQ(holdKey(axis.decrease, 400, axis.value), 302);
    EXPECT_LT(*axis.value, -0.75f);
    EXPECT_GT(*axis.value, -0.755f - 0.0001f);
  }
}

TEST_F(ControlsTest, OppositePanKeysTogetherCancelOutInsideTheBounds) {
  viewerState.cameraX = 0.25f;
  handleKeyDown(VK_CODE_LEFT);
  handleKeyDown('D');
  for (int i = 0; i < 100; ++i) applyControls();
  EXPECT_NEAR(viewerState.cameraX, 0.25f, 1e-5f);

  // Beyond a bound only the step back toward the range is taken.
  viewerState.cameraX = 0.76f;
  applyControls();
  EXPECT_EQ(viewerState.cameraX, 0.76f - 0.005f);
}

TEST_F(ControlsTest, KeypadZoomStepsOncePerPressAndReturnsToExactlyFour) {
  int steps = 0;
  for (int i = 0; i < 32; ++i) {
    float before = viewerState.zoom;
    press(VK_CODE_KEYPAD_PLUS);
    EXPECT_EQ(viewerState.keyEvent[VK_CODE_KEYPAD_PLUS], 1);  // set again by the release
    if (viewerState.zoom != before) ++steps;
  }
  EXPECT_EQ(steps, 31);
  EXPECT_EQ(viewerState.zoom, 0.90000165f);

  steps = 0;
  for (int i = 0; i < 32; ++i) {
    float before = viewerState.zoom;
    press(VK_CODE_KEYPAD_MINUS);
    if (viewerState.zoom != before) ++steps;
  }
  EXPECT_EQ(steps, 31);
  EXPECT_EQ(viewerState.zoom, 4.0f);
}

TEST_F(ControlsTest, WheelAndKeypadMixedReachTheSameValues) {
  for (int i = 0; i < 40; ++i) {
    if (i % 2 == 0) {
      press(VK_CODE_KEYPAD_PLUS);
    } else {
      handleWheel(-120);
    }
  }
  EXPECT_EQ(viewerState.zoom, 0.90000165f);
  for (int i = 0; i < 40; ++i) {
    if (i % 3 == 0) {
      handleWheel(120);
    } else {
      press(VK_CODE_KEYPAD_MINUS);
    }
  }
  EXPECT_EQ(viewerState.zoom, 4.0f);
}

TEST_F(ControlsTest, HeldZoomKeyDoesNotRepeatWithoutKeyRepeatButAPressAtTheBoundIsConsumed) {
  handleKeyDown(VK_CODE_KEYPAD_PLUS);
  applyControls();
  applyControls();
  applyControls();
  EXPECT_EQ(viewerState.zoom, 3.9f);

  // At the bound the press is consumed and does not act once there is room.
  viewerState.zoom = 1.0f;
  handleKeyDown(VK_CODE_KEYPAD_PLUS);
  applyControls();
  EXPECT_EQ(viewerState.keyEvent[VK_CODE_KEYPAD_PLUS], 0);
  viewerState.zoom = 2.0f;
  applyControls();
  EXPECT_EQ(viewerState.zoom, 2.0f);
}

// A key pressed and released between two passes still acts once: one tap of
// 'H', a zoom key or an arrow does what one short press does. The release
// that follows a seen press is no fresh event, and a tap during a hold
// changes nothing about the hold.
TEST_F(ControlsTest, TapBetweenPassesActsOnceAndReleaseAloneDoesNothing) {
  viewerState.zoom = 2.0f;
  for (uint32_t key : {uint32_t{'H'}, VK_CODE_KEYPAD_MINUS, VK_CODE_LEFT}) {
    handleKeyDown(key);
    handleKeyUp(key);
  }
  applyControls();
  EXPECT_EQ(viewerState.showHelp, 1);
  EXPECT_EQ(viewerState.zoom, 2.1f);
  EXPECT_EQ(viewerState.cameraX, 0.005f);
  applyControls();  // the taps are over
  EXPECT_EQ(viewerState.showHelp, 1);
  EXPECT_EQ(viewerState.zoom, 2.1f);
  EXPECT_EQ(viewerState.cameraX, 0.005f);

  // A press seen in one pass and released before the next: the release
  // (keyEvent set, keyDown clear) is no fresh event.
  handleKeyDown('H');
  applyControls();
  handleKeyUp('H');
  applyControls();
  EXPECT_EQ(viewerState.showHelp, 0);

  // The tap of 'O' opens the dialog once.
  handleKeyDown('O');
  handleKeyUp('O');
  applyControls();
  applyControls();
  EXPECT_EQ(headlessChooserCalls().size(), 1u);

  // Left held for three passes with a tap of left in between: three steps.
  handleKeyDown(VK_CODE_LEFT);
  applyControls();
  handleKeyDown(VK_CODE_LEFT);
  applyControls();
  applyControls();
  handleKeyUp(VK_CODE_LEFT);
  applyControls();
  EXPECT_EQ(viewerState.cameraX, 0.005f + 0.005f + 0.005f + 0.005f);
}

// Keyboards without a keypad: the main keyboard's '+' ('=') and '-' keys
// zoom exactly as the keypad's do, once per key-down, at the same bounds.
TEST_F(ControlsTest, MainKeyboardPlusAndMinusZoomLikeTheKeypad) {
  int steps = 0;
  while (steps < 40) {
    const float before = viewerState.zoom;
    press(VK_CODE_OEM_PLUS);
    if (viewerState.zoom == before) break;
    ++steps;
  }
  EXPECT_EQ(steps, 31);
  EXPECT_EQ(viewerState.zoom, 0.90000165f);
  while (viewerState.zoom < 4.0f) press(VK_CODE_OEM_MINUS);
  EXPECT_EQ(viewerState.zoom, 4.0f);
  press(VK_CODE_OEM_MINUS);
  EXPECT_EQ(viewerState.zoom, 4.0f);
}

// 'I' toggles the information line once per press, like 'H'.
TEST_F(ControlsTest, ITogglesTheInformationLine) {
  press('I');
  EXPECT_EQ(viewerState.showInfo, 1);
  applyControls();
  EXPECT_EQ(viewerState.showInfo, 1);
  press('I');
  EXPECT_EQ(viewerState.showInfo, 0);
  EXPECT_EQ(viewerState.showHelp, 0);
}

// 'P' switches the palette and back, 'C' hides and shows the collected
// outlines; F12 asks once per press for a picture.
TEST_F(ControlsTest, PSwitchesThePaletteCTheOutlinesAndF12AsksForOnePicture) {
  press('P');
  EXPECT_EQ(viewerState.markerPalette, PALETTE_SAFE);
  press('P');
  EXPECT_EQ(viewerState.markerPalette, PALETTE_STANDARD);
  press('C');
  EXPECT_EQ(viewerState.showCollected, 0);
  press('C');
  EXPECT_EQ(viewerState.showCollected, 1);
  handleKeyDown(VK_CODE_F12);
  applyControls();
  EXPECT_EQ(viewerState.screenshotWanted, 1);
  viewerState.screenshotWanted = 0;  // taken by the frame
  applyControls();
  EXPECT_EQ(viewerState.screenshotWanted, 0) << "a held F12 asks once";
}

TEST_F(ControlsTest, HTogglesOnEveryRepeat) {
  handleKeyDown('H');
  applyControls();
  EXPECT_EQ(viewerState.showHelp, 1);
  applyControls();  // held, no new event
  EXPECT_EQ(viewerState.showHelp, 1);
  handleKeyDown('H');  // key repeat
  applyControls();
  EXPECT_EQ(viewerState.showHelp, 0);
  handleKeyDown('H');
  applyControls();
  EXPECT_EQ(viewerState.showHelp, 1);
}

TEST_F(ControlsTest, DragMovesAgainstThePointerAndAppliesEachPixelOnce) {
  startPointerAtCentre();
  handleLeftButtonDown(320, 240);
  handlePointerMotion(325, 240);
  handlePointerMotion(332, 236);  // two motions between passes: one delta
  applyControls();
  EXPECT_EQ(viewerState.cameraX, -12.0f / 128.0f);
  EXPECT_EQ(viewerState.cameraY, -4.0f / 128.0f);
  EXPECT_EQ(viewerState.dragAnchorSet, 0);

  applyControls();  // no motion since: nothing more
  EXPECT_EQ(viewerState.cameraX, -12.0f / 128.0f);

  handlePointerMotion(330, 240);  // new anchor at the last position
  applyControls();
  EXPECT_EQ(viewerState.cameraX, -10.0f / 128.0f);
  EXPECT_EQ(viewerState.cameraY, 0.0f);
}

TEST_F(ControlsTest, PressWithoutMotionAndMotionBeforeThePressMoveNothing) {
  startPointerAtCentre();
  handlePointerMotion(400, 300);  // button up: the delta is never applied
  applyControls();
  handleLeftButtonDown(400, 300);
  applyControls();
  handleLeftButtonUp();
  applyControls();
  EXPECT_EQ(viewerState.cameraX, 0.0f);
  EXPECT_EQ(viewerState.cameraY, 0.0f);

  handlePointerMotion(500, 400);  // motion while up, then a press
  handleLeftButtonDown(500, 400);
  applyControls();
  EXPECT_EQ(viewerState.cameraX, 0.0f);
  EXPECT_EQ(viewerState.cameraY, 0.0f);
}

TEST_F(ControlsTest, DragClampsToExactlyTheLimitEvenAfterKeyPanBeyond) {
  handleKeyDown(VK_CODE_LEFT);
  handleKeyDown(VK_CODE_DOWN);
  for (int i = 0; i < 200; ++i) applyControls();
  handleKeyUp(VK_CODE_LEFT);
  handleKeyUp(VK_CODE_DOWN);
  ASSERT_GT(viewerState.cameraX, 0.75f);
  ASSERT_GT(viewerState.cameraY, 0.75f);

  // Pointer left and down: both coordinates grow, and stop at exactly 0.75.
  handleLeftButtonDown(300, 200);
  handlePointerMotion(299, 201);
  applyControls();
  EXPECT_EQ(viewerState.cameraX, 0.75f);
  EXPECT_EQ(viewerState.cameraY, 0.75f);

  // Exactly at the bound, the key pan takes no further step outward.
  handleKeyDown(VK_CODE_LEFT);
  handleKeyDown(VK_CODE_DOWN);
  applyControls();
  handleKeyUp(VK_CODE_LEFT);
  handleKeyUp(VK_CODE_DOWN);
  EXPECT_EQ(viewerState.cameraX, 0.75f);
  EXPECT_EQ(viewerState.cameraY, 0.75f);

  // A long drag the other way stops at exactly -0.75.
  handlePointerMotion(600, 0);
  applyControls();
  EXPECT_EQ(viewerState.cameraX, -0.75f);
  EXPECT_EQ(viewerState.cameraY, -0.75f);
  handleKeyDown('D');
  handleKeyDown('W');
  applyControls();
  EXPECT_EQ(viewerState.cameraX, -0.75f);
  EXPECT_EQ(viewerState.cameraY, -0.75f);
}

TEST_F(ControlsTest, EscapeHeldEndsTheLoopAfterTheOtherControlsOfItsPass) {
  handleKeyDown('H');
  handleKeyDown(VK_CODE_ESCAPE);
  applyControls();
  EXPECT_EQ(viewerState.running, 0);
  EXPECT_EQ(viewerState.showHelp, 1);
  EXPECT_EQ(viewerState.keyEvent[VK_CODE_ESCAPE], 1);  // held state, not consumed
}

TEST_F(ControlsTest, OOpensTheDialogOncePerPressAndClearsItsEvent) {
  const std::string path = temporaryPath("controls_open.b");
  writeBytes(path, makeSavegame({pickup(154, 1, 2, 3), pickup(127, 4, 5, 6)}));
  headlessScriptChooser({{true, path}, {false, ""}});

  handleKeyDown('O');
  applyControls();
  EXPECT_EQ(headlessChooserCalls().size(), 1u);
  EXPECT_EQ(viewerState.keyEvent[uint32_t{'O'}], 0);
  EXPECT_STREQ(viewerState.saveFileName, path.c_str());
  EXPECT_EQ(viewerState.packageCount, 1);
  EXPECT_EQ(viewerState.rampageCount, 1);

  applyControls();  // still held: no second dialog
  EXPECT_EQ(headlessChooserCalls().size(), 1u);

  handleKeyDown('O');  // cancelled: nothing changes, the event is still cleared
  applyControls();
  EXPECT_EQ(headlessChooserCalls().size(), 2u);
  EXPECT_EQ(viewerState.keyEvent[uint32_t{'O'}], 0);
  EXPECT_STREQ(viewerState.saveFileName, path.c_str());
  EXPECT_EQ(viewerState.packageCount, 1);
  EXPECT_TRUE(headlessMessageBoxes().empty());
}

// The main loops draw while something moves and otherwise rest: the first
// frames, then only after input (noted by the loop) or while a key that acts
// while held is down; a rest lasts until the next look at the save or the
// end of the status line.
TEST_F(ControlsTest, TheLoopRestsOnlyWhenNothingMoves) {
  FrameSchedule schedule;
  for (int32_t frame = 0; frame < STARTUP_FRAMES; ++frame) {
    ASSERT_TRUE(frameWanted(&schedule));
    noteFrameDrawn(&schedule);
  }
  EXPECT_FALSE(frameWanted(&schedule));
  EXPECT_EQ(millisecondsToRest(0), IDLE_WAKEUP_MS);

  handleKeyDown(VK_CODE_LEFT);
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_TRUE(frameWanted(&schedule));
    applyControls();
    noteFrameDrawn(&schedule);
  }
  handleKeyUp(VK_CODE_LEFT);
  EXPECT_FALSE(frameWanted(&schedule));
  schedule.frameDue = true;  // an event came
  EXPECT_TRUE(frameWanted(&schedule));

  // A line on show ends the rest when its time is up.
  showStatusLine("Saved picture: slot1.png");
  EXPECT_FALSE(updateStatusLine(0));
  EXPECT_EQ(millisecondsToRest(STATUS_LINE_MS - 200), 200u);
  EXPECT_TRUE(updateStatusLine(STATUS_LINE_MS));

  const std::string path = temporaryPath("controls_rest.b");
  writeBytes(path, makeSavegame({pickup(154, 1, 2, 3)}));
  ASSERT_TRUE(openSavegameFile(path.c_str()));
  viewerState.nextReloadCheck = 400;
  EXPECT_EQ(millisecondsToRest(100), 300u);
}

}  // namespace
