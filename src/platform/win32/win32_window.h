// The window procedure of the viewer's one window.
#pragma once

#include <windows.h>

// Brings up the OpenGL surface on creation, keeps the projection right and
// the window at least 640 x 480 while it is sized, draws a frame on each
// paint, records keys, the left button, pointer motion and the wheel through
// the handlers of src/app, re-realises the palette when one is in use, and
// posts the quit request when the window is destroyed. Every other message
// gets the default handling.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
