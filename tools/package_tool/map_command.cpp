// package-tool map: turns a picture in any common format (PNG, JPEG, GIF, TGA,
// or BMP with any header version) into a map the viewer loads: decoded and
// scaled by the core's image/ into a square whose side is a power of two,
// written as a 24-bit BMP with the 40-byte header. The viewer's own loader
// reads only that classic form, which few programs write by default any more.
//
// The square always stands for savegame -2000 .. 2000 on both axes, as the
// viewer draws it. --world names the savegame coordinates of the picture's
// edges: the picture is placed there, cropped where it reaches beyond the
// square, and the rest is the bundled chart's paper colour. --pin instead ties
// points of the picture to the savegame points they show, two or more, solved
// as the viewer's align mode solves them; the picture is then taken as the
// viewer takes it (up to 8192 pixels a side, scaled to 4096), and the side
// is the one the viewer keeps, so that both make the same square.
//
// The result is written to a temporary file beside OUT and renamed over it
// only when complete, so a failure never leaves a half-written or damaged map.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/map_pins.h"
#include "app/own_map.h"
#include "image/bmp_writer.h"
#include "image/picture.h"
#include "image/square_map.h"
#include "package_tool/commands.h"
#include "package_tool/replace_file.h"
#include "package_tool/tool_arguments.h"

namespace {

constexpr int32_t DEFAULT_SIDE = 1024;
constexpr int32_t MAX_SIDE = 4096;

int usageError(const char *format, const char *value) { return ::usageError("map", format, value); }

int failure(const char *file, const std::string &reason) { return fileFailure(file, reason); }

std::string systemError(int error) { return error ? std::strerror(error) : "the file cannot be written"; }

bool parseSide(const char *text, int32_t *side) {
  int32_t value = 0;
  for (const char *p = text; *p; ++p) {
    if (*p < '0' || *p > '9' || value > MAX_SIDE) return false;
    value = value * 10 + (*p - '0');
  }
  *side = value;
  return value >= 1 && value <= MAX_SIDE && (value & (value - 1)) == 0;
}

// Finite numbers, each led by its separator (none before the first), and
// nothing else.
bool parseNumbers(const char *text, const char *separators, double *const *numbers, int count) {
  const char *p = text;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && *p++ != separators[i - 1]) return false;
    char *end = nullptr;
    errno = 0;
    *numbers[i] = std::strtod(p, &end);
    if (end == p || errno == ERANGE || !std::isfinite(*numbers[i])) return false;
    p = end;
  }
  return *p == '\0';
}

// Four finite numbers separated by commas, nothing else.
bool parseWorld(const char *text, WorldEdges *world) {
  double *const edges[] = {&world->left, &world->bottom, &world->right, &world->top};
  return parseNumbers(text, ",,,", edges, 4);
}

// PX,PY=X,Y: a point of the picture in its file's pixels and the savegame
// point it shows.
bool parsePin(const char *text, MapPin *pin) {
  double *const numbers[] = {&pin->pictureX, &pin->pictureY, &pin->worldX, &pin->worldY};
  return parseNumbers(text, ",=,", numbers, 4);
}

// Why the picture's edges cannot make a map at this side, or null when they
// can. A picture narrower than a pixel of the square is refused too: it
// would barely show, and the scaler's filter would grow without bound.
const char *worldFault(const WorldEdges &world, int32_t side) {
  const double width = world.right - world.left;
  const double height = world.top - world.bottom;
  if (!(width > 0) || !(height > 0)) return "--world needs LEFT below RIGHT and BOTTOM below TOP: '%s'";
  if (!std::isfinite(width) || !std::isfinite(height)) return "--world spans more than a number holds: '%s'";
  if (world.right <= -MAP_EXTENT || world.left >= MAP_EXTENT || world.top <= -MAP_EXTENT ||
      world.bottom >= MAP_EXTENT) {
    return "--world puts the picture wholly outside the map's -2000 .. 2000: '%s'";
  }
  const double unitsPerPixel = 2 * MAP_EXTENT / side;
  if (width < unitsPerPixel || height < unitsPerPixel) {
    return "--world makes the picture smaller than one pixel of the map: '%s'";
  }
  // Overlapping the square by less than half a pixel, the picture would cover
  // no pixel of it: the map would be paper alone.
  if (squareCover(squareEdgesOf(world, side), side).empty()) {
    return "--world puts the picture within half a pixel of the map's edge, outside it: '%s'";
  }
  return nullptr;
}

int writeMap(const char *output, const Canvas &map) {
  std::string reason;
  const std::string temporary = createTemporaryBeside(output, &reason);
  if (temporary.empty()) return failure(output, reason);
  errno = 0;
  if (!writeBmp24(temporary, map)) {
    const int error = errno;
    std::remove(temporary.c_str());
    return failure(output, systemError(error));
  }
  if (!replaceWithTemporary(temporary, output, &reason)) {
    std::remove(temporary.c_str());
    return failure(output, reason);
  }
  return 0;
}

}  // namespace

int runMapCommand(int argc, char **argv) {
  const char *input = nullptr;
  const char *output = nullptr;
  int32_t side = DEFAULT_SIDE;
  bool sideGiven = false;
  WorldEdges world = {-MAP_EXTENT, -MAP_EXTENT, MAP_EXTENT, MAP_EXTENT};
  const char *worldText = nullptr;
  std::vector<MapPin> pins;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0) {
      if (!parseSide(argv[++i], &side)) {
        return usageError("--size takes a power of two from 1 to 4096: '%s'", argv[i]);
      }
      sideGiven = true;
    } else if (std::strcmp(argv[i], "--world") == 0) {
      worldText = argv[++i];
      if (!parseWorld(worldText, &world)) {
        return usageError("--world takes four finite numbers LEFT,BOTTOM,RIGHT,TOP: '%s'", worldText);
      }
    } else if (std::strcmp(argv[i], "--pin") == 0) {
      MapPin pin;
      if (!parsePin(argv[++i], &pin)) {
        return usageError("--pin takes a picture point and the savegame point it shows, PX,PY=X,Y: '%s'", argv[i]);
      }
      pins.push_back(pin);
    } else if (!input) {
      input = argv[i];
    } else if (!output) {
      output = argv[i];
    } else {
      return usageError("one IMAGE and one OUT.bmp only: '%s'", argv[i]);
    }
  }
  if (!output) {
    printCommandUsage("map", stderr);
    return 2;
  }
  // The map is always a BMP: another name would hide what the file holds.
  if (!hasExtension(output, ".bmp")) {
    return usageError("OUT.bmp must end in .bmp (the map is written as BMP): '%s'", output);
  }
  if (worldText && !pins.empty()) return usageError("%s", "--world and --pin place the picture two ways: give one");
  if (worldText) {
    if (const char *fault = worldFault(world, side)) return usageError(fault, worldText);
  }
  // The pins are solved in the file's pixels, before the picture is read.
  PicturePlacement placement = {};
  if (!pins.empty()) {
    const PinSolution solution = solvePins(pins.data(), static_cast<int32_t>(pins.size()), &placement, nullptr);
    if (solution != PINS_SOLVED) return usageError("--pin: %s", pinSolutionText(solution));
  }

  Picture picture;
  std::string reason;
  if (pins.empty() ? !decodePictureFile(input, &picture, &reason) : !loadPictureFile(input, &picture, &reason)) {
    return failure(input, reason);
  }
  Canvas map(0, 0);
  if (pins.empty()) {
    map = Canvas(side, side);
    if (!paintSquareMap(picture, squareEdgesOf(world, side), &map)) {
      return failure(input, "not enough memory to scale the picture");
    }
  } else {
    placement = placementInPicture(placement, picture);
    const WorldEdges edges = placementEdges(placement, picture.width, picture.height);
    if (!sideGiven) side = ownMapSide(picture.width, picture.height, edges);
    if (squareCover(squareEdgesOf(edges, side), side).empty()) {
      return usageError("%s", "--pin puts the picture outside the map's -2000 .. 2000");
    }
    if (!makeOwnMap(picture, placement, side, &map)) return failure(input, "not enough memory to scale the picture");
  }
  return writeMap(output, map);
}
