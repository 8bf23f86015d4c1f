// The OpenGL pixel format of the main window and its logical palette.
#include "platform/win32/win32_pixel_format.h"

#include "app/palette.h"
#include "app/viewer_state.h"
#include "platform/platform.h"

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "PIXELFORMATDESCRIPTOR must be the 40-byte record");

PIXELFORMATDESCRIPTOR pixelFormatDescriptor = {
    sizeof(PIXELFORMATDESCRIPTOR),
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
    24,                // colour bits
    0, 0, 0, 0, 0, 0,  // red, green, blue bits and shifts: any
    0, 0,              // no alpha
    0, 0, 0, 0, 0,     // no accumulation buffer
    32,                // depth bits
    0,                 // no stencil
    0,                 // no auxiliary buffers
    PFD_MAIN_PLANE,
    0,
    0, 0, 0,
};

void setupPalette(HDC deviceContext) {
  const PIXELFORMATDESCRIPTOR &described = pixelFormatDescriptor;
  if (!(described.dwFlags & PFD_NEED_PALETTE)) return;

  const PaletteFormat format{described.cColorBits, described.cRedBits,  described.cRedShift,
                             described.cGreenBits, described.cGreenShift, described.cBlueBits,
                             described.cBlueShift};
  uint32_t entryCount = 0;
  if (!paletteEntryCount(format, &entryCount)) return;

  HANDLE heap = GetProcessHeap();
  // A LOGPALETTE has room for one entry of its own, unused; n more follow it.
  const SIZE_T blockSize = sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * entryCount;
  LOGPALETTE *block = static_cast<LOGPALETTE *>(HeapAlloc(heap, 0, blockSize));
  if (!block) return;
  block->palVersion = 0x300;
  block->palNumEntries = static_cast<WORD>(entryCount);
  static_assert(sizeof(PaletteColour) == sizeof(PALETTEENTRY), "PaletteColour must match PALETTEENTRY");
  computePalette(format, reinterpret_cast<PaletteColour *>(block->palPalEntry), entryCount);
  HPALETTE palette = CreatePalette(block);
  viewerState.palette = palette;
  HeapFree(heap, 0, block);

  if (palette) {
    SelectPalette(deviceContext, palette, FALSE);
    RealizePalette(deviceContext);
  }
}

bool setupPixelFormat(HDC deviceContext) {
  int index = ChoosePixelFormat(deviceContext, &pixelFormatDescriptor);
  bool chosen = index != 0 && SetPixelFormat(deviceContext, index, &pixelFormatDescriptor);
  if (!chosen) {
    platformShowMessageBox(MESSAGE_OWNER_FOCUS_WINDOW, "Error",
                           "No OpenGL pixel format could be set for the window.");
    return false;
  }
  DescribePixelFormat(deviceContext, index, sizeof pixelFormatDescriptor, &pixelFormatDescriptor);
  setupPalette(deviceContext);
  return true;
}
