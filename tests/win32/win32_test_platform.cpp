// The Windows test platform: real file views, GDI conversion and buffer swap;
// message boxes are recorded and stamps pass the tests' hook as on the
// headless platform.
#include "win32_test_platform.h"

#include <windows.h>

#include "app/viewer_state.h"
#include "image/dib_convert.h"
#include "platform/win32/win32_file_stamp.h"
#include "platform/win32/win32_gdi_convert.h"

namespace {
// Which converter a program starts with; the default is GDI, as in the viewer.
#ifndef WIN32_TEST_PORTABLE_CONVERTER
#define WIN32_TEST_PORTABLE_CONVERTER 0
#endif
bool usePortableConverter = WIN32_TEST_PORTABLE_CONVERTER;
}  // namespace

void win32TestUsePortableConverter(bool portable) { usePortableConverter = portable; }

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return usePortableConverter ? convertDibPortable(source, rgb) : convertDibWithGdi(source, rgb);
}

void platformSwapBuffers() { SwapBuffers(static_cast<HDC>(viewerState.deviceContext)); }

FileStamp platformFileStamp(const char *name) { return headlessStampThroughHook(name, win32FileStamp(name)); }
