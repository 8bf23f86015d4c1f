// The Linux program: creates the window and its OpenGL context, runs the main
// loop (one event per pass; a pass without an event applies the controls and
// draws a frame) and releases the context at the end. The exit status is 1,
// whichever way the loop ended.
#include <cstdio>
#include <cstring>

#include "app/controls.h"
#include "app/input.h"
#include "app/resize.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "platform/sdl/sdl_platform.h"
#include "render/frame.h"
#include "render/resources.h"

#ifndef VIEWER_DATA_DIR
#define VIEWER_DATA_DIR "/usr/local/share/package-viewer"
#endif

namespace {

constexpr int EXIT_STATUS = 1;
// Depth buffers asked for, best first: the closest one the display offers wins.
constexpr int DEPTH_SIZES[] = {32, 24, 16, 0};

void printHelp() {
  std::printf(
      "Usage: package-viewer [--help | --version]\n"
      "\n"
      "Shows the hidden packages (red) and rampages (green) still left in a KZR Tern Haven\n"
      "savegame over a picture of the game's map.\n"
      "\n"
      "Start it in a folder that holds font.bmp and THmap.bmp; the installed copies are in\n"
      "  %s\n"
      "Keys: 'O' opens a savegame, 'H' shows the help page, the arrows, W A S D or a\n"
      "left-button drag move the map, keypad + and - or the wheel zoom, escape quits.\n",
      VIEWER_DATA_DIR);
}

// Answers --help and --version; anything else is wrong usage.
int runCommandLine(int argc, char **argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    printHelp();
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("package-viewer %s\n", VIEWER_VERSION);
    return 0;
  }
  std::fprintf(stderr, "package-viewer: unknown argument '%s'\nUsage: package-viewer [--help | --version]\n",
               argv[1]);
  return 2;
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

void runMainLoop() {
  while (viewerState.running) {
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
      // A closed window ends the loop before any further frame.
      if (!sdlDispatchEvent(event)) viewerState.running = 0;
    } else {
      applyControls();
      renderFrame();
    }
  }
}

}  // namespace

SDL_Window *sdlMainWindow() { return static_cast<SDL_Window *>(viewerState.window); }

int main(int argc, char **argv) {
  if (argc > 1) return runCommandLine(argc, argv);

  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    reportStartFailure("cannot start the video system");
    return EXIT_STATUS;
  }
  if (!hasVisibleDisplay()) {
    std::fprintf(stderr, "package-viewer: no display to show a window on (video driver '%s')\n",
                 SDL_GetCurrentVideoDriver());
    SDL_Quit();
    return EXIT_STATUS;
  }
  // The window starts at its smallest size, a client area of 640 x 480.
  viewerState.windowWidth = MINIMUM_WINDOW_WIDTH;
  viewerState.windowHeight = MINIMUM_WINDOW_HEIGHT;

  SDL_Window *window = nullptr;
  SDL_GLContext context = nullptr;
  if (!createWindowAndContext(&window, &context)) {
    reportStartFailure("cannot create an OpenGL window");
    SDL_Quit();
    return EXIT_STATUS;
  }
  viewerState.window = window;
  viewerState.deviceContext = window;
  viewerState.glContext = context;
  SDL_SetWindowMinimumSize(window, MINIMUM_WINDOW_WIDTH, MINIMUM_WINDOW_HEIGHT);
  // Paced by the display where it allows it, so the loop that never waits
  // does not spin a core; where it does not, the loop runs free.
  SDL_GL_SetSwapInterval(1);
  // Keys arrive as key events; no text input or input method is wanted.
  SDL_StopTextInput();

  initGraphics();
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

  runMainLoop();

  SDL_GL_MakeCurrent(window, nullptr);
  SDL_GL_DeleteContext(context);
  viewerState.glContext = nullptr;
  SDL_Quit();
  return EXIT_STATUS;
}
