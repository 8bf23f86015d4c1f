// Drawing one complete frame: the map, the markers and the overlay.
#pragma once

#include <cstdint>

#include "app/viewer_state.h"

// Draws the whole picture from viewerState into the back buffer and presents
// it with platformSwapBuffers. Expects the projection and viewport of the last
// resize, and the state that initGraphics set. Leaves the model-view matrix
// selected, both matrix stacks as it found them, texturing on with the font
// texture bound, blending off, the colour white and the text blend function
// (GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR) set. Allocates nothing, except a copy
// of the frame when F12 asked for a picture (render/screenshot.h), taken
// before the status line is drawn over it.
void renderFrame();

// Where a marker's centre stands in the scene: its savegame x and y scaled to
// scene units and shifted by the camera. Each product and sum is rounded to a
// 32-bit float, on every platform alike (the 32-bit Windows build does its
// float arithmetic in SSE registers for that, see the top CMakeLists.txt).
struct ScenePoint {
  float x;
  float y;
};
ScenePoint markerScenePoint(const PickupMarker &marker);

// A marker's shape, its corners in scene units about its centre in the order
// they are drawn: a package's by its height, a rampage's always the same.
// MARKER_ACROSS is the widest shape's width, MARKER_NARROWEST the square's.
struct MarkerShape {
  int32_t cornerCount;
  float corners[4][2];
};
constexpr float MARKER_ACROSS = 0.02f;
constexpr float MARKER_NARROWEST = 0.016f;
const MarkerShape &markerShape(MarkerKind kind, float height);
