// The generators' BMP writer.
#include "bmp_writer.h"

#include <cstdio>

namespace {

void put16(std::vector<unsigned char> &out, uint32_t value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void put32(std::vector<unsigned char> &out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

}  // namespace

bool writeBmp24(const std::string &path, const Canvas &canvas) {
  const uint32_t rowBytes = (static_cast<uint32_t>(canvas.width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(canvas.height);
  const uint32_t headerBytes = 14 + 40;

  std::vector<unsigned char> out;
  out.reserve(headerBytes + pixelBytes);
  put16(out, 0x4D42);  // "BM"
  put32(out, headerBytes + pixelBytes);
  put32(out, 0);  // two reserved 16-bit fields
  put32(out, headerBytes);
  put32(out, 40);
  put32(out, static_cast<uint32_t>(canvas.width));
  put32(out, static_cast<uint32_t>(canvas.height));  // positive: bottom row first
  put16(out, 1);                                     // planes
  put16(out, 24);                                    // bits per pixel
  put32(out, 0);                                     // BI_RGB
  put32(out, pixelBytes);
  put32(out, 2835);  // 72 dots per inch, both ways
  put32(out, 2835);
  put32(out, 0);  // no colour table
  put32(out, 0);

  for (int32_t y = canvas.height - 1; y >= 0; --y) {
    const unsigned char *row = &canvas.rgb[static_cast<size_t>(y) * canvas.width * 3];
    for (int32_t x = 0; x < canvas.width; ++x) {
      out.push_back(row[x * 3 + 2]);  // blue, green, red on disk
      out.push_back(row[x * 3 + 1]);
      out.push_back(row[x * 3]);
    }
    for (uint32_t pad = static_cast<uint32_t>(canvas.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }

  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && written;
}
