// GDI as the DIB converter (the Windows build's platformConvertDib).
#pragma once

#include "platform/platform.h"

// Same contract as platformConvertDib, carried out by GDI: SetDIBits into a
// 24-bit DIB section of a memory device context.
DibConvertResult convertDibWithGdi(const DibSource &source, unsigned char *rgb);
