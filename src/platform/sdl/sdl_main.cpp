// The Linux program: creates the window and its OpenGL context, runs the main
// loop and releases the context at the end. The loop hands every waiting event
// to its handler and then, when something can have changed, applies the
// controls and draws a frame; when nothing moves it sleeps until the next
// event or the next look at the loaded save. The exit status is 1, whichever
// way the loop ended, and 3 when the window could not be made.
#include <cstdio>
#include <cstring>

#include <cstdint>
#include <string>

#include "app/controls.h"
#include "app/frame_schedule.h"
#include "app/input.h"
#include "app/key_help.h"
#include "app/share_overlay.h"
#include "app/status_line.h"
#include "render/resize.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "platform/desktop_share.h"
#include "platform/platform.h"
#include "platform/posix/picture_path.h"
#include "platform/sdl/sdl_pacing.h"
#include "platform/sdl/sdl_platform.h"
#include "render/frame.h"
#include "render/marker_palette.h"
#include "render/resources.h"
#include "save/live_reload.h"
#include "save/open_dialog.h"
#include "save/savegame.h"
#include "share/share_session.h"
#include "share/share_site.h"

namespace {

constexpr int EXIT_STATUS = 1;
// No display, no video system or no OpenGL window: the loop never ran. Not 1,
// so that scripts/viewer can tell it from a window that was closed.
constexpr int START_FAILURE_STATUS = 3;
// Depth buffers asked for, best first: the closest one the display offers wins.
constexpr int DEPTH_SIZES[] = {32, 24, 16, 0};

constexpr char USAGE[] =
    "Usage: package-viewer [--palette safe] [--share] [--new-address] [--site DIR]\n"
    "                      [SAVEGAME | FOLDER | --help | --version]";

void printHelp() {
  std::printf(
      "%s\n"
      "\n"
      "Shows the hidden packages (red) and rampages (green) still left in a KZR Tern Haven\n"
      "savegame over a picture of the game's map. A SAVEGAME given here (or dropped on the\n"
      "window) is opened at once; a loaded save is read again whenever the game rewrites it.\n"
      "A FOLDER of saves shows its newest save, and whichever slot the game writes next.\n"
      "--palette safe starts with colours that colour-blind players can tell apart.\n"
      "--share shares the save with a phone on the local network at once, as 'Q' does;\n"
      "--site DIR names the folder of the web page it serves. The sharing address stays\n"
      "the same from one start to the next; --new-address makes a new one and forgets the old.\n"
      "\n"
      "The pictures font.bmp and THmap.bmp come from the folder it is started in when they\n"
      "are there, otherwise from its data folder, share/package-viewer beside its bin/.\n"
      "\n"
      "Keys:\n",
      USAGE);
  char keys[2048];
  writeKeyList(keys, sizeof keys, IN_LINUX, "  ", 18);
  std::fputs(keys, stdout);
}

// Takes "--palette NAME" out of the arguments, wherever it stands, and sets
// the marker palette it names. False, after saying why, for a name that is
// not a palette or a --palette without one.
bool takePaletteOption(int *argc, char **argv) {
  for (int i = 1; i < *argc; ++i) {
    if (std::strcmp(argv[i], "--palette") != 0) continue;
    if (i + 1 >= *argc || !markerPaletteNamed(argv[i + 1], &viewerState.markerPalette)) {
      std::fprintf(stderr, "package-viewer: --palette takes 'safe' or 'standard'\n%s\n", USAGE);
      return false;
    }
    for (int j = i; j + 2 <= *argc; ++j) argv[j] = argv[j + 2];
    *argc -= 2;
    --i;
  }
  return true;
}

// What --share, --new-address and --site asked for.
bool shareAtStart = false;
bool newShareAddress = false;
std::string shareSite;

// Takes "--share", "--new-address" and "--site DIR" out of the arguments, wherever they
// stand. False, after saying why, for a --site without its folder.
bool takeShareOptions(int *argc, char **argv) {
  for (int i = 1; i < *argc; ++i) {
    int taken = 0;
    if (std::strcmp(argv[i], "--share") == 0) {
      shareAtStart = true;
      taken = 1;
    } else if (std::strcmp(argv[i], "--new-address") == 0) {
      newShareAddress = true;
      taken = 1;
    } else if (std::strcmp(argv[i], "--site") == 0) {
      if (i + 1 >= *argc) {
        std::fprintf(stderr, "package-viewer: --site needs a folder\n%s\n", USAGE);
        return false;
      }
      shareSite = argv[i + 1];
      taken = 2;
    }
    if (taken == 0) continue;
    for (int j = i; j + taken <= *argc; ++j) argv[j] = argv[j + taken];
    *argc -= taken;
    --i;
  }
  return true;
}

// 'Q' and --share: serves the page and the shown save on the local network
// and puts the address, and its QR code, in shareOverlay; the address goes to
// stdout too, for whoever started the viewer from a terminal.
bool startSharing() {
  const std::string address = startDesktopShare(shareSite, runningProgramFolder(),
                               playersOwnMap(findPicture(MAP_PICTURE), findBundledPicture(MAP_PICTURE)));
  if (address.empty()) return false;
  std::printf("%s\n", address.c_str());
  std::fflush(stdout);
  return true;
}

// Reads the command line: nothing, one savegame to open, --help or --version,
// with --palette NAME, --share, --new-address and --site DIR anywhere. Returns true when the viewer is to start (with
// *savePath set, or null); otherwise the program ends with *status (0 for the
// answers, 2 for wrong usage).
bool readCommandLine(int argc, char **argv, const char **savePath, int *status) {
  *savePath = nullptr;
  if (!takePaletteOption(&argc, argv) || !takeShareOptions(&argc, argv)) {
    *status = 2;
    return false;
  }
  if (argc < 2) return true;
  const char *argument = argv[1];
  if (argc == 2 && (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)) {
    printHelp();
    *status = 0;
    return false;
  }
  if (argc == 2 && std::strcmp(argument, "--version") == 0) {
    std::printf("package-viewer %s\n", VIEWER_VERSION);
    *status = 0;
    return false;
  }
  // A savegame whose name starts with '-' can be given as ./-name.
  if (argc == 2 && argument[0] != '-' && argument[0] != '\0') {
    *savePath = argument;
    return true;
  }
  std::fprintf(stderr, "package-viewer: %s '%s'\n%s\n",
               argc == 2 ? "unknown argument" : "more than one argument, from", argument, USAGE);
  *status = 2;
  return false;
}

// Without a display SDL falls back to drivers that draw nowhere; a window
// nobody can see or close would run for ever.
bool hasVisibleDisplay() {
  const char *driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

void reportStartFailure(const char *what) {
  std::fprintf(stderr, "package-viewer: %s: %s\n", what, SDL_GetError());
}

// Creates the window with a double-buffered OpenGL context and makes it
// current: 8 bits per colour channel where the display has them, else the
// 5/6/5 of a 16-bit display, else whatever it offers; with each, the deepest
// depth buffer available.
bool createWindowAndContext(SDL_Window **window, SDL_GLContext *context) {
  struct ColourBits {
    int red;
    int green;
    int blue;
  };
  static constexpr ColourBits COLOUR_SIZES[] = {{8, 8, 8}, {5, 6, 5}, {0, 0, 0}};
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  for (const ColourBits &colour : COLOUR_SIZES) {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colour.red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colour.green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colour.blue);
    for (int depth : DEPTH_SIZES) {
      SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
      // Created hidden: the surface and the graphics exist before it is shown.
      *window = SDL_CreateWindow(WINDOW_TITLE, 0, 0, viewerState.windowWidth, viewerState.windowHeight,
                                 SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
      if (!*window) continue;
      *context = SDL_GL_CreateContext(*window);
      if (*context) return true;
      SDL_DestroyWindow(*window);
      *window = nullptr;
    }
  }
  return false;
}

uint64_t millisecondsToTicks(uint32_t milliseconds) {
  return SDL_GetPerformanceFrequency() * milliseconds / 1000;
}

// Waits at most `milliseconds` for an event and hands it to its handler.
// Returns false when it asked the loop to end.
bool waitForEvent(uint32_t milliseconds, bool *gotEvent) {
  SDL_Event event;
  *gotEvent = SDL_WaitEventTimeout(&event, static_cast<int>(milliseconds)) != 0;
  return !*gotEvent || sdlDispatchEvent(event);
}

void runMainLoop(SDL_Window *window) {
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window);
  const int32_t reportedHz = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
  FramePacer pacer = makeFramePacer(reportedHz, SDL_GetPerformanceFrequency());
  FrameSchedule schedule;

  while (viewerState.running) {
    // Every waiting event first: a frame shows all of them at once.
    SDL_Event event;
    bool gotEvent = false;
    while (SDL_PollEvent(&event)) {
      gotEvent = true;
      // A closed window ends the loop before any further frame.
      if (!sdlDispatchEvent(event)) {
        viewerState.running = 0;
        return;
      }
    }
    if (gotEvent) schedule.frameDue = true;
    if (reloadSavegameIfChanged(SDL_GetTicks())) {
      schedule.frameDue = true;
      if (shareOverlay.size) noteViewerSaveChanged();
    }
    // The shared save is the one shown, whichever way it was opened.
    if (shareOverlay.size) shareViewerSave(viewerState.saveFileName);
    if (updateStatusLine(SDL_GetTicks())) schedule.frameDue = true;

    if (frameWanted(&schedule)) {
      // No more than one frame per refresh, whether or not the swap waits.
      const uint64_t wait = ticksBeforeNextFrame(pacer, SDL_GetPerformanceCounter());
      if (wait > 0) {
        const uint32_t milliseconds =
            static_cast<uint32_t>((wait * 1000 + SDL_GetPerformanceFrequency() - 1) / SDL_GetPerformanceFrequency());
        if (!waitForEvent(milliseconds, &gotEvent)) {
          viewerState.running = 0;
          return;
        }
        if (ticksBeforeNextFrame(pacer, SDL_GetPerformanceCounter()) > millisecondsToTicks(1)) continue;
      }
      noteFrameStarted(&pacer, SDL_GetPerformanceCounter());
      applyControls();
      renderFrame();
      noteFrameDrawn(&schedule);
      continue;
    }

    // Nothing moves: sleep until an event arrives (a notification that the
    // save was written is one), the save is due for a look or the status line
    // for its end.
    if (!waitForEvent(millisecondsToRest(SDL_GetTicks()), &gotEvent)) {
      viewerState.running = 0;
      return;
    }
    if (gotEvent) schedule.frameDue = true;
  }
}

}  // namespace

SDL_Window *sdlMainWindow() { return static_cast<SDL_Window *>(viewerState.window); }

int main(int argc, char **argv) {
  const char *savePath = nullptr;
  int status = 0;
  if (!readCommandLine(argc, argv, &savePath, &status)) return status;

  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    reportStartFailure("cannot start the video system");
    return START_FAILURE_STATUS;
  }
  if (!hasVisibleDisplay()) {
    std::fprintf(stderr, "package-viewer: no display to show a window on (video driver '%s')\n",
                 SDL_GetCurrentVideoDriver());
    SDL_Quit();
    return START_FAILURE_STATUS;
  }
  // The window starts at its smallest size, a client area of 640 x 480.
  viewerState.windowWidth = MINIMUM_WINDOW_WIDTH;
  viewerState.windowHeight = MINIMUM_WINDOW_HEIGHT;

  SDL_Window *window = nullptr;
  SDL_GLContext context = nullptr;
  if (!createWindowAndContext(&window, &context)) {
    reportStartFailure("cannot create an OpenGL window");
    SDL_Quit();
    return START_FAILURE_STATUS;
  }
  viewerState.window = window;
  viewerState.deviceContext = window;
  viewerState.glContext = context;
  SDL_SetWindowMinimumSize(window, MINIMUM_WINDOW_WIDTH, MINIMUM_WINDOW_HEIGHT);
  // Swaps wait for the display where it allows it; the loop paces its frames
  // itself where it does not.
  SDL_GL_SetSwapInterval(1);
  // Keys arrive as key events; no text input or input method is wanted.
  SDL_StopTextInput();

  initGraphicsFrom(findPicture(FONT_PICTURE).c_str(), findPicture(MAP_PICTURE).c_str(),
                   findBundledPicture(FONT_PICTURE).c_str(), findBundledPicture(MAP_PICTURE).c_str());
  startPointerAtCentre();
  SDL_WarpMouseGlobal(viewerState.mouseX, viewerState.mouseY);

  SDL_ShowWindow(window);
  SDL_RaiseWindow(window);
  // The projection exists before the first frame, whatever size the window
  // manager granted.
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  resizeViewport(width, height);
  renderFrame();
  // A save named on the command line opens once the first frame is up, as if
  // chosen in the dialog.
  if (savePath) openSavegameFile(savePath);
  startShareHook = startSharing;
  if (newShareAddress) renewDesktopShareAddress();
  if (shareAtStart) toggleShareOverlay();

  runMainLoop(window);
  platformWatchFile("");
  stopViewerShare();

  SDL_GL_MakeCurrent(window, nullptr);
  SDL_GL_DeleteContext(context);
  viewerState.glContext = nullptr;
  SDL_Quit();
  return EXIT_STATUS;
}
