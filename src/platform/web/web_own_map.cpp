// The player's own map in the page: the core's align mode (app/map_alignment.h)
// fed with pictures the browser decoded, and told back to the page's script
// (web_own_map.js), which shows the align bar and keeps the aligned map in the
// browser's storage. The page has no files: a picture arrives as RGBA pixels
// and a kept map as the original file's bytes the script decodes again.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "app/map_alignment.h"
#include "app/viewer_state.h"
#include "image/picture.h"
#include "platform/platform.h"
#include "platform/web/web_own_map.h"
#include "platform/web/web_page.h"

namespace {

// What the page was told last, so that it hears only of changes.
struct Told {
  bool aligning = false;
  uint32_t keepCount = 0;
  char status[sizeof viewerState.statusLine] = {};
  // The status line when aligning began: older news is not the align mode's.
  char before[sizeof viewerState.statusLine] = {};
};
Told told;

// Set while the page's own question has been answered Yes and the core's
// asking path runs again.
bool questionAnsweredYes = false;

void showPictureBox(const char *name, const char *reason) {
  char text[2 * sizeof viewerState.statusLine + 512];
  std::snprintf(text, sizeof text, "The picture %s cannot be used: %s.", name, reason);
  platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, PICTURE_BOX_CAPTION, text);
}

// The picture the page writes its decoded pixels into before handing it over.
Picture pending;

}  // namespace

// 'M' or 'O' while aligning: the page's picker opens by itself, and what the
// player picks arrives later through webAlignPicture.
bool platformChoosePicture(char *) {
  webChoosePicture();
  return false;
}

// A page cannot hold up its caller: the question is shown in the page and
// answered No for now; Yes runs the asking path again (webForgetOwnMap, the one
// question the core asks), and then the answer is Yes.
bool platformAskQuestion(const char *caption, const char *text) {
  if (questionAnsweredYes) return true;
  webAskQuestion(caption, text);
  return false;
}

void webSyncOwnMap() {
  const MapAlignment &mode = viewerState.alignment;
  const bool aligning = mode.active;
  if (aligning && !told.aligning) std::memcpy(told.before, viewerState.statusLine, sizeof told.before);
  const char *status =
      aligning && std::strcmp(viewerState.statusLine, told.before) != 0 ? viewerState.statusLine : "";
  const bool kept = mode.keepCount != told.keepCount;
  if (aligning == told.aligning && !kept && std::strcmp(status, told.status) == 0) return;
  told.aligning = aligning;
  told.keepCount = mode.keepCount;
  std::snprintf(told.status, sizeof told.status, "%s", status);
  webOwnMapChanged(aligning ? 1 : 0, kept ? 1 : 0, mode.ownPlacement.left, mode.ownPlacement.top,
                   mode.ownPlacement.unitsPerPixel, status);
}

// The line that says what to do while aligning, from the core.
extern "C" EMSCRIPTEN_KEEPALIVE const char *webAlignmentHint() { return ALIGNMENT_HINT; }

// The longest side a picture is scaled to before it reaches the core.
extern "C" EMSCRIPTEN_KEEPALIVE int32_t webLargestKeptSide() { return PICTURE_LARGEST_KEPT; }

// A picture of width x height (from its header, or decoded): 1, after a box
// that gives its size and the limit, when it is too large to be taken.
extern "C" EMSCRIPTEN_KEEPALIVE int webRefuseLargePicture(const char *name, int32_t width, int32_t height) {
  if (width <= PICTURE_LARGEST_TAKEN && height <= PICTURE_LARGEST_TAKEN) return 0;
  char reason[160];
  std::snprintf(reason, sizeof reason, "%d x %d pixels: pictures up to %d x %d are taken", static_cast<int>(width),
                static_cast<int>(height), static_cast<int>(PICTURE_LARGEST_TAKEN),
                static_cast<int>(PICTURE_LARGEST_TAKEN));
  showPictureBox(name, reason);
  return 1;
}

// A picture the browser could not decode: one box naming it and why.
extern "C" EMSCRIPTEN_KEEPALIVE void webPictureUnreadable(const char *name, const char *reason) {
  showPictureBox(name, reason);
}

// The browser's storage refused the map just kept: it stays shown until the
// page is closed, and the one kept before (if any) is what the next visit shows.
extern "C" EMSCRIPTEN_KEEPALIVE void webOwnMapNotKept(const char *reason) {
  char text[512];
  std::snprintf(text, sizeof text, "The browser did not keep your map (%s): it is shown until the page is closed.",
                reason);
  platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, PICTURE_BOX_CAPTION, text);
}

// Room for a decoded picture of width x height RGBA pixels, which the page
// writes there and then hands over (webAlignPicture, webShowKeptOwnMap): the
// pixels are copied once into the program's memory, not twice. Null for a
// size the core does not take, or when there is no memory for it.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned char *webPictureRoom(int32_t width, int32_t height) {
  pending = Picture{};
  if (width <= 0 || height <= 0 || width > PICTURE_LARGEST_KEPT || height > PICTURE_LARGEST_KEPT) return nullptr;
  try {
    pending.rgba.resize(static_cast<size_t>(width) * height * 4);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
  pending.width = width;
  pending.height = height;
  return pending.rgba.data();
}

// The picture written into the room, picked or dropped by the player:
// aligned from the picture fitted to the map square. 0 when there is none.
extern "C" EMSCRIPTEN_KEEPALIVE int webAlignPicture() {
  if (pending.rgba.empty()) return 0;
  beginMapAlignment(std::move(pending), nullptr, nullptr);
  pending = Picture{};
  webRequestFrame();
  return 1;
}

// The picture written into the room, the map kept in the browser at an
// earlier visit: shown as the player's own at its placement.
extern "C" EMSCRIPTEN_KEEPALIVE int webShowKeptOwnMap(double left, double top, double unitsPerPixel) {
  if (pending.rgba.empty() || !std::isfinite(left) || !std::isfinite(top) || !(unitsPerPixel > 0) ||
      !std::isfinite(unitsPerPixel)) {
    return 0;
  }
  showKeptOwnMap(std::move(pending), {left, top, unitsPerPixel});
  pending = Picture{};
  webRequestFrame();
  return 1;
}

// The align bar's buttons.
extern "C" EMSCRIPTEN_KEEPALIVE void webKeepAlignment() {
  keepMapAlignment();
  webRequestFrame();
}

extern "C" EMSCRIPTEN_KEEPALIVE void webCancelAlignment() {
  cancelMapAlignment();
  webRequestFrame();
}

extern "C" EMSCRIPTEN_KEEPALIVE void webTakeBackPin() {
  takeBackPin();
  webRequestFrame();
}

// The align bar's Delete: asks first, in the page.
extern "C" EMSCRIPTEN_KEEPALIVE void webAskToForget() {
  forgetOwnMapAfterAsking();
  webRequestFrame();
}

// The player said Yes to going back to the chart.
extern "C" EMSCRIPTEN_KEEPALIVE void webForgetOwnMap() {
  questionAnsweredYes = true;
  forgetOwnMapAfterAsking();
  questionAnsweredYes = false;
  webRequestFrame();
}
