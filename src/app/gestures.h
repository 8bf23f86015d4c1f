// The map in the hand: what fingers and the page's buttons do to the view, in
// the core so that every platform can use them. Positions are client pixels
// (the drawing buffer's, y downward). A pinch is a zoom about a point; a
// finger drags the map with it; a tap names the marker under it; a long
// press plans the route from where it was pressed.
#pragma once

#include <cstdint>

// The drawing is laid out for a phone when the platform allows it (only the
// page does) and the canvas is narrower than COMPACT_WIDTH layout pixels or
// taller than wide. Layout pixels are client pixels divided by
// viewerState.pixelScale, the whole number of client pixels each of the
// overlay's pixels takes (1 on the desktop).
constexpr int32_t COMPACT_WIDTH = 600;
bool compactLayout();
int32_t layoutWidth();
int32_t layoutHeight();

// The farthest zoom the keys, the wheel and a pinch may reach: ZOOM_FARTHEST,
// or, in the compact layout, the zoom at which the map square fills the
// width when that is farther.
float farthestZoom();

// The whole map in view: the camera on its centre at the farthest zoom.
void fitWholeMap();

// Moves the map so that the map point under client pixel (fromX, fromY) comes
// under (toX, toY); the camera stays within CAMERA_LIMIT.
void dragMapWithPointer(double fromX, double fromY, double toX, double toY);

// Zooms to `zoom` (kept within ZOOM_NEAREST and farthestZoom) so that the map
// point under (fromX, fromY) comes under (toX, toY): a pinch whose midpoint
// moved from one to the other.
void zoomAboutPoint(double fromX, double fromY, double toX, double toY, float zoom);

// Puts the pointer on the shown marker (live or collected) whose centre lies
// nearest (x, y) within `radius` pixels, or on (x, y) when none does, and
// shows the information line there: what 'I' tells for the pointer. The
// marker found is the picked one (viewerState.pickedSet), ringed on the page;
// a tap on no marker picks none.
void nameMarkerNear(int32_t x, int32_t y, double radius);

// The live marker of a kind shown whose centre lies nearest client point
// (x, y), within `radius` pixels: its kind (MARKER_PACKAGE or MARKER_RAMPAGE)
// and index in its list. False when none does.
bool nearestShownMarker(double x, double y, double radius, int32_t *kind, int32_t *index);

// Shows the route from the map point under client pixel (x, y), planned again
// if one is shown.
void showRouteFromPixel(int32_t x, int32_t y);

// The toolbar's Route: shows the route from the centre of the view, or hides
// the route shown.
void toggleRouteFromCentre();

// Centres the view on a marker of a list (kind MARKER_PACKAGE or
// MARKER_RAMPAGE, index in its list, or a collected one with collected set)
// and names it; it is the picked one from then on. Returns false, changing nothing, for a marker that is not
// there or has no finite position.
bool centreOnMarker(int32_t kind, int32_t index, bool collected);

// The touches on the map, followed one event at a time. A touch that lifts
// within LONG_PRESS_MS of going down without having moved more than
// TAP_SLOP layout pixels is a tap; one held that long is a long press. A
// second finger turns the gesture into a pinch, which is neither.
constexpr uint32_t LONG_PRESS_MS = 500;
constexpr double TAP_SLOP = 10.0;
// A tap names the marker within this many layout pixels.
constexpr double TAP_RADIUS = 22.0;

struct TouchPoint {
  int64_t id;
  double x;
  double y;
};

struct TouchGesture {
  TouchPoint fingers[2];
  int32_t fingerCount;
  double startX;
  double startY;
  uint32_t startMs;
  bool mayBeTap;  // one finger, still within the slop, no long press yet
  bool tapped;     // the last gesture was a tap, at (tapX, tapY) when tapMs
  double tapX;
  double tapY;
  uint32_t tapMs;
};

// What a touch event has done beyond moving the map.
enum GestureResult : int32_t { GESTURE_NONE = 0, GESTURE_TAP = 1, GESTURE_LONG_PRESS = 2, GESTURE_DOUBLE_TAP = 3 };

// A tap that goes down within DOUBLE_TAP_MS of the last tap's lifting and
// within TAP_RADIUS layout pixels of it is a double tap: the map zooms in
// DOUBLE_TAP_ZOOM times about the tapped point, and nothing is named.
constexpr uint32_t DOUBLE_TAP_MS = 350;
constexpr float DOUBLE_TAP_ZOOM = 2.0f;

// The page's + and - buttons: a step of ZOOM_BUTTON_FACTOR in (direction 1)
// or out (-1) about the centre of the view, within the zoom's bounds.
constexpr float ZOOM_BUTTON_FACTOR = 1.25f;
void zoomStep(int32_t direction);

void touchDown(int64_t id, double x, double y, uint32_t nowMs);
void touchMoved(int64_t id, double x, double y);
GestureResult touchUp(int64_t id, uint32_t nowMs);
// Asked when LONG_PRESS_MS have passed since a finger went down.
GestureResult touchHeld(uint32_t nowMs);
// Every finger lifted without a tap (the page lost them).
void touchCancelled();
