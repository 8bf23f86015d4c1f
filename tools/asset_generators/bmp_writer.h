// Writes pictures as 24-bit Windows BMP files: the 14-byte file header, the
// 40-byte info header, rows bottom-up, each padded to a multiple of 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture being drawn: packed RGB rows, top row first.
struct Canvas {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<unsigned char> rgb;

  Canvas(int32_t w, int32_t h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}
  unsigned char *at(int32_t x, int32_t y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Writes the canvas to path; false (with errno set by the C library) when the
// file cannot be written completely.
bool writeBmp24(const std::string &path, const Canvas &canvas);
