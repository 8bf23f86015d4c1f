// The Windows test platform: the real Windows file views and GDI converter,
// with message boxes recorded and the file chooser scripted (through the
// headless layer's interface, so that the same tests build for both) instead
// of shown, since no one is there to answer them.
#pragma once

#include "platform/headless/headless.h"

// Which converter platformConvertDib uses: GDI (as in the viewer) or the
// project's own portable one, so that a test can compare them. Programs start
// with GDI, those linked with platform_win32_test_portable with ours.
void win32TestUsePortableConverter(bool portable);
