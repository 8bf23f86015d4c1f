// The OpenGL pixel format of the main window and, where the display works
// through one, its logical palette.
#pragma once

#include <windows.h>

// The one pixel format record: the request before setupPixelFormat runs (a
// double-buffered RGBA window surface with OpenGL, 24 colour bits, a 32-bit
// depth buffer), the description of the chosen format after it.
extern PIXELFORMATDESCRIPTOR pixelFormatDescriptor;

// Gives the device context the closest pixel format to the request and
// describes it into pixelFormatDescriptor. When that format needs a palette,
// creates one that spreads the format's red, green and blue levels over
// 0..255, stores it in viewerState.palette, selects it into the device context
// and realises it; a format no palette can be made for (a red, green or blue
// bit count of 0, or too many entries) gets none. Returns false, after telling
// the user, when no pixel format could be chosen or set; the window then runs
// on without a usable OpenGL surface.
bool setupPixelFormat(HDC deviceContext);

// The palette part alone, for the description now in pixelFormatDescriptor.
void setupPalette(HDC deviceContext);
