// Placeholder until the converter lands.
#include "image/dib_convert.h"
DibConvertResult convertDibPortable(const DibSource &, unsigned char *) { return DIB_CONVERSION_ERROR; }
