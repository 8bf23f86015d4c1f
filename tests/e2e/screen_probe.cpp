// Looks at screenshots of the viewer for the end-to-end test. Screenshots are
// binary PPM files (P6, 8 bits per channel) of the screen, whose top-left
// corner is the viewer's client area.
//   screen-probe markers SHOT MARKERS WIDTH HEIGHT ZOOM CAMX CAMY
//       every listed marker that lies in the map area of the window has its
//       colour (red package, green rampage) within 2 pixels of where the
//       projection puts it; prints how many were checked
//   screen-probe mapbox SHOT X0 Y0 X1 Y1
//       prints "left top right bottom" of the pixels in the region that are
//       not the background colour
//   screen-probe diff A B X0 Y0 X1 Y1     prints how many pixels differ
//   screen-probe count SHOT X0 Y0 X1 Y1 red|green|white   prints a pixel count
//   screen-probe rings SHOT RINGS
//       for each "ring X Y" line of RINGS (e2e-write-guide-map's), the centre
//       of the blue ring drawn round (X, Y) lies within one pixel of it;
//       rings hidden by the overlay are passed over, but at least five must
//       be seen
// Exit status 0 when the check holds (or the value was printed), 1 when not,
// 2 for wrong usage or an unreadable file.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;

  const unsigned char *at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

bool readPpm(const char *path, Image *image) {
  FILE *file = std::fopen(path, "rb");
  if (!file) return false;
  int maxValue = 0;
  const bool header = std::fscanf(file, "P6 %d %d %d", &image->width, &image->height, &maxValue) == 3 &&
                      maxValue == 255 && image->width > 0 && image->height > 0 && std::fgetc(file) != EOF;
  bool ok = false;
  if (header) {
    image->rgb.resize(static_cast<size_t>(image->width) * image->height * 3);
    ok = std::fread(image->rgb.data(), 1, image->rgb.size(), file) == image->rgb.size();
  }
  std::fclose(file);
  return ok;
}

bool isRed(const unsigned char *p) { return p[0] > 200 && p[1] < 60 && p[2] < 60; }
bool isGreen(const unsigned char *p) { return p[1] > 200 && p[0] < 60 && p[2] < 60; }
bool isWhite(const unsigned char *p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }
// The route line's magenta (the standard palette).
bool isMagenta(const unsigned char *p) { return p[0] > 200 && p[1] < 60 && p[2] > 200; }

// The clear colour (0.05, 0.05, 0.1) as the screen shows it.
bool isBackground(const unsigned char *p) {
  return std::abs(p[0] - 13) <= 6 && std::abs(p[1] - 13) <= 6 && std::abs(p[2] - 26) <= 6;
}

struct Region {
  int x0, y0, x1, y1;  // x1 and y1 excluded
};

bool parseRegion(char **argv, const Image &image, Region *region) {
  region->x0 = std::atoi(argv[0]);
  region->y0 = std::atoi(argv[1]);
  region->x1 = std::atoi(argv[2]);
  region->y1 = std::atoi(argv[3]);
  return region->x0 >= 0 && region->y0 >= 0 && region->x1 <= image.width && region->y1 <= image.height &&
         region->x0 < region->x1 && region->y0 < region->y1;
}

// Screen position of a savegame position: the scene puts it at world
// (x * 0.0005 + cameraX, y * 0.0005 + cameraY, -zoom) under a 30-degree
// vertical field of view.
void project(double x, double y, int width, int height, double zoom, double cameraX, double cameraY,
             double *screenX, double *screenY) {
  const double halfHeight = zoom * std::tan(15.0 * M_PI / 180.0);
  const double aspect = static_cast<double>(width) / height;
  const double ndcX = (x * 0.0005 + cameraX) / (halfHeight * aspect);
  const double ndcY = (y * 0.0005 + cameraY) / halfHeight;
  *screenX = (ndcX + 1.0) / 2.0 * width;
  *screenY = (1.0 - ndcY) / 2.0 * height;
}

int checkMarkers(const Image &image, const char *listPath, int width, int height, double zoom, double cameraX,
                 double cameraY) {
  FILE *list = std::fopen(listPath, "r");
  if (!list) return 2;
  constexpr int PANEL_WIDTH = 168;
  constexpr int MARGIN = 8;
  char kind[16];
  double x, y, z;
  int checked = 0;
  int missing = 0;
  while (std::fscanf(list, "%15s %lf %lf %lf", kind, &x, &y, &z) == 4) {
    double sx, sy;
    project(x, y, width, height, zoom, cameraX, cameraY, &sx, &sy);
    if (sx < MARGIN || sy < MARGIN || sx >= width - PANEL_WIDTH - MARGIN || sy >= height - MARGIN) continue;
    const bool package = std::strcmp(kind, "package") == 0;
    bool found = false;
    for (int dy = -2; dy <= 2 && !found; ++dy) {
      for (int dx = -2; dx <= 2 && !found; ++dx) {
        const unsigned char *p = image.at(static_cast<int>(sx) + dx, static_cast<int>(sy) + dy);
        found = package ? isRed(p) : isGreen(p);
      }
    }
    ++checked;
    if (!found) {
      ++missing;
      std::printf("missing %s at savegame (%.1f, %.1f), screen (%.1f, %.1f)\n", kind, x, y, sx, sy);
    }
  }
  std::fclose(list);
  std::printf("%d markers checked, %d missing\n", checked, missing);
  return checked > 0 && missing == 0 ? 0 : 1;
}

int mapBox(const Image &image, const Region &region) {
  int left = region.x1, top = region.y1, right = -1, bottom = -1;
  for (int y = region.y0; y < region.y1; ++y) {
    for (int x = region.x0; x < region.x1; ++x) {
      if (isBackground(image.at(x, y))) continue;
      if (x < left) left = x;
      if (x > right) right = x;
      if (y < top) top = y;
      if (y > bottom) bottom = y;
    }
  }
  std::printf("%d %d %d %d\n", left, top, right, bottom);
  return right >= 0 ? 0 : 1;
}

// A guide map's ring, undimmed.
bool isRingBlue(const unsigned char *p) { return p[2] > 150 && p[2] - p[0] > 80 && p[2] - p[1] > 60; }

int checkRings(const Image &image, const char *ringsPath) {
  FILE *list = std::fopen(ringsPath, "r");
  if (!list) return 2;
  constexpr int REACH = 14;      // pixels round the marker searched for its ring
  constexpr long SEEN = 30;      // blue pixels that make a ring seen
  char line[128];
  double x = 0, y = 0;
  int checked = 0, off = 0;
  double worst = 0;
  while (std::fgets(line, sizeof line, list)) {
    if (std::sscanf(line, "ring %lf %lf", &x, &y) != 2) continue;
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    if (cx - REACH < 0 || cy - REACH < 0 || cx + REACH >= image.width || cy + REACH >= image.height) continue;
    double sumX = 0, sumY = 0;
    long count = 0;
    for (int py = cy - REACH; py <= cy + REACH; ++py) {
      for (int px = cx - REACH; px <= cx + REACH; ++px) {
        if (!isRingBlue(image.at(px, py))) continue;
        sumX += px + 0.5;
        sumY += py + 0.5;
        ++count;
      }
    }
    if (count < SEEN) continue;
    ++checked;
    const double distance = std::hypot(sumX / count - x, sumY / count - y);
    if (distance > worst) worst = distance;
    if (distance > 1.0) {
      ++off;
      std::printf("ring at (%.1f, %.1f) is centred %.2f pixels from its marker at (%.1f, %.1f)\n", sumX / count,
                  sumY / count, distance, x, y);
    }
  }
  std::fclose(list);
  std::printf("%d rings checked, %d off, the worst %.2f pixels\n", checked, off, worst);
  return checked >= 5 && off == 0 ? 0 : 1;
}

int usage() {
  std::fprintf(stderr, "usage: screen-probe markers|mapbox|diff|count|rings ... (see the source)\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) return usage();
  const std::string command = argv[1];
  Image image;
  if (!readPpm(argv[2], &image)) {
    std::fprintf(stderr, "screen-probe: cannot read %s\n", argv[2]);
    return 2;
  }
  Region region;
  if (command == "markers" && argc == 9) {
    return checkMarkers(image, argv[3], std::atoi(argv[4]), std::atoi(argv[5]), std::atof(argv[6]),
                        std::atof(argv[7]), std::atof(argv[8]));
  }
  if (command == "rings" && argc == 4) return checkRings(image, argv[3]);
  if (command == "mapbox" && argc == 7 && parseRegion(argv + 3, image, &region)) return mapBox(image, region);
  if (command == "diff" && argc == 8) {
    Image other;
    if (!readPpm(argv[3], &other) || other.width != image.width || other.height != image.height) return 2;
    if (!parseRegion(argv + 4, image, &region)) return usage();
    long differing = 0;
    for (int y = region.y0; y < region.y1; ++y) {
      for (int x = region.x0; x < region.x1; ++x) differing += std::memcmp(image.at(x, y), other.at(x, y), 3) != 0;
    }
    std::printf("%ld\n", differing);
    return 0;
  }
  if (command == "count" && argc == 8 && parseRegion(argv + 3, image, &region)) {
    const std::string colour = argv[7];
    bool (*match)(const unsigned char *) = colour == "red"      ? isRed
                                                 : colour == "green"  ? isGreen
                                                 : colour == "magenta" ? isMagenta
                                                                      : isWhite;
    long count = 0;
    for (int y = region.y0; y < region.y1; ++y) {
      for (int x = region.x0; x < region.x1; ++x) count += match(image.at(x, y));
    }
    std::printf("%ld\n", count);
    return 0;
  }
  return usage();
}
