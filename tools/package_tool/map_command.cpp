// package-tool map: turns a picture in any common format (PNG, JPEG, GIF, TGA,
// or BMP with any header version) into a map the viewer loads: decoded by
// stb_image, scaled by stb_image_resize into a square whose side is a power
// of two, written as a 24-bit BMP with the 40-byte header. The viewer's own
// loader reads only that classic form, which few programs write by default
// any more.
//
// The square always stands for savegame -2000 .. 2000 on both axes, as the
// viewer draws it. --world names the savegame coordinates of the picture's
// edges: the picture is placed there, cropped where it reaches beyond the
// square, and the rest is the bundled chart's paper colour.
//
// The result is written to a temporary file beside OUT and renamed over it
// only when complete, so a failure never leaves a half-written or damaged map.
#include <stb_image.h>
#include <stb_image_resize.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "asset_generators/chart_colours.h"
#include "package_tool/commands.h"
#include "package_tool/replace_file.h"
#include "package_tool/tool_arguments.h"
#include "writers/bmp_writer.h"

namespace {

constexpr int32_t DEFAULT_SIDE = 1024;
constexpr int32_t MAX_SIDE = 4096;
// Savegame units from the centre of the square to an edge: the viewer draws
// the map from -1 to 1 in scene units, savegame -2000 to 2000 through
// SAVEGAME_TO_SCENE (app/view.h).
constexpr double MAP_EXTENT = 2000.0;

// The savegame coordinates of the picture's edges.
struct World {
  double left = -MAP_EXTENT;
  double bottom = -MAP_EXTENT;
  double right = MAP_EXTENT;
  double top = MAP_EXTENT;
};

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

// Four finite numbers separated by commas, nothing else.
bool parseWorld(const char *text, World *world) {
  double *const edges[] = {&world->left, &world->bottom, &world->right, &world->top};
  const char *p = text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && *p++ != ',') return false;
    char *end = nullptr;
    errno = 0;
    *edges[i] = std::strtod(p, &end);
    if (end == p || errno == ERANGE || !std::isfinite(*edges[i])) return false;
    p = end;
  }
  return *p == '\0';
}

// Where the picture lands in the square: whole pixels, top row first, and
// the part of the picture (in stb_image_resize's 0..1 picture coordinates)
// that covers them. Each edge is rounded to the nearest pixel boundary, and
// the picture part follows that boundary, so that the picture's scale stays
// exact and a picture whose pixels meet the square's pixels comes out as is.
struct Placement {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // pixels: [left, right) x [top, bottom)
  float s0 = 0, t0 = 0, s1 = 1, t1 = 1;
  bool empty() const { return left >= right || top >= bottom; }
};

Placement place(const World &world, int32_t side) {
  const double unitsPerPixel = 2 * MAP_EXTENT / side;
  auto pixelOf = [&](double units) {
    return static_cast<int32_t>(std::fmin(std::fmax(std::round(units / unitsPerPixel), 0.0), side));
  };
  Placement placement;
  placement.left = pixelOf(world.left + MAP_EXTENT);
  placement.right = pixelOf(world.right + MAP_EXTENT);
  placement.top = pixelOf(MAP_EXTENT - world.top);
  placement.bottom = pixelOf(MAP_EXTENT - world.bottom);
  const double width = world.right - world.left;
  const double height = world.top - world.bottom;
  placement.s0 = static_cast<float>((placement.left * unitsPerPixel - MAP_EXTENT - world.left) / width);
  placement.s1 = static_cast<float>((placement.right * unitsPerPixel - MAP_EXTENT - world.left) / width);
  placement.t0 = static_cast<float>((world.top - (MAP_EXTENT - placement.top * unitsPerPixel)) / height);
  placement.t1 = static_cast<float>((world.top - (MAP_EXTENT - placement.bottom * unitsPerPixel)) / height);
  return placement;
}

// Why the picture's edges cannot make a map at this side, or null when they
// can. A picture narrower than a pixel of the square is refused too: it
// would barely show, and the scaler's filter would grow without bound.
const char *worldFault(const World &world, int32_t side) {
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
  if (place(world, side).empty()) {
    return "--world puts the picture within half a pixel of the map's edge, outside it: '%s'";
  }
  return nullptr;
}

// stb_image's reasons are terse (and for some damaged files empty); the two a
// user meets most get plain words.
std::string decodeFailure() {
  const char *reason = stbi_failure_reason();
  if (!reason || !*reason) return "damaged or unsupported picture";
  if (std::strcmp(reason, "unknown image type") == 0) return "not a PNG, JPEG, GIF, TGA or BMP picture";
  if (std::strcmp(reason, "outofmem") == 0) return "not enough memory to decode the picture";
  return std::string("damaged or unsupported picture (") + reason + ")";
}

// Mitchell's filter where a side shrinks: smooth, with little ringing.
// Catmull-Rom where it grows or keeps its length: it passes through the
// source pixels, so a picture that already has the size comes out unchanged
// (stb_image_resize would otherwise pick Mitchell's, which blurs it).
stbir_filter filterFor(double sourceLength, int32_t length) {
  return sourceLength > length ? STBIR_FILTER_MITCHELL : STBIR_FILTER_CATMULLROM;
}

struct DecodedPicture {
  unsigned char *rgb = nullptr;  // packed RGB rows, top row first
  int width = 0;
  int height = 0;
  ~DecodedPicture() { stbi_image_free(rgb); }
};

// Decodes the picture as RGB (an alpha channel is dropped). Returns the
// reason on failure, an empty string on success.
std::string decode(const char *path, DecodedPicture *picture) {
  // A folder, FIFO or device is refused before it is opened: a FIFO would
  // wait for a writer.
  const std::string unreadable = unreadableReason(path);
  if (!unreadable.empty()) return unreadable;
  FILE *file = std::fopen(path, "rb");
  if (!file) return std::strerror(errno);
  int channels = 0;
  picture->rgb = stbi_load_from_file(file, &picture->width, &picture->height, &channels, 3);
  std::fclose(file);
  return picture->rgb ? std::string() : decodeFailure();
}

}  // namespace

int runMapCommand(int argc, char **argv) {
  const char *input = nullptr;
  const char *output = nullptr;
  int32_t side = DEFAULT_SIDE;
  World world;
  const char *worldText = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0) {
      if (!parseSide(argv[++i], &side)) {
        return usageError("--size takes a power of two from 1 to 4096: '%s'", argv[i]);
      }
    } else if (std::strcmp(argv[i], "--world") == 0) {
      worldText = argv[++i];
      if (!parseWorld(worldText, &world)) {
        return usageError("--world takes four finite numbers LEFT,BOTTOM,RIGHT,TOP: '%s'", worldText);
      }
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
  if (worldText) {
    if (const char *fault = worldFault(world, side)) return usageError(fault, worldText);
  }

  DecodedPicture picture;
  const std::string unreadable = decode(input, &picture);
  if (!unreadable.empty()) return failure(input, unreadable);

  Canvas map(side, side);
  for (size_t i = 0; i < map.rgb.size(); i += 3) std::memcpy(&map.rgb[i], CHART_PAPER, 3);

  // Scaled in linear light, as the eye averages: sRGB values averaged as
  // they are darken fine lines and edges. Outside the picture the edge
  // pixels repeat, so the border keeps its colour.
  const Placement at = place(world, side);
  const int32_t width = at.right - at.left;
  const int32_t height = at.bottom - at.top;
  if (!at.empty() &&
      !stbir_resize_region(picture.rgb, picture.width, picture.height, 0, map.at(at.left, at.top), width, height,
                           side * 3, STBIR_TYPE_UINT8, 3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                           STBIR_EDGE_CLAMP, filterFor((at.s1 - at.s0) * picture.width, width),
                           filterFor((at.t1 - at.t0) * picture.height, height), STBIR_COLORSPACE_SRGB, nullptr,
                           at.s0, at.t0, at.s1, at.t1)) {
    return failure(input, "not enough memory to scale the picture");
  }

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
