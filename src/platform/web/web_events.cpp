// The browser's counterpart of the window procedure: each keyboard, mouse,
// wheel, touch, focus and size event of the page becomes the call of the
// platform-neutral handler of the same meaning, and asks for a frame. While
// the page's message box is open the canvas takes no input, as a modal box
// keeps it from the desktop's window; releases still count, so that nothing
// stays held.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "app/controls.h"
#include "app/gestures.h"
#include "app/input.h"
#include "app/map_alignment.h"
#include "app/viewer_state.h"
#include "platform/web/web_keys.h"
#include "platform/web/web_page.h"

namespace {

constexpr const char *CANVAS = "#canvas";
constexpr int32_t VK_F1 = 112;
constexpr int32_t VK_F12 = 123;
constexpr int32_t VK_TAB = 9;

bool boxOpen() { return webMessageBoxOpen() != 0; }

// Returns whether the browser's own action for the key is to be prevented:
// for every key the viewer takes (arrows would scroll, '/' would search),
// but not for Tab and the function keys, which stay the browser's too.
EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent *event, void *) {
  const int32_t virtualKey = virtualKeyFromWeb(event->code, event->key);
  if (virtualKey < 0) return EM_FALSE;
  if (eventType == EMSCRIPTEN_EVENT_KEYUP) {
    handleKeyUp(static_cast<uint32_t>(virtualKey));
    webRequestFrame();
    return EM_FALSE;
  }
  // The box has the keys (Enter and escape close it). Keys pressed with Alt,
  // Ctrl or Meta held are the browser's shortcuts, as Alt's are the system's
  // on the desktop.
  if (boxOpen() || event->altKey || event->ctrlKey || event->metaKey) return EM_FALSE;
  // Escape quits the desktop program; a page has no window to close, so it is
  // not passed on and does nothing here, but while aligning a picture it
  // cancels, as on the desktop.
  if (virtualKey == static_cast<int32_t>(VK_CODE_ESCAPE) && !aligningMap()) return EM_FALSE;
  // F12 saves the picture into the save's folder; the page has no folder the
  // player could open, so the key stays the browser's (its developer tools)
  // rather than report a picture saved where nobody can find it.
  if (virtualKey == static_cast<int32_t>(VK_CODE_F12)) return EM_FALSE;
  // 'L' shows the page's list, which the core does not draw.
  if (virtualKey == 'L') {
    if (eventType == EMSCRIPTEN_EVENT_KEYDOWN && !event->repeat) webToggleList();
    return EM_TRUE;
  }
  handleKeyDown(static_cast<uint32_t>(virtualKey));
  webRequestFrame();
  const bool browserKey = virtualKey == VK_TAB || (virtualKey >= VK_F1 && virtualKey <= VK_F12);
  return browserKey ? EM_FALSE : EM_TRUE;
}

// A touch anywhere on the page (a button of the toolbar too) is followed by
// the browser's made-up mouse events at the same place: those are not a
// pointer over the map, and would move 'I's point under the button.
constexpr double TOUCH_MOUSE_MS = 1000.0;
double lastTouchMs = -TOUCH_MOUSE_MS;

EM_BOOL onAnyTouch(int, const EmscriptenTouchEvent *, void *) {
  lastTouchMs = emscripten_get_now();
  return EM_FALSE;
}

// A position in the window, less the canvas's corner and times its scale,
// is the same position on the canvas.
EM_BOOL onMouse(int eventType, const EmscriptenMouseEvent *event, void *) {
  if (emscripten_get_now() - lastTouchMs < TOUCH_MOUSE_MS && eventType != EMSCRIPTEN_EVENT_MOUSEUP) return EM_FALSE;
  const int32_t x = static_cast<int32_t>(webCanvasX(event->clientX));
  const int32_t y = static_cast<int32_t>(webCanvasY(event->clientY));
  switch (eventType) {
    case EMSCRIPTEN_EVENT_MOUSEDOWN:
      if (boxOpen() || event->button != 0) return EM_FALSE;
      handleLeftButtonDown(x, y);
      break;
    case EMSCRIPTEN_EVENT_MOUSEUP:
      if (event->button != 0) return EM_FALSE;
      handleLeftButtonUp();
      break;
    default:
      if (boxOpen()) return EM_FALSE;
      handlePointerMotion(x, y);
      break;
  }
  webRequestFrame();
  return EM_FALSE;
}

// One zoom step per wheel event, whatever its size, as on the desktop; a
// negative deltaY is the wheel turned away from the user. A purely sideways
// scroll is not a zoom step.
EM_BOOL onWheel(int, const EmscriptenWheelEvent *event, void *) {
  if (boxOpen()) return EM_TRUE;
  if (event->deltaY == 0.0) return EM_TRUE;
  handleWheel(event->deltaY < 0.0 ? 1 : -1);
  webRequestFrame();
  return EM_TRUE;
}

// Fingers go to the core's gesture tracking (app/gestures.h): one drags the
// map with it, two pinch, a tap names a marker, a long press draws the route.
// The long press is asked about once its time has passed.
uint32_t nowMs() { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }

void onLongPressTime(void *) {
  if (boxOpen()) return;
  if (touchHeld(nowMs()) != GESTURE_NONE) webRequestFrame();
}

EM_BOOL onTouch(int eventType, const EmscriptenTouchEvent *event, void *) {
  if (eventType == EMSCRIPTEN_EVENT_TOUCHCANCEL) {
    touchCancelled();
    return EM_TRUE;
  }
  if (boxOpen() && eventType != EMSCRIPTEN_EVENT_TOUCHEND) return EM_TRUE;
  for (int i = 0; i < event->numTouches; ++i) {
    const EmscriptenTouchPoint &touch = event->touches[i];
    if (!touch.isChanged) continue;
    const double x = webCanvasX(static_cast<double>(touch.clientX));
    const double y = webCanvasY(static_cast<double>(touch.clientY));
    if (eventType == EMSCRIPTEN_EVENT_TOUCHSTART) {
      touchDown(touch.identifier, x, y, nowMs());
      if (viewerState.touch.fingerCount == 1) emscripten_set_timeout(onLongPressTime, LONG_PRESS_MS + 1, nullptr);
    } else if (eventType == EMSCRIPTEN_EVENT_TOUCHMOVE) {
      touchMoved(touch.identifier, x, y);
    } else if (touchUp(touch.identifier, nowMs()) == GESTURE_TAP) {
      webAnnounceInfo();
    }
    lastTouchMs = emscripten_get_now();
  }
  webRequestFrame();
  return EM_TRUE;
}

// A page that loses the focus gets no key or button releases meanwhile: every
// held key and the button are let go, so the map does not run on by itself.
EM_BOOL onBlur(int, const EmscriptenFocusEvent *, void *) {
  for (uint32_t key = 0; key < static_cast<uint32_t>(KEY_CODE_COUNT); ++key) {
    if (viewerState.keyDown[key] != 0) handleKeyUp(key);
  }
  handleLeftButtonUp();
  touchCancelled();
  webRequestFrame();
  return EM_FALSE;
}

EM_BOOL onResize(int, const EmscriptenUiEvent *, void *) {
  webFitCanvas();
  webRequestFrame();
  return EM_FALSE;
}

}  // namespace

void webInstallEventHandlers() {
  const char *window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  emscripten_set_keydown_callback(window, nullptr, EM_TRUE, onKey);
  emscripten_set_keyup_callback(window, nullptr, EM_TRUE, onKey);
  emscripten_set_mousedown_callback(CANVAS, nullptr, EM_TRUE, onMouse);
  emscripten_set_mouseup_callback(window, nullptr, EM_TRUE, onMouse);
  emscripten_set_mousemove_callback(window, nullptr, EM_TRUE, onMouse);
  emscripten_set_wheel_callback(CANVAS, nullptr, EM_TRUE, onWheel);
  emscripten_set_touchstart_callback(CANVAS, nullptr, EM_TRUE, onTouch);
  emscripten_set_touchmove_callback(CANVAS, nullptr, EM_TRUE, onTouch);
  emscripten_set_touchend_callback(CANVAS, nullptr, EM_TRUE, onTouch);
  emscripten_set_touchcancel_callback(CANVAS, nullptr, EM_TRUE, onTouch);
  emscripten_set_touchstart_callback(window, nullptr, EM_TRUE, onAnyTouch);
  emscripten_set_touchend_callback(window, nullptr, EM_TRUE, onAnyTouch);
  emscripten_set_blur_callback(window, nullptr, EM_TRUE, onBlur);
  emscripten_set_resize_callback(window, nullptr, EM_TRUE, onResize);
}
