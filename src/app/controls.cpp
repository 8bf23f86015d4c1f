// The per-frame controls. Held keys act every pass; the zoom keys, 'O', 'H',
// 'I', 'P', 'C', F12, 'R', 'K' and 'Q' act once per key-down (a fresh event: keyDown and keyEvent both set)
// and consume the event; escape acts while held. A key that went down since
// the previous pass counts as down in this one even when it is already up
// again, so a quick tap is never lost.
#include "app/controls.h"

#include "app/collecting_route.h"
#include "app/gestures.h"
#include "app/map_alignment.h"
#include "app/share_overlay.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "save/open_dialog.h"

namespace {

constexpr float DRAG_SCALE = 0.0078125f;  // world units per pixel of pointer motion (1/128)

constexpr uint32_t KEY_A = 'A';
constexpr uint32_t KEY_C = 'C';
constexpr uint32_t KEY_CONTROL = 17;
constexpr uint32_t KEY_D = 'D';
constexpr uint32_t KEY_H = 'H';
constexpr uint32_t KEY_I = 'I';
constexpr uint32_t KEY_K = 'K';
constexpr uint32_t KEY_M = 'M';
constexpr uint32_t KEY_O = 'O';
constexpr uint32_t KEY_R = 'R';
constexpr uint32_t KEY_P = 'P';
constexpr uint32_t KEY_Q = 'Q';
constexpr uint32_t KEY_S = 'S';
constexpr uint32_t KEY_W = 'W';

bool held(uint32_t key) { return viewerState.keyDown[key] != 0 || viewerState.keyWentDown[key] != 0; }

bool freshEvent(uint32_t key) { return held(key) && viewerState.keyEvent[key] != 0; }

// A zoom key: a fresh event is consumed even at the bound, so that it cannot
// act later. Zooming in brings the scene closer (a smaller zoom).
void applyZoomKey(uint32_t key, bool zoomIn) {
  ViewerState &state = viewerState;
  if (!freshEvent(key)) return;
  state.keyEvent[key] = 0;
  if (zoomIn) {
    if (state.zoom > ZOOM_NEAREST) state.zoom = state.zoom - ZOOM_STEP;
  } else {
    if (state.zoom < farthestZoom()) state.zoom = state.zoom + ZOOM_STEP;
  }
}

bool toggledByKey(uint32_t key, int32_t *flag) {
  if (!freshEvent(key)) return false;
  viewerState.keyEvent[key] = 0;
  *flag = *flag == 0 ? 1 : 0;
  return true;
}

float clampToLimit(float value) {
  if (value > CAMERA_LIMIT) return CAMERA_LIMIT;
  if (value < -CAMERA_LIMIT) return -CAMERA_LIMIT;
  return value;
}

// The map moves against the pointer: right moves it left, down (y grows
// downward on screen) moves it up.
// On a screen of several device pixels a pixel (the page's), the drag keeps
// its speed per layout pixel.
void applyDrag() {
  ViewerState &state = viewerState;
  const float scale = state.pixelScale > 1 ? DRAG_SCALE / static_cast<float>(state.pixelScale) : DRAG_SCALE;
  state.cameraX = state.cameraX - static_cast<float>(state.dragDeltaX) * scale;
  state.cameraY = state.cameraY + static_cast<float>(state.dragDeltaY) * scale;
  state.cameraX = clampToLimit(state.cameraX);
  state.cameraY = clampToLimit(state.cameraY);
  // The next motion starts a new delta from the last recorded position, so
  // every pixel of motion is applied exactly once.
  state.dragAnchorSet = 0;
}

}  // namespace

void applyControls() {
  ViewerState &state = viewerState;

  // While a picture of the map is aligned, the drag, the arrow keys and the
  // zoom keys move and scale it; Ctrl with them, and W A S D, still move the
  // view.
  const bool aligning = aligningMap();
  if (aligning) applyAlignmentControls();
  const bool viewKeys = !aligning || held(KEY_CONTROL);

  if (state.leftButtonDown && state.dragAnchorSet) applyDrag();

  // Key pan: the bound is tested before the step and the result is not
  // clamped, so a coordinate can pass its bound by less than one step.
  if ((viewKeys && held(VK_CODE_LEFT)) || held(KEY_A)) {
    if (state.cameraX < CAMERA_LIMIT) state.cameraX = state.cameraX + state.panStep;
  }
  if ((viewKeys && held(VK_CODE_RIGHT)) || held(KEY_D)) {
    if (state.cameraX > -CAMERA_LIMIT) state.cameraX = state.cameraX - state.panStep;
  }
  if ((viewKeys && held(VK_CODE_UP)) || held(KEY_W)) {
    if (state.cameraY > -CAMERA_LIMIT) state.cameraY = state.cameraY - state.panStep;
  }
  if ((viewKeys && held(VK_CODE_DOWN)) || held(KEY_S)) {
    if (state.cameraY < CAMERA_LIMIT) state.cameraY = state.cameraY + state.panStep;
  }

  // The main keyboard's '+' ('=' on the same key) and '-' zoom as the
  // keypad's do, for keyboards without a keypad.
  applyZoomKey(VK_CODE_KEYPAD_PLUS, true);
  applyZoomKey(VK_CODE_KEYPAD_MINUS, false);
  applyZoomKey(VK_CODE_OEM_PLUS, true);
  applyZoomKey(VK_CODE_OEM_MINUS, false);

  // The dialog is modal: no other pass runs until it has closed and, if a file
  // was confirmed, the savegame has been read.
  if (freshEvent(KEY_O)) {
    openSavegameDialog(state.saveFileName);
    state.keyEvent[KEY_O] = 0;
  }

  toggledByKey(KEY_H, &state.showHelp);
  toggledByKey(KEY_I, &state.showInfo);
  // 'P' switches between the standard and the colour-blind-safe marker
  // palette; F12 has this pass's frame saved as a picture once it is drawn.
  toggledByKey(KEY_P, &state.markerPalette);
  toggledByKey(KEY_C, &state.showCollected);
  if (freshEvent(VK_CODE_F12)) {
    state.keyEvent[VK_CODE_F12] = 0;
    state.screenshotWanted = 1;
  }

  // The route and the kinds shown: planned here, on the key, never per frame.
  if (freshEvent(KEY_R)) {
    state.keyEvent[KEY_R] = 0;
    toggleRoute();
  }
  if (freshEvent(KEY_K)) {
    state.keyEvent[KEY_K] = 0;
    cycleShownKinds();
  }
  // 'M' aligns a picture of the player's own under the markers.
  if (freshEvent(KEY_M)) {
    state.keyEvent[KEY_M] = 0;
    startMapAlignment();
  }
  // 'Q' shares the save and shows its address; the program says how.
  if (freshEvent(KEY_Q)) {
    state.keyEvent[KEY_Q] = 0;
    toggleShareOverlay();
  }

  // Escape acts on the held state and is checked last: the other controls of
  // this pass have acted, and the main loop still draws this pass's frame.
  if (held(VK_CODE_ESCAPE) && !aligningMap()) state.running = 0;

  // Every key that went down before this pass has now been seen.
  for (int32_t &wentDown : state.keyWentDown) wentDown = 0;
}

bool controlsActWhileHeld() {
  constexpr uint32_t KEYS_ACTING_WHILE_HELD[] = {VK_CODE_LEFT, KEY_A, VK_CODE_RIGHT, KEY_D,         VK_CODE_UP,
                                                 KEY_W,        VK_CODE_DOWN, KEY_S, VK_CODE_ESCAPE};
  for (uint32_t key : KEYS_ACTING_WHILE_HELD) {
    if (held(key)) return true;
  }
  return false;
}
