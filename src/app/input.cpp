// Recording of keyboard, button, motion and wheel input in viewerState, and
// the minimum-size rule for a window being sized.
#include "app/input.h"

#include "app/gestures.h"
#include "app/map_alignment.h"
#include "app/view.h"
#include "app/viewer_state.h"

namespace {

bool isKeyCode(uint32_t virtualKey) { return virtualKey < static_cast<uint32_t>(KEY_CODE_COUNT); }

}  // namespace

void handleKeyDown(uint32_t virtualKey) {
  if (!isKeyCode(virtualKey)) return;
  viewerState.keyDown[virtualKey] = 1;
  viewerState.keyEvent[virtualKey] = 1;
  viewerState.keyWentDown[virtualKey] = 1;
}

void handleKeyUp(uint32_t virtualKey) {
  if (!isKeyCode(virtualKey)) return;
  viewerState.keyDown[virtualKey] = 0;
  viewerState.keyEvent[virtualKey] = 1;
}

void handleLeftButtonDown(int32_t x, int32_t y) {
  viewerState.dragAnchorSet = 0;
  viewerState.mouseX = x;
  viewerState.mouseY = y;
  viewerState.leftButtonDown = 1;
  if (aligningMap()) alignmentButtonDown(x, y);
}

void handleLeftButtonUp() {
  viewerState.leftButtonDown = 0;
  if (aligningMap()) alignmentButtonUp(viewerState.mouseX, viewerState.mouseY);
}

void handlePointerMotion(int32_t x, int32_t y) {
  ViewerState &state = viewerState;
  // A drag while aligning a picture moves the picture, as it goes.
  if (alignmentTakesMotion(state.mouseX, state.mouseY, x, y)) {
    state.mouseX = x;
    state.mouseY = y;
    return;
  }
  if (!state.dragAnchorSet) {
    state.dragAnchorX = state.mouseX;
    state.dragAnchorY = state.mouseY;
    state.dragAnchorSet = 1;
  }
  state.mouseX = x;
  state.mouseY = y;
  // Wrap-around arithmetic: positions are pixels, far from the limits, but a
  // hostile event must not make the subtraction undefined.
  state.dragDeltaX = static_cast<int32_t>(static_cast<uint32_t>(x) - static_cast<uint32_t>(state.dragAnchorX));
  state.dragDeltaY = static_cast<int32_t>(static_cast<uint32_t>(y) - static_cast<uint32_t>(state.dragAnchorY));
}

void handleWheel(int32_t delta) {
  if (alignmentTakesWheel(delta)) return;
  // The bound is tested before the step and the result is not clamped, so the
  // wheel and the keypad keys reach exactly the same values.
  if (delta > 0) {
    if (viewerState.zoom < farthestZoom()) viewerState.zoom = viewerState.zoom + ZOOM_STEP;
  } else {
    if (viewerState.zoom > ZOOM_NEAREST) viewerState.zoom = viewerState.zoom - ZOOM_STEP;
  }
}

void startPointerAtCentre() {
  viewerState.mouseX = viewerState.windowWidth / 2;
  viewerState.mouseY = viewerState.windowHeight / 2;
  viewerState.dragAnchorSet = 0;
}

void applyMinimumSize(int32_t edge, SizingRect *rect) {
  const bool left = edge == SIZING_LEFT || edge == SIZING_TOPLEFT || edge == SIZING_BOTTOMLEFT;
  const bool right = edge == SIZING_RIGHT || edge == SIZING_TOPRIGHT || edge == SIZING_BOTTOMRIGHT;
  const bool top = edge == SIZING_TOP || edge == SIZING_TOPLEFT || edge == SIZING_TOPRIGHT;
  const bool bottom = edge == SIZING_BOTTOM || edge == SIZING_BOTTOMLEFT || edge == SIZING_BOTTOMRIGHT;

  // Widths in 64 bits: a rectangle with absurd coordinates must not overflow.
  const int64_t width = static_cast<int64_t>(rect->right) - rect->left;
  const int64_t height = static_cast<int64_t>(rect->bottom) - rect->top;
  if (width < MINIMUM_WINDOW_WIDTH) {
    if (left) rect->left = static_cast<int32_t>(static_cast<int64_t>(rect->right) - MINIMUM_WINDOW_WIDTH);
    if (right) rect->right = static_cast<int32_t>(static_cast<int64_t>(rect->left) + MINIMUM_WINDOW_WIDTH);
  }
  if (height < MINIMUM_WINDOW_HEIGHT) {
    if (top) rect->top = static_cast<int32_t>(static_cast<int64_t>(rect->bottom) - MINIMUM_WINDOW_HEIGHT);
    if (bottom) rect->bottom = static_cast<int32_t>(static_cast<int64_t>(rect->top) + MINIMUM_WINDOW_HEIGHT);
  }
}
