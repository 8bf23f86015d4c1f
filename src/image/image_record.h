// The picture the BMP loader hands to its caller.
#pragma once

#include <cstdint>
#include <cstdlib>

// A picture as packed 24-bit rows: width x |height| pixels of red, green, blue
// bytes with no padding between rows, the bottom row of the picture first.
// Both the record and its pixels come from malloc and belong to the caller;
// releaseImageRecord frees both.
struct ImageRecord {
  int32_t width;
  int32_t height;
  unsigned char *pixels;
};

inline void releaseImageRecord(ImageRecord *record) {
  if (!record) return;
  std::free(record->pixels);
  std::free(record);
}
