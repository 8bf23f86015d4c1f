// The browser's counterpart of the window procedure: each keyboard, mouse,
// wheel, touch, focus and size event of the page becomes the call of the
// platform-neutral handler of the same meaning, and asks for a frame. While
// the page's message box is open the canvas takes no input, as a modal box
// keeps it from the desktop's window; releases still count, so that nothing
// stays held.
#include <emscripten/html5.h>

#include "app/controls.h"
#include "app/input.h"
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
  // not passed on and does nothing here.
  if (virtualKey == static_cast<int32_t>(VK_CODE_ESCAPE)) return EM_FALSE;
  // F12 saves the picture into the save's folder; the page has no folder the
  // player could open, so the key stays the browser's (its developer tools)
  // rather than report a picture saved where nobody can find it.
  if (virtualKey == static_cast<int32_t>(VK_CODE_F12)) return EM_FALSE;
  handleKeyDown(static_cast<uint32_t>(virtualKey));
  webRequestFrame();
  const bool browserKey = virtualKey == VK_TAB || (virtualKey >= VK_F1 && virtualKey <= VK_F12);
  return browserKey ? EM_FALSE : EM_TRUE;
}

// The canvas fills the window from its top-left corner, so a position in the
// window is the same position on the canvas.
EM_BOOL onMouse(int eventType, const EmscriptenMouseEvent *event, void *) {
  const int32_t x = static_cast<int32_t>(event->clientX);
  const int32_t y = static_cast<int32_t>(event->clientY);
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

// One finger drags the map as the left button does; the finger that went
// down first is followed until it lifts.
long trackedTouch = -1;

const EmscriptenTouchPoint *findTouch(const EmscriptenTouchEvent *event, long identifier, bool changedOnly) {
  for (int i = 0; i < event->numTouches; ++i) {
    const EmscriptenTouchPoint &touch = event->touches[i];
    if (touch.identifier == identifier && (!changedOnly || touch.isChanged)) return &touch;
  }
  return nullptr;
}

EM_BOOL onTouch(int eventType, const EmscriptenTouchEvent *event, void *) {
  if (eventType == EMSCRIPTEN_EVENT_TOUCHSTART) {
    if (trackedTouch >= 0 || boxOpen() || event->numTouches < 1) return EM_TRUE;
    for (int i = 0; i < event->numTouches; ++i) {
      if (!event->touches[i].isChanged) continue;
      trackedTouch = event->touches[i].identifier;
      handleLeftButtonDown(static_cast<int32_t>(event->touches[i].clientX),
                           static_cast<int32_t>(event->touches[i].clientY));
      break;
    }
  } else if (eventType == EMSCRIPTEN_EVENT_TOUCHMOVE) {
    const EmscriptenTouchPoint *touch = findTouch(event, trackedTouch, true);
    if (!touch || boxOpen()) return EM_TRUE;
    handlePointerMotion(static_cast<int32_t>(touch->clientX), static_cast<int32_t>(touch->clientY));
  } else {
    if (trackedTouch < 0 || !findTouch(event, trackedTouch, true)) return EM_TRUE;
    trackedTouch = -1;
    handleLeftButtonUp();
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
