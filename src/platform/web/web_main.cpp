// The viewer in a web page: a WebGL 1 context on the page's canvas, driven
// through the legacy GL emulation, and the browser's animation frames. The
// program does not loop: main sets everything up and returns, and from then
// on the browser calls in for events, frames, the fetched pictures and the
// saves the user picks or drops. A frame is drawn only when something may
// have changed, at the next animation frame.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "app/controls.h"
#include "app/input.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "platform/web/web_page.h"
#include "render/frame.h"
#include "render/resize.h"
#include "render/resources.h"
#include "save/live_reload.h"
#include "save/open_dialog.h"
#include "save/savegame.h"

namespace {

constexpr const char *CANVAS = "#canvas";
// The panel's background is blended with the function the previous frame's
// text left behind, so the picture settles from the second frame on: the
// desktop draws a few frames at start whatever happens, and so does the page.
constexpr int STARTUP_FRAMES = 2;
int startupFrames = STARTUP_FRAMES;
bool frameRequested = false;
bool graphicsReady = false;

EM_BOOL drawFrame(double, void *) {
  frameRequested = false;
  applyControls();
  renderFrame();
  if (startupFrames > 0) --startupFrames;
  // Held keys move the map on every frame, as on the desktop.
  if (startupFrames > 0 || controlsActWhileHeld()) webRequestFrame();
  return EM_FALSE;
}

// A WebGL 1 context without alpha (the translucent panel would otherwise make
// the canvas itself see-through), without multisampling (the desktop has
// none) and whose drawing buffer is kept between frames, as a window's is.
bool makeContext() {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = EM_FALSE;
  attributes.depth = EM_TRUE;
  attributes.antialias = EM_FALSE;
  attributes.preserveDrawingBuffer = EM_TRUE;
  attributes.majorVersion = 1;
  attributes.minorVersion = 0;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(CANVAS, &attributes);
  if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) return false;
  webInitGlEmulation();
  viewerState.glContext = reinterpret_cast<PlatformHandle>(context);
  return true;
}

}  // namespace

void webRequestFrame() {
  if (frameRequested || !graphicsReady) return;
  frameRequested = true;
  emscripten_request_animation_frame(drawFrame, nullptr);
}

void webFitCanvas() {
  double width = 0.0;
  double height = 0.0;
  emscripten_get_element_css_size(CANVAS, &width, &height);
  const int32_t pixelsWide = static_cast<int32_t>(width + 0.5);
  const int32_t pixelsHigh = static_cast<int32_t>(height + 0.5);
  if (pixelsWide <= 0 || pixelsHigh <= 0) return;
  emscripten_set_canvas_element_size(CANVAS, pixelsWide, pixelsHigh);
  resizeViewport(pixelsWide, pixelsHigh);
}

// Called by the page script once both pictures were fetched or given up on.
extern "C" EMSCRIPTEN_KEEPALIVE void webPicturesFetched(const unsigned char *font, size_t fontSize,
                                                         const unsigned char *map, size_t mapSize) {
  initGraphicsFromMemory({FONT_PICTURE, font, fontSize}, {MAP_PICTURE, map, mapSize});
  graphicsReady = true;
  webRequestFrame();
}

// A save the user picked or dropped: opened as the desktop opens one, with the
// same boxes. Returns 1 when its markers replaced the lists.
extern "C" EMSCRIPTEN_KEEPALIVE int webOpenSave(const char *name, const unsigned char *bytes, size_t size) {
  const bool opened = openSavegameBytes(name, bytes, size);
  webRequestFrame();
  return opened ? 1 : 0;
}

// A changed version of the followed save, read quietly. Returns 1 when its
// markers replaced the lists; 0 leaves them as they were (the game may still
// be writing) and the page tries again at its next look.
extern "C" EMSCRIPTEN_KEEPALIVE int webReloadSave(const unsigned char *bytes, size_t size) {
  if (!reloadSavegameBytes(bytes, size)) return 0;
  webRequestFrame();
  return 1;
}

// The page's file picker could not be opened.
extern "C" EMSCRIPTEN_KEEPALIVE void webChooserFailed() {
  showErrorBox(CHOOSER_FAILED_MESSAGE, CHOOSER_ERROR_HEADING);
}

int main() {
  emscripten_set_window_title(WINDOW_TITLE);
  if (!makeContext()) {
    // No WebGL: the page says so in its box; nothing else can be shown.
    platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, "KZR Package Viewer",
                           "This browser gives the page no WebGL: the map cannot be drawn.");
    return 0;
  }
  webFitCanvas();
  startPointerAtCentre();
  webInstallEventHandlers();
  webInstallPage(RELOAD_CHECK_INTERVAL_MS);
  webFetchPictures(FONT_PICTURE, MAP_PICTURE);
  return 0;
}
