// The align mode (see map_alignment.h): the picture's placement moved by
// hand or solved from pins, the picked marker, and the keys that end it.
#include "app/map_alignment.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "app/controls.h"
#include "app/gestures.h"
#include "app/map_point.h"
#include "app/own_map.h"
#include "app/status_line.h"
#include "app/viewer_state.h"
#include "platform/platform.h"
#include "save/savegame.h"

namespace {

constexpr uint32_t KEY_BACKSPACE = 8;
constexpr uint32_t KEY_ENTER = 13;
constexpr uint32_t KEY_SHIFT = 16;
constexpr uint32_t KEY_CONTROL = 17;
constexpr uint32_t KEY_DELETE = 46;
constexpr uint32_t KEY_O = 'O';

// One step of the wheel, plus or minus scales the picture by this much, or by
// the fine step with Shift held.
constexpr double SCALE_STEP = 1.05;
constexpr double FINE_SCALE_STEP = 1.005;
// The picture's longer side stays between a hundredth of the map square and a
// hundred times it, so that no step can lose it.
constexpr double SMALLEST_SPAN = 2 * MAP_EXTENT / 100;
constexpr double LARGEST_SPAN = 2 * MAP_EXTENT * 100;
// A click that moves less than this many pixels between press and release is
// a click, not a drag.
constexpr int32_t CLICK_SLOP = 3;
// A click within this many layout pixels of a marker picks it.
constexpr double PICK_RADIUS = 12.0;

MapAlignment &alignment() { return viewerState.alignment; }

// Savegame units per client pixel at the present zoom.
double unitsPerScreenPixel() { return scenePerPixel(viewerState.zoom) / SAVEGAME_TO_SCENE; }

// The savegame point under client point (x, y), in double precision.
void worldAtPixel(double x, double y, double *worldX, double *worldY) {
  const double perPixel = scenePerPixel(viewerState.zoom);
  *worldX = ((x - viewerState.windowWidth / 2.0) * perPixel - viewerState.cameraX) / SAVEGAME_TO_SCENE;
  *worldY = ((viewerState.windowHeight / 2.0 - y) * perPixel - viewerState.cameraY) / SAVEGAME_TO_SCENE;
}

int32_t longerSide() {
  const Picture &picture = alignment().picture;
  return picture.width > picture.height ? picture.width : picture.height;
}

bool held(uint32_t key) { return viewerState.keyDown[key] != 0 || viewerState.keyWentDown[key] != 0; }

// A key-down not yet acted on (auto-repeats included), consumed.
bool takeKey(uint32_t key) {
  if (!held(key) || viewerState.keyEvent[key] == 0) return false;
  viewerState.keyEvent[key] = 0;
  return true;
}

const char *kindName(int32_t kind) { return kind == MARKER_RAMPAGE ? "rampage" : "package"; }

const PickupMarker *markerOf(int32_t kind, int32_t index) {
  const ViewerState &state = viewerState;
  if (kind == MARKER_PACKAGE && index >= 0 && index < state.packageCount) return &state.packages[index];
  if (kind == MARKER_RAMPAGE && index >= 0 && index < state.rampageCount) return &state.rampages[index];
  return nullptr;
}

void say(const char *format, ...) __attribute__((format(printf, 1, 2)));
void say(const char *format, ...) {
  char line[STATUS_LINE_SIZE];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  showStatusLine(line);
}

void endAlignment() {
  MapAlignment &mode = alignment();
  mode.active = false;
  mode.picture = Picture{};
  mode.pinCount = 0;
  mode.pickedKind = -1;
  mode.textureStale = true;  // the renderer lets the picture's texture go
}

// Places the picture by the pins once there are two; tells the player how
// well they agree once there are more.
void solveFromPins() {
  MapAlignment &mode = alignment();
  if (mode.pinCount < 2) return;
  MapPin pins[ALIGNMENT_PIN_CAPACITY];
  for (int32_t i = 0; i < mode.pinCount; ++i) {
    const AlignmentPin &pin = mode.pins[i];
    pins[i] = {pin.pictureX, pin.pictureY, pin.worldX, pin.worldY};
  }
  double worst = 0;
  const PinSolution solution = solvePins(pins, mode.pinCount, &mode.placement, &worst);
  if (solution != PINS_SOLVED) {
    say("%s", pinSolutionText(solution));
    return;
  }
  mode.worstPinPixels = worst / unitsPerScreenPixel();
  if (mode.pinCount == 2) {
    say("Placed by 2 pins: Enter keeps it");
  } else {
    say("Placed by %d pins; the worst is %.1f pixels off: Enter keeps it", static_cast<int>(mode.pinCount),
        mode.worstPinPixels);
  }
}

// Why a marker cannot take a pin now, or null when it can.
const char *pinRefusal(int32_t kind, int32_t index) {
  const MapAlignment &mode = alignment();
  const PickupMarker *marker = markerOf(kind, index);
  for (int32_t i = 0; i < mode.pinCount; ++i) {
    const AlignmentPin &pin = mode.pins[i];
    if (pin.kind == kind && pin.index == index) return "This marker has a pin already: pick another one";
    if (std::hypot(pin.worldX - marker->x, pin.worldY - marker->y) < PIN_MIN_SEPARATION) {
      return "Too close to a pinned marker: pick one at least a tenth of the map away";
    }
  }
  return nullptr;
}

void pickMarkerNear(int32_t x, int32_t y) {
  MapAlignment &mode = alignment();
  int32_t kind = 0;
  int32_t index = 0;
  if (!nearestShownMarker(x + 0.5, y + 0.5, PICK_RADIUS * viewerState.pixelScale, &kind, &index)) {
    say("Click a marker first, then where it lies on the picture");
    return;
  }
  if (const char *refusal = pinRefusal(kind, index)) {
    say("%s", refusal);
    return;
  }
  mode.pickedKind = kind;
  mode.pickedIndex = index;
  say("Now click where this %s lies on the picture", kindName(kind));
}

void pinPickedMarkerAt(int32_t x, int32_t y) {
  MapAlignment &mode = alignment();
  const PickupMarker *marker = markerOf(mode.pickedKind, mode.pickedIndex);
  if (!marker) {  // the save was read again meanwhile
    mode.pickedKind = -1;
    return;
  }
  double worldX = 0, worldY = 0, pictureX = 0, pictureY = 0;
  worldAtPixel(x + 0.5, y + 0.5, &worldX, &worldY);
  pictureOfWorldPoint(mode.placement, worldX, worldY, &pictureX, &pictureY);
  if (mode.pinCount == ALIGNMENT_PIN_CAPACITY) {
    std::memmove(mode.pins, mode.pins + 1, sizeof mode.pins[0] * (ALIGNMENT_PIN_CAPACITY - 1));
    --mode.pinCount;
  }
  mode.pins[mode.pinCount++] = {mode.pickedKind, mode.pickedIndex, marker->x, marker->y, pictureX, pictureY};
  mode.pickedKind = -1;
  if (mode.pinCount == 1) {
    say("1 pin: pin one more marker, a tenth of the map or more away");
  } else {
    solveFromPins();
  }
}

// Scales the picture by factor about the client point (x, y), within bounds.
void scaleAbout(double x, double y, double factor) {
  MapAlignment &mode = alignment();
  if (!(factor > 0) || !std::isfinite(factor) || longerSide() == 0) return;
  const double span = mode.placement.unitsPerPixel * factor * longerSide();
  if (span < SMALLEST_SPAN || span > LARGEST_SPAN) return;
  double worldX = 0, worldY = 0, pictureX = 0, pictureY = 0;
  worldAtPixel(x, y, &worldX, &worldY);
  pictureOfWorldPoint(mode.placement, worldX, worldY, &pictureX, &pictureY);
  mode.placement.unitsPerPixel *= factor;
  mode.placement.left = worldX - mode.placement.unitsPerPixel * pictureX;
  mode.placement.top = worldY + mode.placement.unitsPerPixel * pictureY;
}

void moveByPixels(double dx, double dy) {
  MapAlignment &mode = alignment();
  mode.placement.left += dx * unitsPerScreenPixel();
  mode.placement.top -= dy * unitsPerScreenPixel();
}

}  // namespace

bool aligningMap() { return viewerState.alignment.active; }

void startMapAlignment() {
  if (aligningMap()) return;
  const MapAlignment &mode = alignment();
  if (mode.ownMapShown && !mode.ownPicture.rgba.empty()) {
    Picture picture = mode.ownPicture;
    beginMapAlignment(std::move(picture), &mode.ownPlacement, mode.ownSourceName);
    return;
  }
  // A map kept by an earlier run: its picture at full resolution, where it
  // was placed.
  char path[SAVE_PATH_SIZE] = {};
  PicturePlacement inFile = {};
  Picture picture;
  std::string reason;
  if (loadKeptAlignment(path, sizeof path, &inFile) && loadPictureFile(path, &picture, &reason)) {
    const PicturePlacement placement = placementInPicture(inFile, picture);
    beginMapAlignment(std::move(picture), &placement, path);
    return;
  }
  choosePictureToAlign();
}

void choosePictureToAlign() {
  char path[SAVE_PATH_SIZE] = {};
  if (platformChoosePicture(path)) openPictureForAlignment(path);
}

void openPictureForAlignment(const char *path) {
  Picture picture;
  std::string reason;
  if (!loadPictureFile(path, &picture, &reason)) {
    char text[SAVE_PATH_SIZE + 400];
    std::snprintf(text, sizeof text, "The picture %s cannot be used: %s.", path, reason.c_str());
    platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, PICTURE_BOX_CAPTION, text);
    return;
  }
  beginMapAlignment(std::move(picture), nullptr, path);
}

void forgetOwnMapAfterAsking() {
  if (!platformAskQuestion(PICTURE_BOX_CAPTION, "Go back to the bundled chart? The map you aligned is forgotten.")) {
    return;
  }
  MapAlignment &mode = alignment();
  if (mode.active) endAlignment();
  forgetOwnMap();
  mode.ownMapShown = false;
  mode.ownPicture = Picture{};
  mode.chartWanted = true;
  say("The bundled chart is back");
}

void beginMapAlignment(Picture &&picture, const PicturePlacement *placement, const char *sourceName) {
  MapAlignment &mode = alignment();
  mode.picture = std::move(picture);
  mode.placement = placement ? *placement : fittedPlacement(mode.picture.width, mode.picture.height);
  std::snprintf(mode.sourceName, sizeof mode.sourceName, "%s", sourceName ? sourceName : "");
  mode.pinCount = 0;
  mode.pickedKind = -1;
  mode.worstPinPixels = 0;
  mode.textureStale = true;
  mode.active = true;
  // The help page would hide the markers being matched.
  viewerState.showHelp = 0;
}

void keepMapAlignment() {
  MapAlignment &mode = alignment();
  if (!mode.active) return;
  mode.ownMapShown = true;
  mode.ownPlacement = mode.placement;
  std::memcpy(mode.ownSourceName, mode.sourceName, sizeof mode.ownSourceName);
  ++mode.keepCount;
  // The page keeps its own in the browser; the desktop programs in the
  // player's folder. A map that cannot be kept is still shown until the end.
  std::string reason;
  if (mode.sourceName[0] != '\0' && !keepOwnMap(mode.sourceName, mode.picture, mode.placement, &reason)) {
    char text[STATUS_LINE_SIZE + 200];
    std::snprintf(text, sizeof text,
                  "Your map cannot be kept for the next start: %s. It is shown until the viewer ends.",
                  reason.c_str());
    platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, PICTURE_BOX_CAPTION, text);
    say("Your map is shown, but not kept");
  } else {
    say("Your map is kept");
    // Aligned again later, it comes from the kept copy, which stays where
    // the player's own file may not.
    char kept[sizeof mode.ownSourceName] = {};
    PicturePlacement inFile = {};
    if (mode.sourceName[0] != '\0' && loadKeptAlignment(kept, sizeof kept, &inFile)) {
      std::memcpy(mode.ownSourceName, kept, sizeof kept);
    }
  }
  mode.ownPicture = std::move(mode.picture);
  endAlignment();
}

void showKeptOwnMap(Picture &&picture, const PicturePlacement &placement) {
  MapAlignment &mode = alignment();
  if (mode.active) endAlignment();
  mode.ownPicture = std::move(picture);
  mode.ownPlacement = placement;
  mode.ownSourceName[0] = '\0';
  mode.ownMapShown = true;
  mode.textureStale = true;
}

void cancelMapAlignment() {
  if (!alignment().active) return;
  endAlignment();
  say("The map is as it was");
}

void takeBackPin() {
  MapAlignment &mode = alignment();
  if (mode.pickedKind >= 0) {
    mode.pickedKind = -1;
  } else if (mode.pinCount > 0) {
    --mode.pinCount;
    if (mode.pinCount >= 2) solveFromPins();
  }
}

void alignmentClick(int32_t x, int32_t y) {
  if (alignment().pickedKind >= 0) {
    pinPickedMarkerAt(x, y);
  } else {
    pickMarkerNear(x, y);
  }
}

void alignmentDrag(double fromX, double fromY, double toX, double toY) { moveByPixels(toX - fromX, toY - fromY); }

void alignmentScaleAbout(double x, double y, double factor) { scaleAbout(x, y, factor); }

void alignmentButtonDown(int32_t x, int32_t y) {
  MapAlignment &mode = alignment();
  mode.pressX = x;
  mode.pressY = y;
  mode.pressMoved = false;
}

void alignmentButtonUp(int32_t x, int32_t y) {
  MapAlignment &mode = alignment();
  if (!mode.pressMoved && std::abs(x - mode.pressX) <= CLICK_SLOP && std::abs(y - mode.pressY) <= CLICK_SLOP) {
    alignmentClick(x, y);
  }
}

bool alignmentTakesMotion(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
  MapAlignment &mode = alignment();
  if (!aligningMap() || !viewerState.leftButtonDown || held(KEY_CONTROL)) return false;
  if (!mode.pressMoved) {
    if (std::abs(toX - mode.pressX) <= CLICK_SLOP && std::abs(toY - mode.pressY) <= CLICK_SLOP) return true;
    // Past the slop, the picture catches up with the whole way from the press.
    mode.pressMoved = true;
    fromX = mode.pressX;
    fromY = mode.pressY;
  }
  moveByPixels(toX - fromX, toY - fromY);
  return true;
}

bool alignmentTakesWheel(int32_t delta) {
  if (!aligningMap() || held(KEY_CONTROL)) return false;
  const double step = held(KEY_SHIFT) ? FINE_SCALE_STEP : SCALE_STEP;
  scaleAbout(viewerState.mouseX + 0.5, viewerState.mouseY + 0.5, delta > 0 ? 1 / step : step);
  return true;
}

void applyAlignmentControls() {
  ViewerState &state = viewerState;
  const double step = held(KEY_SHIFT) ? 10 : 1;
  if (takeKey(VK_CODE_LEFT)) moveByPixels(-step, 0);
  if (takeKey(VK_CODE_RIGHT)) moveByPixels(step, 0);
  if (takeKey(VK_CODE_UP)) moveByPixels(0, -step);
  if (takeKey(VK_CODE_DOWN)) moveByPixels(0, step);
  if (!held(KEY_CONTROL)) {
    const double factor = held(KEY_SHIFT) ? FINE_SCALE_STEP : SCALE_STEP;
    const double centreX = state.windowWidth / 2.0, centreY = state.windowHeight / 2.0;
    for (uint32_t key : {VK_CODE_KEYPAD_PLUS, VK_CODE_OEM_PLUS}) {
      if (takeKey(key)) scaleAbout(centreX, centreY, factor);
    }
    for (uint32_t key : {VK_CODE_KEYPAD_MINUS, VK_CODE_OEM_MINUS}) {
      if (takeKey(key)) scaleAbout(centreX, centreY, 1 / factor);
    }
  }
  if (takeKey(KEY_BACKSPACE)) takeBackPin();
  if (takeKey(KEY_O)) choosePictureToAlign();
  if (takeKey(KEY_DELETE)) forgetOwnMapAfterAsking();
  if (takeKey(KEY_ENTER)) keepMapAlignment();
  // Escape cancels the alignment and nothing more: held on, it must not end
  // the program too.
  if (takeKey(VK_CODE_ESCAPE)) {
    cancelMapAlignment();
    state.keyDown[VK_CODE_ESCAPE] = 0;
    state.keyWentDown[VK_CODE_ESCAPE] = 0;
  }
}
