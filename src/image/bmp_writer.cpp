// Builds and writes BMP files; see bmp_writer.h.
#include "image/bmp_writer.h"

#include <cstdio>
#include <stdexcept>

namespace {

void putLe16(std::vector<unsigned char> &out, uint32_t value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void putLe32(std::vector<unsigned char> &out, uint32_t value) {
  putLe16(out, value & 0xFFFF);
  putLe16(out, value >> 16);
}

bool masksInHeader(const BmpLayout &layout) { return !layout.coreHeader && layout.infoHeaderSize > 40; }

size_t headerBytes(const BmpLayout &layout) {
  return (layout.fileHeader ? 14 : 0) + (layout.coreHeader ? 12 : layout.infoHeaderSize) +
         (masksInHeader(layout) ? 0 : 4 * layout.masks.size()) +
         layout.palette.size() * (layout.coreHeader ? 3 : 4);
}

// Bytes of one stored row, padded to a multiple of 4.
size_t rowStride(int width, int bitCount) { return (static_cast<size_t>(width) * bitCount + 31) / 32 * 4; }

}  // namespace

size_t bmpPixelOffset(const BmpLayout &layout) { return headerBytes(layout) + layout.gap; }

std::vector<unsigned char> makeBmp(const BmpLayout &layout) {
  std::vector<unsigned char> out;
  size_t pixelOffset = bmpPixelOffset(layout);
  if (layout.fileHeader) {
    putLe16(out, 0x4D42);
    putLe32(out, static_cast<uint32_t>(pixelOffset + layout.pixels.size()));
    putLe32(out, 0);
    putLe32(out, layout.overrideOffBits ? layout.offBits : static_cast<uint32_t>(pixelOffset));
  }
  if (layout.coreHeader) {
    putLe32(out, 12);
    putLe16(out, static_cast<uint16_t>(layout.width));
    putLe16(out, static_cast<uint16_t>(layout.height));
    putLe16(out, layout.planes);
    putLe16(out, layout.bitCount);
  } else {
    putLe32(out, layout.infoHeaderSize);
    putLe32(out, static_cast<uint32_t>(layout.width));
    putLe32(out, static_cast<uint32_t>(layout.height));
    putLe16(out, layout.planes);
    putLe16(out, layout.bitCount);
    putLe32(out, layout.compression);
    putLe32(out, layout.sizeImage);
    putLe32(out, 2835);
    putLe32(out, 2835);
    putLe32(out, layout.clrUsed);
    putLe32(out, layout.clrImportant);
  }
  if (masksInHeader(layout)) {
    // Red, green, blue and alpha masks, the colour space, then zeros: its
    // end points, gammas and (124 bytes) intent and profile fields.
    for (size_t i = 0; i < 4; ++i) putLe32(out, i < layout.masks.size() ? layout.masks[i] : 0);
    putLe32(out, 0x73524742);  // "sRGB"
    out.resize(out.size() + layout.infoHeaderSize - 60, 0);
  } else {
    for (uint32_t mask : layout.masks) putLe32(out, mask);
  }
  for (uint32_t colour : layout.palette) {
    out.push_back(static_cast<unsigned char>(colour));
    out.push_back(static_cast<unsigned char>(colour >> 8));
    out.push_back(static_cast<unsigned char>(colour >> 16));
    if (!layout.coreHeader) out.push_back(0);
  }
  for (size_t i = 0; i < layout.gap; ++i) out.push_back(static_cast<unsigned char>(0xE0 + i % 16));
  out.insert(out.end(), layout.pixels.begin(), layout.pixels.end());
  return out;
}

std::vector<unsigned char> packPixelRows(int width, int rows, int bitCount,
                                         const std::vector<uint32_t> &values) {
  if (width < 0 || rows < 0 || static_cast<size_t>(width) * rows != values.size()) {
    throw std::invalid_argument("packPixelRows: values do not match width x rows");
  }
  size_t stride = rowStride(width, bitCount);
  std::vector<unsigned char> out;
  out.reserve(stride * rows);
  for (int y = 0; y < rows; ++y) {
    std::vector<unsigned char> row;
    const uint32_t *value = &values[static_cast<size_t>(y) * width];
    if (bitCount < 8) {
      int perByte = 8 / bitCount;
      for (int x = 0; x < width; x += perByte) {
        unsigned byte = 0;
        for (int i = 0; i < perByte; ++i) {
          uint32_t index = x + i < width ? value[x + i] : 0;
          byte |= (index & ((1u << bitCount) - 1)) << (8 - bitCount * (i + 1));
        }
        row.push_back(static_cast<unsigned char>(byte));
      }
    } else {
      for (int x = 0; x < width; ++x) {
        uint32_t v = value[x];
        if (bitCount == 24) {
          row.push_back(static_cast<unsigned char>(v));
          row.push_back(static_cast<unsigned char>(v >> 8));
          row.push_back(static_cast<unsigned char>(v >> 16));
        } else {
          for (int i = 0; i < bitCount / 8; ++i) row.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
      }
    }
    for (size_t i = 0; row.size() < stride; ++i) row.push_back(static_cast<unsigned char>(0xA5 ^ i));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<unsigned char> makeBmp24(const Canvas &canvas) {
  const size_t stride = rowStride(canvas.width, 24);
  BmpLayout layout;
  layout.width = canvas.width;
  layout.height = canvas.height;  // positive: bottom row first
  layout.sizeImage = static_cast<uint32_t>(stride * canvas.height);
  layout.pixels.reserve(layout.sizeImage);
  for (int32_t y = canvas.height - 1; y >= 0; --y) {
    const unsigned char *row = &canvas.rgb[static_cast<size_t>(y) * canvas.width * 3];
    for (int32_t x = 0; x < canvas.width; ++x) {
      layout.pixels.push_back(row[x * 3 + 2]);  // blue, green, red on disk
      layout.pixels.push_back(row[x * 3 + 1]);
      layout.pixels.push_back(row[x * 3]);
    }
    layout.pixels.resize(layout.pixels.size() + stride - static_cast<size_t>(canvas.width) * 3, 0);
  }
  return makeBmp(layout);
}

bool writeBmp24(const std::string &path, const Canvas &canvas) {
  const std::vector<unsigned char> bytes = makeBmp24(canvas);
  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
