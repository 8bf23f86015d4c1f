// The platform-neutral half of the window procedure: what each kind of input
// event records in viewerState. Every platform layer translates its own events
// into these calls (keys as Windows virtual-key codes, positions as client
// pixels with y growing downward), so the per-frame controls see the same
// record on every platform.
#pragma once

#include <cstdint>

#include "app/view.h"

// A key went down (also each auto-repeat) or up. Sets keyDown to 1 or 0 and
// keyEvent to 1. Codes outside 0..255 are ignored.
void handleKeyDown(uint32_t virtualKey);
void handleKeyUp(uint32_t virtualKey);

// Left button pressed at (x, y): the position is recorded and the drag anchor
// dropped, so that motion made before the press is never applied.
void handleLeftButtonDown(int32_t x, int32_t y);

// Left button released. The anchor and position stay as they are.
void handleLeftButtonUp();

// Pointer moved to (x, y), with or without a button held. The first motion
// after the anchor was dropped anchors at the previous position; the delta
// from the anchor accumulates until the controls apply it.
void handlePointerMotion(int32_t x, int32_t y);

// One wheel notch. Only the sign counts: a positive delta (wheel turned away
// from the user) steps zoom out by 0.1 while zoom is below 4.0; zero or a
// negative delta steps it in by 0.1 while zoom is above 1.0.
void handleWheel(int32_t delta);

// Called once when the window and its OpenGL context exist: puts the recorded
// pointer at the centre of the initial client size (320, 240) with no drag
// anchor. The platform moves the screen pointer to the same point.
void startPointerAtCentre();

// The outer window rectangle in screen pixels, as a sizing window reports it.
struct SizingRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// The edge being dragged, numbered as Windows numbers them.
enum SizingEdge : int32_t {
  SIZING_LEFT = 1,
  SIZING_RIGHT = 2,
  SIZING_TOP = 3,
  SIZING_TOPLEFT = 4,
  SIZING_TOPRIGHT = 5,
  SIZING_BOTTOM = 6,
  SIZING_BOTTOMLEFT = 7,
  SIZING_BOTTOMRIGHT = 8,
};

// The window is sized no smaller than it starts.
constexpr int32_t MINIMUM_WINDOW_WIDTH = START_WINDOW_WIDTH;
constexpr int32_t MINIMUM_WINDOW_HEIGHT = START_WINDOW_HEIGHT;

// Keeps a rectangle that is being sized at least 640 x 480 by moving the edge
// that is being dragged: too narrow moves the dragged left or right side, too
// low the dragged top or bottom side; the opposite sides stay put. An edge
// value outside 1..8 changes nothing.
void applyMinimumSize(int32_t edge, SizingRect *rect);
