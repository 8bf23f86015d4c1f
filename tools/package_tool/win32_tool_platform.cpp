// package-tool's platform on Windows: the Windows file views and GDI's DIB
// conversion, so that pictures load as the Windows viewer loads them; message
// boxes are recorded and printed (recorded_message_box.cpp with the tool's
// sink); nothing is drawn.
#include "platform/platform.h"
#include "platform/win32/win32_gdi_convert.h"

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return convertDibWithGdi(source, rgb);
}

void platformSwapBuffers() {}
