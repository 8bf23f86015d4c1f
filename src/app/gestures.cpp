// The view maths of fingers and buttons, and the tracking of touches that
// tells a drag, a pinch, a tap and a long press apart.
#include "app/gestures.h"

#include <cmath>

#include "app/collected.h"
#include "app/collecting_route.h"
#include "app/map_alignment.h"
#include "app/map_point.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "route/route_planner.h"

namespace {

float clampCamera(double value) {
  if (value > CAMERA_LIMIT) return CAMERA_LIMIT;
  if (value < -CAMERA_LIMIT) return -CAMERA_LIMIT;
  return static_cast<float>(value);
}

// The point of the map square (scene units from its centre) under a pixel.
void mapPointAt(double x, double y, double zoom, double *mapX, double *mapY) {
  const double perPixel = scenePerPixel(zoom);
  *mapX = (x - viewerState.windowWidth / 2.0) * perPixel - viewerState.cameraX;
  *mapY = (viewerState.windowHeight / 2.0 - y) * perPixel - viewerState.cameraY;
}

// The camera that puts the map point (mapX, mapY) under the pixel.
void putMapPointAt(double mapX, double mapY, double x, double y, double zoom) {
  const double perPixel = scenePerPixel(zoom);
  viewerState.cameraX = clampCamera((x - viewerState.windowWidth / 2.0) * perPixel - mapX);
  viewerState.cameraY = clampCamera((viewerState.windowHeight / 2.0 - y) * perPixel - mapY);
}

bool finite(const PickupMarker &marker) { return std::isfinite(marker.x) && std::isfinite(marker.y); }

struct Nearest {
  const PickupMarker *marker = nullptr;
  double distance = 0.0;
};

void considerMarker(const PickupMarker &marker, double x, double y, double radius, Nearest *nearest) {
  double pixelX;
  double pixelY;
  pixelOfSavegamePoint(marker.x, marker.y, &pixelX, &pixelY);
  const double distance = std::hypot(pixelX - x, pixelY - y);
  // A non-finite position gives a NaN distance, which never compares below.
  if (distance <= radius && (!nearest->marker || distance < nearest->distance)) *nearest = {&marker, distance};
}

// The pointer on a marker: the pixel whose centre is nearest its centre. The
// marker is the picked one from now on.
void pointerOnMarker(const PickupMarker &marker) {
  viewerState.pickedSet = 1;
  viewerState.pickedX = marker.x;
  viewerState.pickedY = marker.y;
  double pixelX;
  double pixelY;
  pixelOfSavegamePoint(marker.x, marker.y, &pixelX, &pixelY);
  viewerState.mouseX = static_cast<int32_t>(std::floor(pixelX));
  viewerState.mouseY = static_cast<int32_t>(std::floor(pixelY));
}

TouchGesture &gesture() { return viewerState.touch; }

int32_t fingerIndex(int64_t id) {
  for (int32_t i = 0; i < gesture().fingerCount; ++i) {
    if (gesture().fingers[i].id == id) return i;
  }
  return -1;
}

double slop() { return TAP_SLOP * viewerState.pixelScale; }

}  // namespace

bool compactLayout() {
  return viewerState.compactAllowed != 0 &&
         (layoutWidth() < COMPACT_WIDTH || viewerState.windowHeight > viewerState.windowWidth);
}

int32_t layoutWidth() { return viewerState.windowWidth / (viewerState.pixelScale > 0 ? viewerState.pixelScale : 1); }

int32_t layoutHeight() { return viewerState.windowHeight / (viewerState.pixelScale > 0 ? viewerState.pixelScale : 1); }

float farthestZoom() {
  if (!compactLayout()) return ZOOM_FARTHEST;
  const double aspect = static_cast<double>(viewerState.windowWidth) / viewerState.windowHeight;
  const float fillsWidth = static_cast<float>(1.0 / (halfHeightPerDistance() * aspect));
  return fillsWidth > ZOOM_FARTHEST ? fillsWidth : ZOOM_FARTHEST;
}

void fitWholeMap() {
  viewerState.cameraX = 0.0f;
  viewerState.cameraY = 0.0f;
  viewerState.zoom = farthestZoom();
}

void dragMapWithPointer(double fromX, double fromY, double toX, double toY) {
  zoomAboutPoint(fromX, fromY, toX, toY, viewerState.zoom);
}

void zoomAboutPoint(double fromX, double fromY, double toX, double toY, float zoom) {
  if (!(zoom >= ZOOM_NEAREST)) zoom = ZOOM_NEAREST;  // a NaN zoom too
  if (zoom > farthestZoom()) zoom = farthestZoom();
  double mapX;
  double mapY;
  mapPointAt(fromX, fromY, viewerState.zoom, &mapX, &mapY);
  viewerState.zoom = zoom;
  putMapPointAt(mapX, mapY, toX, toY, zoom);
}

void zoomStep(int32_t direction) {
  const double x = viewerState.windowWidth / 2.0;
  const double y = viewerState.windowHeight / 2.0;
  const float zoom = direction > 0 ? viewerState.zoom / ZOOM_BUTTON_FACTOR : viewerState.zoom * ZOOM_BUTTON_FACTOR;
  zoomAboutPoint(x, y, x, y, zoom);
}

bool nearestShownMarker(double x, double y, double radius, int32_t *kind, int32_t *index) {
  const ViewerState &state = viewerState;
  Nearest nearest;
  if (packagesShown()) {
    for (int32_t i = 0; i < state.packageCount; ++i) considerMarker(state.packages[i], x, y, radius, &nearest);
  }
  if (rampagesShown()) {
    for (int32_t i = 0; i < state.rampageCount; ++i) considerMarker(state.rampages[i], x, y, radius, &nearest);
  }
  if (!nearest.marker) return false;
  const bool package = nearest.marker >= state.packages && nearest.marker < state.packages + state.packageCount;
  *kind = package ? MARKER_PACKAGE : MARKER_RAMPAGE;
  *index = static_cast<int32_t>(nearest.marker - (package ? state.packages : state.rampages));
  return true;
}

void nameMarkerNear(int32_t x, int32_t y, double radius) {
  const ViewerState &state = viewerState;
  const double centreX = x + 0.5;
  const double centreY = y + 0.5;
  Nearest nearest;
  if (packagesShown()) {
    for (int32_t i = 0; i < state.packageCount; ++i) considerMarker(state.packages[i], centreX, centreY, radius, &nearest);
  }
  if (rampagesShown()) {
    for (int32_t i = 0; i < state.rampageCount; ++i) considerMarker(state.rampages[i], centreX, centreY, radius, &nearest);
  }
  for (int32_t i = 0; i < state.collectedCount; ++i) {
    if (collectedMarkerShown(state.collected[i])) {
      considerMarker(state.collected[i].marker, centreX, centreY, radius, &nearest);
    }
  }
  viewerState.mouseX = x;
  viewerState.mouseY = y;
  viewerState.dragAnchorSet = 0;
  viewerState.pickedSet = 0;
  if (nearest.marker) pointerOnMarker(*nearest.marker);
  viewerState.showInfo = 1;
}

void showRouteFromPixel(int32_t x, int32_t y) {
  RoutePoint from{0.0, 0.0};
  savegamePointAtPixel(x, y, &from.x, &from.y);
  showRouteFrom(&from);
}

void toggleRouteFromCentre() {
  if (viewerState.showRoute) {
    viewerState.showRoute = 0;
    viewerState.routeStopCount = 0;
    return;
  }
  showRouteFromPixel(viewerState.windowWidth / 2, viewerState.windowHeight / 2);
}

bool centreOnMarker(int32_t kind, int32_t index, bool collected) {
  const ViewerState &state = viewerState;
  const PickupMarker *marker = nullptr;
  if (collected) {
    if (index >= 0 && index < state.collectedCount) marker = &state.collected[index].marker;
  } else if (kind == MARKER_PACKAGE) {
    if (index >= 0 && index < state.packageCount) marker = &state.packages[index];
  } else if (kind == MARKER_RAMPAGE) {
    if (index >= 0 && index < state.rampageCount) marker = &state.rampages[index];
  }
  if (!marker || !finite(*marker)) return false;
  viewerState.cameraX = clampCamera(-static_cast<double>(marker->x) * SAVEGAME_TO_SCENE);
  viewerState.cameraY = clampCamera(-static_cast<double>(marker->y) * SAVEGAME_TO_SCENE);
  pointerOnMarker(*marker);
  viewerState.dragAnchorSet = 0;
  viewerState.showInfo = 1;
  return true;
}

void touchDown(int64_t id, double x, double y, uint32_t nowMs) {
  TouchGesture &touch = gesture();
  if (fingerIndex(id) >= 0 || touch.fingerCount == 2) return;  // a third finger is not followed
  touch.fingers[touch.fingerCount++] = {id, x, y};
  touch.mayBeTap = touch.fingerCount == 1;
  if (touch.fingerCount == 1) {
    touch.startX = x;
    touch.startY = y;
    touch.startMs = nowMs;
  }
}

void touchMoved(int64_t id, double x, double y) {
  TouchGesture &touch = gesture();
  const int32_t moving = fingerIndex(id);
  if (moving < 0) return;
  TouchPoint &finger = touch.fingers[moving];
  if (aligningMap()) {
    // While aligning, fingers move and scale the picture, not the view.
    if (touch.fingerCount == 1) {
      alignmentDrag(finger.x, finger.y, x, y);
    } else {
      const TouchPoint &other = touch.fingers[1 - moving];
      const double before = std::hypot(finger.x - other.x, finger.y - other.y);
      const double after = std::hypot(x - other.x, y - other.y);
      const double midX = (x + other.x) / 2.0, midY = (y + other.y) / 2.0;
      alignmentDrag((finger.x + other.x) / 2.0, (finger.y + other.y) / 2.0, midX, midY);
      if (before > 0.0 && after > 0.0) alignmentScaleAbout(midX, midY, after / before);
    }
    if (touch.fingerCount == 1 && std::hypot(x - touch.startX, y - touch.startY) > slop()) touch.mayBeTap = false;
  } else if (touch.fingerCount == 1) {
    dragMapWithPointer(finger.x, finger.y, x, y);
    if (std::hypot(x - touch.startX, y - touch.startY) > slop()) touch.mayBeTap = false;
  } else {
    // Two fingers: the map point under their midpoint follows the midpoint,
    // and the zoom follows their spread.
    const TouchPoint &other = touch.fingers[1 - moving];
    const double before = std::hypot(finger.x - other.x, finger.y - other.y);
    const double after = std::hypot(x - other.x, y - other.y);
    const float zoom = before > 0.0 && after > 0.0 ? static_cast<float>(viewerState.zoom * before / after)
                                                  : viewerState.zoom;
    zoomAboutPoint((finger.x + other.x) / 2.0, (finger.y + other.y) / 2.0, (x + other.x) / 2.0,
                   (y + other.y) / 2.0, zoom);
  }
  finger.x = x;
  finger.y = y;
}

GestureResult touchUp(int64_t id, uint32_t nowMs) {
  TouchGesture &touch = gesture();
  const int32_t lifted = fingerIndex(id);
  if (lifted < 0) return GESTURE_NONE;
  const TouchPoint finger = touch.fingers[lifted];
  if (lifted == 0) touch.fingers[0] = touch.fingers[1];
  --touch.fingerCount;
  const bool tap = touch.mayBeTap && touch.fingerCount == 0 && nowMs - touch.startMs < LONG_PRESS_MS;
  touch.mayBeTap = false;
  const bool second = tap && touch.tapped && touch.startMs - touch.tapMs < DOUBLE_TAP_MS &&
                      std::hypot(touch.startX - touch.tapX, touch.startY - touch.tapY) <= TAP_RADIUS * viewerState.pixelScale;
  touch.tapped = tap && !second;
  touch.tapX = finger.x;
  touch.tapY = finger.y;
  touch.tapMs = nowMs;
  if (!tap) return GESTURE_NONE;
  if (aligningMap()) {
    alignmentClick(static_cast<int32_t>(std::floor(finger.x)), static_cast<int32_t>(std::floor(finger.y)));
    return GESTURE_TAP;
  }
  if (second) {
    zoomAboutPoint(finger.x, finger.y, finger.x, finger.y, viewerState.zoom / DOUBLE_TAP_ZOOM);
    return GESTURE_DOUBLE_TAP;
  }
  nameMarkerNear(static_cast<int32_t>(std::floor(finger.x)), static_cast<int32_t>(std::floor(finger.y)),
                 TAP_RADIUS * viewerState.pixelScale);
  return GESTURE_TAP;
}

GestureResult touchHeld(uint32_t nowMs) {
  TouchGesture &touch = gesture();
  if (!touch.mayBeTap || touch.fingerCount != 1 || nowMs - touch.startMs < LONG_PRESS_MS) return GESTURE_NONE;
  if (aligningMap()) return GESTURE_NONE;  // a slow tap still pins
  touch.mayBeTap = false;
  showRouteFromPixel(static_cast<int32_t>(std::floor(touch.fingers[0].x)),
                     static_cast<int32_t>(std::floor(touch.fingers[0].y)));
  return GESTURE_LONG_PRESS;
}

void touchCancelled() {
  gesture().fingerCount = 0;
  gesture().mayBeTap = false;
}
