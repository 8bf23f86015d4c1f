// The window procedure: creation of the OpenGL surface, sizing, painting, the
// palette messages, and input recorded through the platform-neutral handlers.
#include "platform/win32/win32_window.h"

#include <cstdint>
#include <cstring>

#include <shellapi.h>

#include "app/input.h"
#include "app/map_alignment.h"
#include "image/picture.h"
#include "render/resize.h"
#include "app/viewer_state.h"
#include "platform/win32/win32_picture_path.h"
#include "platform/win32/win32_pixel_format.h"
#include "render/frame.h"
#include "render/resources.h"
#include "save/open_dialog.h"
#include "save/savegame.h"

namespace {

// Pointer positions come as two unsigned 16-bit halves of lParam.
int32_t pointerX(LPARAM lParam) { return LOWORD(lParam); }
int32_t pointerY(LPARAM lParam) { return HIWORD(lParam); }

// Buffer swaps wait for the display's refresh where the driver lets the
// program ask for it (WGL_EXT_swap_control); elsewhere nothing changes.
void askForSwapInterval() {
  using SwapIntervalFunction = BOOL(WINAPI *)(int);
  const PROC address = wglGetProcAddress("wglSwapIntervalEXT");
  if (!address) return;
  SwapIntervalFunction swapInterval;
  static_assert(sizeof swapInterval == sizeof address, "a function pointer");
  std::memcpy(&swapInterval, &address, sizeof address);
  swapInterval(1);
}

// Device context, pixel format and palette, the OpenGL context (current from
// here to shutdown), the graphics resources, and the pointer at the centre of
// the initial client area.
void createSurface(HWND window) {
  HDC deviceContext = GetDC(window);
  viewerState.deviceContext = deviceContext;
  setupPixelFormat(deviceContext);
  HGLRC glContext = wglCreateContext(deviceContext);
  viewerState.glContext = glContext;
  wglMakeCurrent(deviceContext, glContext);
  askForSwapInterval();
  initGraphicsFrom(findPicture(FONT_PICTURE).c_str(), findPicture(MAP_PICTURE).c_str(),
                   findBundledPicture(FONT_PICTURE).c_str(), findBundledPicture(MAP_PICTURE).c_str());
  startPointerAtCentre();
  // Screen coordinates: the window stands at (0, 0), so this is near, not
  // at, the client point the record holds.
  SetCursorPos(viewerState.mouseX, viewerState.mouseY);
  // Saves dropped on the window open as if chosen in the dialog; pictures
  // are aligned as the player's own map.
  DragAcceptFiles(window, TRUE);
}

// A save or a picture dropped on the window: the first file of the drop is
// opened.
void openDroppedFile(HDROP drop) {
  char path[SAVE_PATH_SIZE + 1] = {};
  const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
  const bool fits = length > 0 && length < sizeof path && DragQueryFileA(drop, 0, path, sizeof path) == length;
  DragFinish(drop);
  if (fits && fileLooksLikePicture(path)) {
    // A picture is told from a save by its content: it is aligned as the
    // player's own map.
    openPictureForAlignment(path);
  } else if (fits) {
    openSavegameFile(path);
  } else if (length > 0) {
    showErrorBox(PATH_TOO_LONG, "Error !");
  }
}

void keepMinimumSize(WPARAM edge, RECT *rect) {
  SizingRect sizing{rect->left, rect->top, rect->right, rect->bottom};
  applyMinimumSize(static_cast<int32_t>(edge), &sizing);
  rect->left = sizing.left;
  rect->top = sizing.top;
  rect->right = sizing.right;
  rect->bottom = sizing.bottom;
}

}  // namespace

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HDC deviceContext = static_cast<HDC>(viewerState.deviceContext);
  switch (message) {
    case WM_CREATE:
      createSurface(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      resizeViewport(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      renderFrame();
      EndPaint(window, &paint);
      return 0;
    }
    case WM_KEYDOWN:
      handleKeyDown(static_cast<uint32_t>(wParam));
      return 0;
    case WM_KEYUP:
      handleKeyUp(static_cast<uint32_t>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      handlePointerMotion(pointerX(lParam), pointerY(lParam));
      return 0;
    case WM_LBUTTONDOWN:
      handleLeftButtonDown(pointerX(lParam), pointerY(lParam));
      return 0;
    case WM_LBUTTONUP:
      handleLeftButtonUp();
      return 0;
    case WM_MOUSEWHEEL:
      handleWheel(static_cast<int16_t>(HIWORD(wParam)));
      return 0;
    case WM_DROPFILES:
      openDroppedFile(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_SIZING:
      keepMinimumSize(wParam, reinterpret_cast<RECT *>(lParam));
      return 0;
    case WM_QUERYNEWPALETTE:
      if (viewerState.palette) {
        UINT mapped = RealizePalette(deviceContext);
        if (mapped != 0) InvalidateRect(window, nullptr, FALSE);
        return mapped;
      }
      break;
    case WM_PALETTECHANGED:
      if (viewerState.palette && reinterpret_cast<HWND>(wParam) != window) {
        if (RealizePalette(deviceContext) != 0) UpdateColors(deviceContext);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
