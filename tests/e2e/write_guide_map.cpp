// Writes the "guide map" that the end-to-end tests align: a picture of an
// off-centre part of the world at an odd scale, with a ring at the place of
// each marker of the end-to-end save (MARKERS.txt of e2e-write-save), the way
// a player's map shows the packages. Then prints, for the viewer's first view
// (640 x 480, the whole map), where to click:
//   pin MX MY PX PY   a marker's pixel and the pixel of its ring on the
//                     picture as the viewer first fits it (two lines, for
//                     the two markers farthest apart on the picture)
//   ring X Y          where each marker on the picture is drawn (its ring's
//                     centre once the picture is aligned)
// and the same in savegame units, for views of other sizes (the page's):
//   pin-world MX MY FX FY  a pin's marker and its ring on the fitted picture
//   ring-world X Y         each marker on the picture
//   ring-radius R          a ring's outer radius
//   e2e-write-guide-map OUT.bmp MARKERS.txt
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/map_pins.h"
#include "app/map_point.h"
#include "app/viewer_state.h"
#include "image/bmp_writer.h"

namespace {

// The picture: 700 x 500 pixels from savegame (-1900, 1100), 3.7 units a
// pixel, so it spans -1900 .. 690 across and 1100 .. -750 down.
constexpr int32_t WIDTH = 700;
constexpr int32_t HEIGHT = 500;
constexpr PicturePlacement GUIDE_PLACE = {-1900.0, 1100.0, 3.7};
// Each ring, in savegame units: wide enough to stay visible round the marker
// drawn at its centre.
constexpr double RING_INNER = 60.0;
constexpr double RING_OUTER = 95.0;

struct Point {
  double x;
  double y;
};

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: e2e-write-guide-map OUT.bmp MARKERS.txt\n");
    return 2;
  }
  FILE *list = std::fopen(argv[2], "r");
  if (!list) {
    std::perror(argv[2]);
    return 1;
  }
  std::vector<Point> inside;
  char kind[16];
  double x = 0, y = 0, z = 0;
  while (std::fscanf(list, "%15s %lf %lf %lf", kind, &x, &y, &z) == 4) {
    double px = 0, py = 0;
    pictureOfWorldPoint(GUIDE_PLACE, x, y, &px, &py);
    // Whole rings only.
    const double margin = RING_OUTER / GUIDE_PLACE.unitsPerPixel;
    if (px > margin && px < WIDTH - margin && py > margin && py < HEIGHT - margin) inside.push_back({x, y});
  }
  std::fclose(list);
  if (inside.size() < 2) {
    std::fprintf(stderr, "fewer than two markers on the picture\n");
    return 1;
  }

  Canvas canvas(WIDTH, HEIGHT);
  for (int32_t row = 0; row < HEIGHT; ++row) {
    for (int32_t column = 0; column < WIDTH; ++column) {
      unsigned char *pixel = canvas.at(column, row);
      double wx = 0, wy = 0;
      worldOfPicturePoint(GUIDE_PLACE, column + 0.5, row + 0.5, &wx, &wy);
      bool ring = false;
      for (const Point &marker : inside) {
        const double distance = std::hypot(wx - marker.x, wy - marker.y);
        ring = ring || (distance >= RING_INNER && distance <= RING_OUTER);
      }
      // Sand, with a faint road grid; blue rings.
      const bool road = (column % 100) < 3 || (row % 100) < 3;
      pixel[0] = ring ? 30 : road ? 150 : 222;
      pixel[1] = ring ? 60 : road ? 140 : 205;
      pixel[2] = ring ? 255 : road ? 120 : 160;
    }
  }
  if (!writeBmp24(argv[1], canvas)) {
    std::perror(argv[1]);
    return 1;
  }

  // The two markers farthest apart pin the picture: every other one lies
  // between them.
  size_t first = 0, second = 1;
  for (size_t i = 0; i < inside.size(); ++i) {
    for (size_t j = i + 1; j < inside.size(); ++j) {
      const double distance = std::hypot(inside[i].x - inside[j].x, inside[i].y - inside[j].y);
      if (distance > std::hypot(inside[first].x - inside[second].x, inside[first].y - inside[second].y)) {
        first = i;
        second = j;
      }
    }
  }
  const PicturePlacement fitted = fittedPlacement(WIDTH, HEIGHT);
  std::string pinLines;
  for (size_t i : {first, second}) {
    double markerX = 0, markerY = 0, px = 0, py = 0, fittedX = 0, fittedY = 0, ringX = 0, ringY = 0;
    pixelOfSavegamePoint(inside[i].x, inside[i].y, &markerX, &markerY);
    pictureOfWorldPoint(GUIDE_PLACE, inside[i].x, inside[i].y, &px, &py);
    worldOfPicturePoint(fitted, px, py, &fittedX, &fittedY);
    pixelOfSavegamePoint(fittedX, fittedY, &ringX, &ringY);
    pinLines += "pin-world " + std::to_string(inside[i].x) + " " + std::to_string(inside[i].y) + " " +
                std::to_string(fittedX) + " " + std::to_string(fittedY) + "\n";
    std::printf("pin %d %d %d %d\n", static_cast<int>(std::floor(markerX)), static_cast<int>(std::floor(markerY)),
                static_cast<int>(std::floor(ringX)), static_cast<int>(std::floor(ringY)));
  }
  for (const Point &marker : inside) {
    double markerX = 0, markerY = 0;
    pixelOfSavegamePoint(marker.x, marker.y, &markerX, &markerY);
    std::printf("ring %.2f %.2f\n", markerX, markerY);
  }
  std::printf("%s", pinLines.c_str());
  for (const Point &marker : inside) std::printf("ring-world %.3f %.3f\n", marker.x, marker.y);
  std::printf("ring-radius %.1f\n", RING_OUTER);
  return 0;
}
