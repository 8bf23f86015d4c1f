// The on-disk structures of a Windows device-independent bitmap, under the
// names the format gives them. They are never read in place (the file's bytes
// are unaligned); the loader reads each field with readLe16/readLe32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr uint16_t BMP_FILE_MAGIC = 0x4D42;  // "BM"
constexpr uint32_t BMP_FILE_HEADER_SIZE = 14;
constexpr uint32_t BMP_CORE_HEADER_SIZE = 12;
constexpr uint32_t BMP_INFO_HEADER_SIZE = 40;

constexpr uint32_t DIB_BI_RGB = 0;
constexpr uint32_t DIB_BI_RLE8 = 1;
constexpr uint32_t DIB_BI_RLE4 = 2;
constexpr uint32_t DIB_BI_BITFIELDS = 3;

// Widest and tallest picture the loader accepts.
constexpr int32_t DIB_MAX_SIDE = 32768;

// The 40-byte info header, laid out as the format (and GDI's BITMAPINFOHEADER)
// lays it out, so that a widened header block can be handed to GDI unchanged.
struct DibHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(DibHeader) == 40, "DibHeader must match the 40-byte info header");

// One colour-table entry of the widened header: blue, green, red, reserved.
struct DibColour {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved;
};
static_assert(sizeof(DibColour) == 4, "DibColour must be 4 bytes");

// The colour entries that follow a widened header in its block.
inline const DibColour *dibColours(const DibHeader *header) {
  return reinterpret_cast<const DibColour *>(header + 1);
}

// Bytes of one stored row of an uncompressed picture, padding included.
inline uint64_t dibStride(uint32_t width, uint32_t bitCount) {
  return (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
}

// Bytes the rows of an uncompressed picture need (rows >= 1): every row but
// the last with its padding, the last one's pixels alone.
inline uint64_t dibUncompressedBytes(uint32_t width, uint32_t rows, uint32_t bitCount) {
  return (rows - 1) * dibStride(width, bitCount) + (static_cast<uint64_t>(width) * bitCount + 7) / 8;
}

// The part of a bit-field mask that lies inside a pixel of bitCount bits (16
// or 32): bits a 16-bit pixel does not have read as 0.
inline uint32_t dibMaskInPixel(uint32_t mask, uint32_t bitCount) {
  return bitCount == 16 ? mask & 0xFFFF : mask;
}

// Whether the bits of a mask form one run (an empty mask does). No encoder
// writes scattered masks and no rule widens them, so both converters refuse
// them, though GDI itself would take them.
inline bool dibMaskContiguous(uint32_t mask) {
  if (mask == 0) return true;
  while (!(mask & 1)) mask >>= 1;
  return (mask & (mask + 1)) == 0;
}

// Whether an RLE8 (fourBit false) or RLE4 stream of `bytes` bytes is complete
// inside them: it reaches its end-of-bitmap code, or its end-of-line and delta
// codes move past the last of `rows` rows, before the bytes run out. Reads
// nothing outside [data, data + bytes); one pass, nothing allocated.
bool dibRleStreamEnds(const unsigned char *data, size_t bytes, bool fourBit, uint32_t rows);

inline uint16_t readLe16(const unsigned char *p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t readLe32(const unsigned char *p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
