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

// The canvas starts at the window's top-left corner, so a position in the
// window, times the canvas's scale, is the same position on the canvas.
EM_BOOL onMouse(int eventType, const EmscriptenMouseEvent *event, void *) {
  const int32_t x = static_cast<int32_t>(event->clientX * webCanvasScale());
  const int32_t y = static_cast<int32_t>(event->clientY * webCanvasScale());
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
  const double scale = webCanvasScale();
  for (int i = 0; i < event->numTouches; ++i) {
    const EmscriptenTouchPoint &touch = event->touches[i];
    if (!touch.isChanged) continue;
    const double x = static_cast<double>(touch.clientX) * scale;
    const double y = static_cast<double>(touch.clientY) * scale;
    if (eventType == EMSCRIPTEN_EVENT_TOUCHSTART) {
      touchDown(touch.identifier, x, y, nowMs());
      if (viewerState.touch.fingerCount == 1) emscripten_set_timeout(onLongPressTime, LONG_PRESS_MS + 1, nullptr);
    } else if (eventType == EMSCRIPTEN_EVENT_TOUCHMOVE) {
      touchMoved(touch.identifier, x, y);
    } else if (touchUp(touch.identifier, nowMs()) == GESTURE_TAP) {
      webAnnounceInfo();
    }
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
  emscripten_set_blur_callback(window, nullptr, EM_TRUE, onBlur);
  emscripten_set_resize_callback(window, nullptr, EM_TRUE, onResize);
}
