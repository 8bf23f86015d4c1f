// The one writer of BMP files, for the programs, the tools and the tests alike.
//
// makeBmp builds any layout the tests, fuzz seeds and benchmarks need: either
// classic header form or a later, longer one, with or without the 14-byte
// file header, any bit depth, a colour table, bit-field masks, a gap before
// the pixel data, and pixel data given exactly as stored (padded rows from
// packPixelRows, or a raw RLE stream).
//
// writeBmp24 writes a drawn picture as plain encoders do, the way the bundled
// pictures, package-tool map's output and the player's own kept map are stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

// A picture being drawn: packed RGB rows, top row first.
struct Canvas {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<unsigned char> rgb;

  Canvas(int32_t w, int32_t h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}
  unsigned char *at(int32_t x, int32_t y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// The canvas as a 24-bit file: the file header, the 40-byte header (image
// size filled in, 72 dots per inch), rows bottom row first, each padded to a
// multiple of 4 bytes with zeros.
std::vector<unsigned char> makeBmp24(const Canvas &canvas);

// Writes makeBmp24(canvas) to path; false (with errno set by the C library)
// when the file cannot be written completely.
bool writeBmp24(const std::string &path, const Canvas &canvas);
