// The project's own DIB converter, used wherever GDI is not.
#pragma once

#include "platform/platform.h"

// Same contract as platformConvertDib. Decodes uncompressed 1, 4, 8, 16
// (5-5-5), 24 and 32-bit pictures, RLE8 and RLE4, and bit-field pictures at
// 16 and 32 bits; anything else is a conversion error.
DibConvertResult convertDibPortable(const DibSource &source, unsigned char *rgb);

// Whether the converter may use the processor's vector instructions where it
// has them (the default). The scalar code gives the same pixels; tests and
// benchmarks switch the vector loops off to compare the two.
void dibAllowVectorPaths(bool allow);
// Whether those vector loops that have an AVX2 form may use it where the
// processor has it (the default); off, they use their SSSE3 form, which tests
// compare with the AVX2 one.
void dibAllowAvx2(bool allow);
