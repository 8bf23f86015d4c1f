// The viewer in a web page: a WebGL 1 context on the page's canvas, driven
// through the legacy GL emulation, and the browser's animation frames. The
// program does not loop: main sets everything up and returns, and from then
// on the browser calls in for events, frames, the fetched pictures and the
// saves the user picks or drops. A frame is drawn only when something may
// have changed, at the next animation frame.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/controls.h"
#include "app/gestures.h"
#include "app/input.h"
#include "app/map_point.h"
#include "app/marker_list.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "platform/web/web_own_map.h"
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
double canvasScale = 1.0;
double canvasLeft = 0.0;
double canvasTop = 0.0;

// What the information line tells is also said in the page's aria-live
// region: when 'I' shows it, and after each tap or list row that named a
// marker.
bool infoWasShown = false;
bool announceWanted = false;

void announceInfoIfWanted() {
  const bool shown = viewerState.showInfo != 0;
  if (shown && (!infoWasShown || announceWanted)) {
    char lines[INFO_LINE_COUNT][INFO_LINE_SIZE];
    const int32_t count = composeInfoLines(lines);
    // The marker first: it is what was asked about.
    char said[2 * INFO_LINE_SIZE + 2];
    if (count == 2) {
      std::snprintf(said, sizeof said, "%s; %s", lines[1], lines[0]);
    } else {
      std::snprintf(said, sizeof said, "no marker; %s", lines[0]);
    }
    webAnnounce(said);
  }
  infoWasShown = shown;
  announceWanted = false;
}

EM_BOOL drawFrame(double, void *) {
  frameRequested = false;
  applyControls();
  webSyncOwnMap();
  announceInfoIfWanted();
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
  double ratio = emscripten_get_device_pixel_ratio();
  if (!(ratio > 0.0 && ratio < 16.0)) ratio = 1.0;
  const int32_t pixelsWide = static_cast<int32_t>(width * ratio + 0.5);
  const int32_t pixelsHigh = static_cast<int32_t>(height * ratio + 0.5);
  if (pixelsWide <= 0 || pixelsHigh <= 0) return;
  emscripten_set_canvas_element_size(CANVAS, pixelsWide, pixelsHigh);
  // Text and lines take a whole number of device pixels for each of the
  // overlay's, so the font stays crisp at any ratio.
  const int32_t scale = static_cast<int32_t>(std::lround(ratio));
  viewerState.pixelScale = scale > 0 ? scale : 1;
  canvasScale = pixelsWide / width;
  // Where the canvas starts in the window: a narrow window gives the toolbar
  // a strip of its own left of it.
  canvasLeft = EM_ASM_DOUBLE({ return document.getElementById('canvas').getBoundingClientRect().left; });
  canvasTop = EM_ASM_DOUBLE({ return document.getElementById('canvas').getBoundingClientRect().top; });
  resizeViewport(pixelsWide, pixelsHigh);
}

double webCanvasScale() { return canvasScale; }

double webCanvasX(double clientX) { return (clientX - canvasLeft) * canvasScale; }

double webCanvasY(double clientY) { return (clientY - canvasTop) * canvasScale; }

void webAnnounceInfo() { announceWanted = true; }

// The canvas changed size or the screen its pixel ratio (browser zoom, another screen).
extern "C" EMSCRIPTEN_KEEPALIVE void webCanvasChanged() {
  webFitCanvas();
  webRequestFrame();
}

// A toolbar button that does what a key does: the key pressed and released,
// through the same handlers the keyboard's events reach.
extern "C" EMSCRIPTEN_KEEPALIVE void webPressKey(uint32_t virtualKey) {
  if (webMessageBoxOpen()) return;
  handleKeyDown(virtualKey);
  handleKeyUp(virtualKey);
  webRequestFrame();
}

// The toolbar's + and -: one step of ZOOM_BUTTON_FACTOR about the centre.
extern "C" EMSCRIPTEN_KEEPALIVE void webZoomStep(int32_t direction) {
  if (webMessageBoxOpen()) return;
  zoomStep(direction);
  webRequestFrame();
}

// The toolbar's Route (from the centre of the view) and Fit.
extern "C" EMSCRIPTEN_KEEPALIVE void webRouteFromCentre() {
  if (webMessageBoxOpen()) return;
  toggleRouteFromCentre();
  webRequestFrame();
}

extern "C" EMSCRIPTEN_KEEPALIVE void webFitMap() {
  if (webMessageBoxOpen()) return;
  fitWholeMap();
  webRequestFrame();
}

// What the list's rows depend on, hashed (FNV-1a): the lists (a generation
// counted at each opened or reloaded save), the route, the kinds shown and
// the collected outlines shown. The page asks for the rows only when it
// changed, not at every frame of a drag.
namespace {

uint32_t listGeneration = 0;
uint64_t listedSignature = 0;

void hashInto(uint64_t *hash, const void *data, size_t size) {
  const unsigned char *bytes = static_cast<const unsigned char *>(data);
  for (size_t i = 0; i < size; ++i) *hash = (*hash ^ bytes[i]) * 1099511628211ULL;
}

uint64_t listSignature() {
  const ViewerState &state = viewerState;
  uint64_t hash = 14695981039346656037ULL;
  const int32_t fields[] = {static_cast<int32_t>(listGeneration), state.showRoute, state.routeStopCount,
                            state.shownKinds, state.showCollected, state.collectedCount};
  hashInto(&hash, fields, sizeof fields);
  hashInto(&hash, state.routeStops, sizeof state.routeStops[0] * static_cast<size_t>(state.routeStopCount));
  return hash;
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE int webListChanged() { return listSignature() != listedSignature ? 1 : 0; }

// The list of what is left, one row a line: collected (0 or 1), kind, the
// place centreOnMarker takes, and the row's text, separated by tabs. The text
// stays valid until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char *webListText() {
  static MarkerListRow rows[MARKER_LIST_CAPACITY];
  static char text[MARKER_LIST_CAPACITY * (MARKER_ROW_TEXT_SIZE + 16)];
  listedSignature = listSignature();
  const int32_t count = listShownMarkers(rows, MARKER_LIST_CAPACITY);
  size_t length = 0;
  text[0] = '\0';
  for (int32_t i = 0; i < count; ++i) {
    char row[MARKER_ROW_TEXT_SIZE];
    formatMarkerRow(rows[i], row);
    const int written = std::snprintf(text + length, sizeof text - length, "%d\t%d\t%d\t%s\n",
                                      static_cast<int>(rows[i].collected), static_cast<int>(rows[i].kind),
                                      static_cast<int>(rows[i].at), row);
    if (written < 0 || static_cast<size_t>(written) >= sizeof text - length) break;
    length += static_cast<size_t>(written);
  }
  return text;
}

// A row of the list tapped: the map centred on its marker, which is named
// and picked. On a compact canvas, where the whole map leaves a marker a few
// pixels across, the view also closes in on it.
constexpr float ROW_ZOOM = 4.0f;  // times nearer than the whole map
extern "C" EMSCRIPTEN_KEEPALIVE void webCentreOn(int32_t collected, int32_t kind, int32_t at) {
  if (!centreOnMarker(kind, at, collected != 0)) return;
  if (compactLayout() && viewerState.zoom > farthestZoom() / ROW_ZOOM) {
    const double x = viewerState.windowWidth / 2.0;
    const double y = viewerState.windowHeight / 2.0;
    zoomAboutPoint(x, y, x, y, farthestZoom() / ROW_ZOOM);
    centreOnMarker(kind, at, collected != 0);  // the pointer on it again at the new zoom
  }
  webAnnounceInfo();
  webRequestFrame();
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
  if (opened) viewerState.pickedSet = 0;
  ++listGeneration;
  webRequestFrame();
  return opened ? 1 : 0;
}

// A changed version of the followed save, read quietly. Returns 1 when its
// markers replaced the lists; 0 leaves them as they were (the game may still
// be writing) and the page tries again at its next look.
extern "C" EMSCRIPTEN_KEEPALIVE int webReloadSave(const unsigned char *bytes, size_t size) {
  if (!reloadSavegameBytes(bytes, size)) return 0;
  ++listGeneration;
  webRequestFrame();
  return 1;
}

// What the page's controls and its status show, one field a line:
//   the buttons' states: route, palette, info, collected (0 or 1) and the
//     kinds shown (0 both, 1 packages, 2 rampages), separated by spaces;
//   the route's stops and its length in savegame units ("0 0" without one);
//   the information line's marker, or nothing;
//   the information line's map position, or nothing when 'I' is off.
// Valid until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char *webPageState() {
  static char text[64 + 2 * INFO_LINE_SIZE];
  const ViewerState &state = viewerState;
  double length = 0.0;
  double x = state.routeStartX;
  double y = state.routeStartY;
  for (int32_t i = 0; i < state.routeStopCount; ++i) {
    const RouteStop &stop = state.routeStops[i];
    if (!std::isfinite(stop.x) || !std::isfinite(stop.y)) continue;
    length += std::hypot(stop.x - x, stop.y - y);
    x = stop.x;
    y = stop.y;
  }
  char lines[INFO_LINE_COUNT][INFO_LINE_SIZE] = {};
  const int32_t count = state.showInfo ? composeInfoLines(lines) : 0;
  std::snprintf(text, sizeof text, "%d %d %d %d %d\n%d %.0f\n%s\n%s", state.showRoute != 0 ? 1 : 0,
                state.markerPalette == 1 ? 1 : 0, state.showInfo != 0 ? 1 : 0, state.showCollected != 0 ? 1 : 0,
                static_cast<int>(state.shownKinds), state.showRoute ? static_cast<int>(state.routeStopCount) : 0,
                state.showRoute ? length : 0.0, count == 2 ? lines[1] : "", count > 0 ? lines[0] : "");
  return text;
}

// The markers the last quiet reload found collected: packages times 1000
// plus rampages.
extern "C" EMSCRIPTEN_KEEPALIVE int32_t webJustCollected() {
  return viewerState.justCollected[MARKER_PACKAGE] * 1000 + viewerState.justCollected[MARKER_RAMPAGE];
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
  // The page may lay the picture out for a phone; on a phone's canvas the
  // whole map starts in view.
  viewerState.compactAllowed = 1;
  viewerState.pageDrawing = 1;
  webFitCanvas();
  if (compactLayout()) fitWholeMap();
  startPointerAtCentre();
  // The page first: its buttons keep Enter and Space from the program's keys.
  webInstallPage(RELOAD_CHECK_INTERVAL_MS);
  webInstallEventHandlers();
  webInstallOwnMap();
  webFetchPictures(FONT_PICTURE, MAP_PICTURE);
  return 0;
}
