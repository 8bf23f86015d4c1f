// Headless platform services: the portable DIB converter. Message boxes are
// recorded (recorded_message_box.cpp) and the chooser is scripted
// (headless_chooser.cpp).
#include "image/dib_convert.h"

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return convertDibPortable(source, rgb);
}
