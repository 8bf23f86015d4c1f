// package-tool render: draws the viewer's picture offscreen, as the viewer
// shows it in its steady state, and writes it as a PNG file. Two frames are
// drawn and the second is kept: the panel's background blends with the blend
// function that the previous frame's text left, so only from the second frame
// on does it look as it does on screen.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/collecting_route.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "package_tool/commands.h"
#include "package_tool/tool_arguments.h"
#include "package_tool/tool_savegame.h"
#include "package_tool/tool_text.h"
#include "platform/headless/headless_gl.h"
#include "platform/posix/picture_path.h"
#include "render/frame.h"
#include "render/marker_palette.h"
#include "render/resize.h"
#include "render/resources.h"
#include "route/route_planner.h"
#include "writers/png_writer.h"

namespace {

constexpr int32_t MAX_SIDE = 4096;
// A zoom at or below NEAR_PLANE puts the map behind the eye's near plane.

struct RenderOptions {
  const char *savegame = nullptr;
  const char *output = nullptr;
  int32_t width = START_WINDOW_WIDTH;
  int32_t height = START_WINDOW_HEIGHT;
  float zoom = 4.0f;
  float cameraX = 0.0f;
  float cameraY = 0.0f;
  bool helpPage = false;
  const char *map = nullptr;
  const char *font = nullptr;
  bool route = false;
  bool hasStart = false;
  RoutePoint start{0.0, 0.0};
  int32_t shownKinds = SHOW_BOTH_KINDS;
  int32_t palette = PALETTE_STANDARD;
};

int usageError(const char *format, const char *value) { return ::usageError("render", format, value); }

bool parseSide(const char *begin, const char *end, int32_t *side) {
  if (begin == end || end - begin > 5) return false;
  int32_t value = 0;
  for (const char *p = begin; p < end; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
  }
  *side = value;
  return value >= 1 && value <= MAX_SIDE;
}

bool parseSize(const char *text, int32_t *width, int32_t *height) {
  const char *cross = std::strchr(text, 'x');
  return cross && parseSide(text, cross, width) && parseSide(cross + 1, text + std::strlen(text), height);
}

// Returns 0 when the arguments are good, else the exit status after a message.
int parseOptions(int argc, char **argv, RenderOptions *options) {
  std::vector<const char *> files;
  for (int i = 1; i < argc; ++i) {
    const char *argument = argv[i];
    if (std::strcmp(argument, "--help-page") == 0) {
      options->helpPage = true;
    } else if (std::strcmp(argument, "--size") == 0) {
      if (!parseSize(argv[++i], &options->width, &options->height)) {
        return usageError("--size takes WIDTHxHEIGHT, each 1 to 4096: '%s'", argv[i]);
      }
    } else if (std::strcmp(argument, "--zoom") == 0) {
      if (!parseFloat(argv[++i], &options->zoom) || !(options->zoom > NEAR_PLANE)) {
        return usageError("--zoom takes a finite number above 0.1: '%s'", argv[i]);
      }
    } else if (std::strcmp(argument, "--camera") == 0) {
      if (!parseFloatPair(argv[++i], &options->cameraX, &options->cameraY)) {
        return usageError("--camera takes two finite numbers X,Y: '%s'", argv[i]);
      }
    } else if (std::strcmp(argument, "--map") == 0) {
      options->map = argv[++i];
    } else if (std::strcmp(argument, "--font") == 0) {
      options->font = argv[++i];
    } else if (std::strcmp(argument, "--route") == 0) {
      options->route = true;
    } else if (std::strcmp(argument, "--from") == 0) {
      float x = 0.0f;
      float y = 0.0f;
      if (!parseFloatPair(argv[++i], &x, &y)) return usageError("--from takes two finite numbers X,Y: '%s'", argv[i]);
      options->hasStart = true;
      options->start = RoutePoint{x, y};
    } else if (std::strcmp(argument, "--kinds") == 0) {
      bool packages = true;
      bool rampages = true;
      if (!parseKinds(argv[++i], &packages, &rampages)) {
        return usageError("unknown kinds '%s' (packages, rampages or all)", argv[i]);
      }
      options->shownKinds = !rampages ? SHOW_PACKAGES_ONLY : !packages ? SHOW_RAMPAGES_ONLY : SHOW_BOTH_KINDS;
    } else if (std::strcmp(argument, "--palette") == 0) {
      if (!markerPaletteNamed(argv[++i], &options->palette)) {
        return usageError("unknown palette '%s' (standard or safe)", argv[i]);
      }
    } else {
      files.push_back(argument);
    }
  }
  if (files.empty()) {
    printCommandUsage("render", stderr);
    return 2;
  }
  if (files.size() > 2) return usageError("at most a SAVEGAME and OUT.png: '%s'", files[2]);
  if (options->hasStart && !options->route) return usageError("%s is the start of --route, which is not asked for", "--from");
  options->output = files.back();
  if (files.size() == 2) options->savegame = files.front();
  // The picture is always PNG: another name would hide what the file holds.
  if (!hasExtension(options->output, ".png")) {
    return usageError("OUT.png must end in .png (the picture is written as PNG): '%s'", options->output);
  }
  return 0;
}

}  // namespace

int runRenderCommand(int argc, char **argv) {
  RenderOptions options;
  if (int status = parseOptions(argc, argv, &options)) return status;

  if (options.savegame) {
    if (int status = loadToolSavegame("render", options.savegame)) return status;
  }

  if (!headlessCreateGlContext(options.width, options.height)) {
    std::fprintf(stderr, "package-tool render: no offscreen OpenGL: %s\n", headlessGlError().c_str());
    return 1;
  }
  viewerState.zoom = options.zoom;
  viewerState.cameraX = options.cameraX;
  viewerState.cameraY = options.cameraY;
  viewerState.showHelp = options.helpPage ? 1 : 0;
  // As the viewer's keys set them: 'K' the kinds, 'P' the palette, 'R' the
  // route through the kinds shown.
  viewerState.shownKinds = options.shownKinds;
  viewerState.markerPalette = options.palette;
  if (options.route) showRouteFrom(options.hasStart ? &options.start : nullptr);

  // The pictures are found as the viewer finds them, unless named. One that
  // fails to load is drawn without it, as in the viewer; its box has been
  // printed, and the exit status says so.
  const std::string font = options.font ? options.font : findPicture(FONT_PICTURE);
  const std::string map = options.map ? options.map : findPicture(MAP_PICTURE);
  const bool picturesLoaded = initGraphicsFrom(font.c_str(), map.c_str());

  resizeViewport(options.width, options.height);
  renderFrame();
  renderFrame();
  std::vector<unsigned char> rgb(static_cast<size_t>(options.width) * options.height * 3);
  headlessReadFrame(rgb.data());
  headlessDestroyGlContext();

  std::string error;
  if (!writePng(options.output, options.width, options.height, rgb.data(), ROWS_TOP_FIRST, &error)) {
    std::fprintf(stderr, "package-tool render: cannot write '%s': %s\n", options.output, error.c_str());
    return 1;
  }
  return picturesLoaded ? 0 : 1;
}
