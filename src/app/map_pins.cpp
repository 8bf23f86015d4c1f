// The pin solver (see map_pins.h). With the picture upright and unmirrored,
// savegame x = left + u * px and y = top - u * py: linear in (left, top, u),
// so least squares has a closed form about the pins' centroid.
#include "app/map_pins.h"

#include <cmath>

WorldEdges placementEdges(const PicturePlacement &placement, int32_t width, int32_t height) {
  return {placement.left, placement.top - placement.unitsPerPixel * height,
          placement.left + placement.unitsPerPixel * width, placement.top};
}

void worldOfPicturePoint(const PicturePlacement &placement, double x, double y, double *worldX, double *worldY) {
  *worldX = placement.left + placement.unitsPerPixel * x;
  *worldY = placement.top - placement.unitsPerPixel * y;
}

void pictureOfWorldPoint(const PicturePlacement &placement, double worldX, double worldY, double *x, double *y) {
  *x = (worldX - placement.left) / placement.unitsPerPixel;
  *y = (placement.top - worldY) / placement.unitsPerPixel;
}

PicturePlacement fittedPlacement(int32_t width, int32_t height) {
  const int32_t longer = width > height ? width : height;
  const double unitsPerPixel = 2 * MAP_EXTENT / (longer > 0 ? longer : 1);
  return {-unitsPerPixel * width / 2, unitsPerPixel * height / 2, unitsPerPixel};
}

PinSolution solvePins(const MapPin *pins, int32_t count, PicturePlacement *placement, double *worstError) {
  if (count < 2) return PINS_TOO_FEW;
  double meanPx = 0, meanPy = 0, meanX = 0, meanY = 0;
  for (int32_t i = 0; i < count; ++i) {
    const MapPin &pin = pins[i];
    if (!std::isfinite(pin.pictureX) || !std::isfinite(pin.pictureY) || !std::isfinite(pin.worldX) ||
        !std::isfinite(pin.worldY)) {
      return PINS_NOT_FINITE;
    }
    meanPx += pin.pictureX / count;
    meanPy += pin.pictureY / count;
    meanX += pin.worldX / count;
    meanY += pin.worldY / count;
  }
  double widest = 0;
  for (int32_t i = 0; i < count; ++i) {
    for (int32_t j = i + 1; j < count; ++j) {
      widest = std::fmax(widest, std::hypot(pins[i].worldX - pins[j].worldX, pins[i].worldY - pins[j].worldY));
    }
  }
  if (!(widest >= PIN_MIN_SEPARATION)) return PINS_TOO_CLOSE;
  // u minimises the sum of (left + u px - x)^2 + (top - u py - y)^2 once left
  // and top are fixed by the centroids.
  double along = 0, spread = 0;
  for (int32_t i = 0; i < count; ++i) {
    const double dx = pins[i].pictureX - meanPx, dy = pins[i].pictureY - meanPy;
    along += dx * (pins[i].worldX - meanX) - dy * (pins[i].worldY - meanY);
    spread += dx * dx + dy * dy;
  }
  if (!(spread > 0)) return PINS_SAME_PLACE;
  const double unitsPerPixel = along / spread;
  if (!(unitsPerPixel > 0) || !std::isfinite(unitsPerPixel)) return PINS_MIRRORED;
  const PicturePlacement solved = {meanX - unitsPerPixel * meanPx, meanY + unitsPerPixel * meanPy, unitsPerPixel};
  if (worstError) {
    double worst = 0;
    for (int32_t i = 0; i < count; ++i) {
      double x = 0, y = 0;
      worldOfPicturePoint(solved, pins[i].pictureX, pins[i].pictureY, &x, &y);
      worst = std::fmax(worst, std::hypot(x - pins[i].worldX, y - pins[i].worldY));
    }
    *worstError = worst;
  }
  *placement = solved;
  return PINS_SOLVED;
}

const char *pinSolutionText(PinSolution solution) {
  switch (solution) {
    case PINS_SOLVED: return "";
    case PINS_TOO_FEW: return "Two pins are needed to place the picture";
    case PINS_TOO_CLOSE: return "The pinned markers are too close together: pin two at least a tenth of the map apart";
    case PINS_SAME_PLACE: return "The pins mark one point of the picture: pin different places";
    case PINS_MIRRORED: return "The pins turn the picture over: check which marker each pin belongs to";
    case PINS_NOT_FINITE: return "A pin is not a number";
  }
  return "";
}
