// Builds BMP file bytes for tests, fuzz seeds and benchmarks: either classic
// header form or a later, longer one, with or without the 14-byte file
// header, any bit depth, a colour table, bit-field masks, a gap before the
// pixel data, and pixel data given exactly as stored (padded rows from
// packPixelRows, or a raw RLE stream).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct BmpLayout {
  bool fileHeader = true;
  bool coreHeader = false;            // 12-byte header: 16-bit sides, no compression field
  uint32_t infoHeaderSize = 40;       // 108 or 124: the later forms, masks inside, colour space sRGB
  int32_t width = 1;
  int32_t height = 1;                 // negative: rows stored top row first
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
  std::vector<uint32_t> palette;      // 0xRRGGBB each, written as 3 (core) or 4-byte entries
  std::vector<uint32_t> masks;        // behind a 40-byte header, else in the header's mask fields
  size_t gap = 0;                     // filler bytes between the colour table and the pixels
  std::vector<unsigned char> pixels;  // the pixel data as stored
  bool overrideOffBits = false;       // write offBits instead of the real pixel offset
  uint32_t offBits = 0;
};

// The whole file. bfOffBits points at the pixel data, behind the headers,
// masks, colour table and gap. Gap bytes are a pattern, not zeros.
std::vector<unsigned char> makeBmp(const BmpLayout &layout);

// Offset of the pixel data in the bytes makeBmp builds.
size_t bmpPixelOffset(const BmpLayout &layout);

// Stored rows of an uncompressed picture, in file order, each padded to a
// multiple of 4 bytes with a non-zero pattern. values holds rows x width
// entries: palette indices for 1, 2, 4 and 8 bits (high bits first within a
// byte), 0xRRGGBB for 24 bits (stored blue, green, red), the raw pixel value
// for 16 and 32 bits (stored little-endian).
std::vector<unsigned char> packPixelRows(int width, int rows, int bitCount,
                                         const std::vector<uint32_t> &values);
