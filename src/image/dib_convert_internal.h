// Shared pieces of the portable DIB converter: the checked description of one
// conversion and the writers of packed output pixels. Used only by the
// converter's own files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/dib_format.h"
#include "platform/platform.h"

// One conversion, after the header has been checked: the output has rows of
// width pixels; source row r (in file order) goes to dibOutputRow(job, r).
struct DibJob {
  const DibSource *source;
  const DibHeader *header;
  uint32_t width;
  uint32_t rows;
  bool topDown;
  unsigned char *rgb;
  size_t outRowBytes;  // width * 3
};

inline unsigned char *dibOutputRow(const DibJob &job, uint32_t sourceRow) {
  uint32_t row = job.topDown ? job.rows - 1 - sourceRow : sourceRow;
  return job.rgb + static_cast<size_t>(row) * job.outRowBytes;
}

// A colour packed as the 4 bytes red, green, blue, 0 in memory order, so that a
// 4-byte store writes one output pixel plus one spare byte.
using PackedRgb = uint32_t;

inline PackedRgb packRgb(uint8_t red, uint8_t green, uint8_t blue) {
  const unsigned char bytes[4] = {red, green, blue, 0};
  PackedRgb packed;
  std::memcpy(&packed, bytes, 4);
  return packed;
}

// The table that turns palette indices into packed colours: the source's
// colour entries, and black for every index the table does not reach.
struct DibPalette {
  PackedRgb colours[256];
};
void buildDibPalette(const DibJob &job, DibPalette *palette);

// Writes count pixels of one colour. The 4-byte stores spill one byte past
// each pixel; the last pixel is stored with 3 so nothing lands past the run.
inline void fillPixels(unsigned char *out, size_t count, PackedRgb colour) {
  if (count == 0) return;
  for (size_t i = 1; i < count; ++i, out += 3) std::memcpy(out, &colour, 4);
  std::memcpy(out, &colour, 3);
}

// Stores one pixel whose successor will be written later in the same row.
inline void putPixelSpill(unsigned char *out, PackedRgb colour) { std::memcpy(out, &colour, 4); }

// Stores four pixels as exactly 12 bytes. On little-endian machines a packed
// colour's value is red | green << 8 | blue << 16, so the four join into one
// 64-bit and one 32-bit store.
inline void putFourPixels(unsigned char *out, PackedRgb p0, PackedRgb p1, PackedRgb p2, PackedRgb p3) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint64_t low = p0 | (static_cast<uint64_t>(p1) << 24) | (static_cast<uint64_t>(p2) << 48);
  uint32_t high = (p2 >> 16) | (p3 << 8);
  std::memcpy(out, &low, 8);
  std::memcpy(out + 8, &high, 4);
#else
  putPixelSpill(out, p0);
  putPixelSpill(out + 3, p1);
  putPixelSpill(out + 6, p2);
  std::memcpy(out + 9, &p3, 3);
#endif
}

// The vector loops (dib_convert_vector.cpp). The level is what the processor
// offers, at most SSSE3 once dibAllowAvx2(false) was called, or
// DIB_VECTOR_NONE once dibAllowVectorPaths(false) was called. Each
// row writer fills a prefix of the row exactly as the scalar writer would
// and returns its pixel count (0 where the level is too low); the caller's
// scalar loop writes the rest.
enum DibVectorLevel { DIB_VECTOR_NONE, DIB_VECTOR_SSSE3, DIB_VECTOR_AVX2 };
DibVectorLevel dibVectorLevel();
uint32_t writeRow4Vector(const unsigned char *source, unsigned char *out, uint32_t width,
                         const DibPalette &palette);
// 16-bit pixels whose channels are all 5 or 6 bits wide, given by shift and
// largest value.
bool dibVector16Fits(const uint32_t shifts[3], const uint32_t maxima[3]);
uint32_t writeRow16Vector(const unsigned char *source, unsigned char *out, uint32_t width,
                          const uint32_t shifts[3], const uint32_t maxima[3]);
// False once dibAllowVectorPaths(false) was called: the pair stores of 8-bit
// rows and the RLE decoder's wide stores (plain 8 and 16-byte copies, on
// every processor) and the scanning walk of dibRleStreamEnds (SSE2) go with it.
bool dibVectorPathsAllowed();

// The decoders behind convertDibPortable, each for a checked job.
DibConvertResult convertPalettized(const DibJob &job);
DibConvertResult convertTrueColour(const DibJob &job);
DibConvertResult convertBitfields(const DibJob &job, const uint32_t masks[3]);
DibConvertResult convertRle(const DibJob &job);

// Runs writeRow(sourceRow, outputRow) over every stored row of an uncompressed
// source, after checking that the rows lie inside the pixel data (the last
// row's padding may be missing). Files that stop early are refused whole.
template <typename WriteRow>
DibConvertResult forEachStoredRow(const DibJob &job, uint32_t bitCount, WriteRow writeRow) {
  uint64_t stride = dibStride(job.width, bitCount);
  if (dibUncompressedBytes(job.width, job.rows, bitCount) > job.source->pixelBytes) return DIB_CONVERSION_ERROR;
  for (uint32_t r = 0; r < job.rows; ++r) {
    writeRow(job.source->pixels + r * stride, dibOutputRow(job, r));
  }
  return DIB_CONVERTED;
}
