// The projection of the scene, forward and back, in double precision: it
// serves the information line, not the drawing, which OpenGL does itself.
#include "app/map_point.h"

#include <cmath>
#include <cstdio>

#include "app/collected.h"
#include "app/collecting_route.h"
#include "app/viewer_state.h"

namespace {

double aspectRatio() {
  return static_cast<double>(viewerState.windowWidth) / static_cast<double>(viewerState.windowHeight);
}

// "%.1f" for finite numbers; the words of the list command otherwise.
void formatNumber(double value, char *text, size_t size) {
  if (std::isnan(value)) {
    std::snprintf(text, size, "nan");
  } else if (std::isinf(value)) {
    std::snprintf(text, size, value > 0 ? "inf" : "-inf");
  } else {
    std::snprintf(text, size, "%.1f", value);
  }
}

struct NearestMarker {
  const char *kind = nullptr;
  int32_t kindCode = 0;
  int32_t index = 0;
  const PickupMarker *marker = nullptr;
  double distance = 0.0;
};

void findNearest(const char *kind, int32_t kindCode, const PickupMarker *markers, int32_t count, double pointerX,
                 double pointerY, NearestMarker *nearest) {
  for (int32_t i = 0; i < count; ++i) {
    double x;
    double y;
    pixelOfSavegamePoint(markers[i].x, markers[i].y, &x, &y);
    const double distance = std::hypot(x - pointerX, y - pointerY);
    // A non-finite position gives a NaN distance, which never compares below.
    if (distance <= MARKER_PICK_RADIUS && (!nearest->marker || distance < nearest->distance)) {
      *nearest = NearestMarker{kind, kindCode, i, &markers[i], distance};
    }
  }
}

}  // namespace

double halfHeightPerDistance() { return std::tan(FIELD_OF_VIEW_DEGREES / 2.0 * 3.14159265358979323846 / 180.0); }

double scenePerPixel(double zoom) { return 2.0 * halfHeightPerDistance() * zoom / viewerState.windowHeight; }

void pixelOfSavegamePoint(double x, double y, double *pixelX, double *pixelY) {
  const ViewerState &state = viewerState;
  const double sceneX = x * SAVEGAME_TO_SCENE + state.cameraX;
  const double sceneY = y * SAVEGAME_TO_SCENE + state.cameraY;
  const double halfHeight = halfHeightPerDistance() * state.zoom;
  const double ndcX = sceneX / (halfHeight * aspectRatio());
  const double ndcY = sceneY / halfHeight;
  *pixelX = (ndcX + 1.0) * 0.5 * state.windowWidth;
  *pixelY = (1.0 - ndcY) * 0.5 * state.windowHeight;
}

void savegamePointAtPixel(int32_t pixelX, int32_t pixelY, double *x, double *y) {
  const ViewerState &state = viewerState;
  const double ndcX = (pixelX + 0.5) * 2.0 / state.windowWidth - 1.0;
  const double ndcY = 1.0 - (pixelY + 0.5) * 2.0 / state.windowHeight;
  const double halfHeight = halfHeightPerDistance() * state.zoom;
  *x = (ndcX * halfHeight * aspectRatio() - state.cameraX) / SAVEGAME_TO_SCENE;
  *y = (ndcY * halfHeight - state.cameraY) / SAVEGAME_TO_SCENE;
}

int32_t composeInfoLines(char lines[INFO_LINE_COUNT][INFO_LINE_SIZE]) {
  const ViewerState &state = viewerState;
  double x;
  double y;
  savegamePointAtPixel(state.mouseX, state.mouseY, &x, &y);
  char numbers[3][48];
  formatNumber(x, numbers[0], sizeof numbers[0]);
  formatNumber(y, numbers[1], sizeof numbers[1]);
  std::snprintf(lines[0], INFO_LINE_SIZE, "map %s, %s", numbers[0], numbers[1]);

  NearestMarker nearest;
  const double pointerX = state.mouseX + 0.5;
  const double pointerY = state.mouseY + 0.5;
  // Only markers that are drawn are named.
  if (packagesShown()) {
    findNearest("package", MARKER_PACKAGE, state.packages, state.packageCount, pointerX, pointerY, &nearest);
  }
  if (rampagesShown()) {
    findNearest("rampage", MARKER_RAMPAGE, state.rampages, state.rampageCount, pointerX, pointerY, &nearest);
  }
  // A collected marker lies under the live ones: it is named only when nearer.
  double collectedDistance = 0.0;
  const CollectedMarker *collected = collectedMarkerNear(pointerX, pointerY, &collectedDistance);
  if (collected && (!nearest.marker || collectedDistance < nearest.distance)) {
    std::snprintf(lines[1], INFO_LINE_SIZE, "%s %d: collected",
                  collected->kind == MARKER_PACKAGE ? "package" : "rampage", static_cast<int>(collected->number));
    return 2;
  }
  if (!nearest.marker) return 1;
  formatNumber(nearest.marker->x, numbers[0], sizeof numbers[0]);
  formatNumber(nearest.marker->y, numbers[1], sizeof numbers[1]);
  formatNumber(nearest.marker->z, numbers[2], sizeof numbers[2]);
  const int written = std::snprintf(lines[1], INFO_LINE_SIZE, "%s %d: %s, %s, %s", nearest.kind,
                                    static_cast<int>(nearest.index), numbers[0], numbers[1], numbers[2]);
  const int32_t stop = routeStopNumber(nearest.kindCode, nearest.index);
  if (stop > 0 && written > 0 && written < INFO_LINE_SIZE) {
    std::snprintf(lines[1] + written, INFO_LINE_SIZE - written, ", stop %d of %d", static_cast<int>(stop),
                  static_cast<int>(state.routeStopCount));
  }
  return 2;
}
