// Writes PNG files; see png_writer.h.
#include "writers/png_writer.h"

// The encoder's functions stay private to this file: Debian's libstb, which
// package-tool also links, holds a copy of its own.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool fail(std::string *error, const std::string &reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

bool writePng(const char *path, int32_t width, int32_t height, const unsigned char *rgb, PngRowOrder order,
              std::string *error) {
  // The encoder counts bytes in int: keep a picture and its worst-case
  // compressed form well inside that.
  const int64_t rowBytes = static_cast<int64_t>(width) * 3;
  if (width <= 0 || height <= 0 || rowBytes * height > INT_MAX / 4) {
    return fail(error, "the picture's size is out of range");
  }
  // A negative stride from the last row in memory reads the rows top first.
  const int stride = static_cast<int>(order == ROWS_BOTTOM_FIRST ? -rowBytes : rowBytes);
  const unsigned char *top = order == ROWS_BOTTOM_FIRST ? rgb + rowBytes * (height - 1) : rgb;
  int length = 0;
  unsigned char *encoded = stbi_write_png_to_mem(top, stride, width, height, 3, &length);
  if (!encoded) return fail(error, "out of memory");

  errno = 0;
  FILE *file = std::fopen(path, "wb");
  if (!file) {
    const int reason = errno;
    std::free(encoded);
    return fail(error, reason ? std::strerror(reason) : "the file cannot be created");
  }
  const bool complete = std::fwrite(encoded, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
  const int writeReason = errno;
  const bool closed = std::fclose(file) == 0;
  const int reason = writeReason ? writeReason : errno;
  std::free(encoded);
  if (complete && closed) return true;
  std::remove(path);
  return fail(error, reason ? std::strerror(reason) : "the file cannot be written completely");
}
