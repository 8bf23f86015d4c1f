// Writes PNG files; see png_writer.h.
#include "writers/png_writer.h"

#include <png.h>

#include <cstring>

bool writePng(const char *path, int32_t width, int32_t height, const unsigned char *rgb, PngRowOrder order,
              std::string *error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  // A negative row stride tells libpng that the rows run bottom up.
  const png_int_32 rowBytes = static_cast<png_int_32>(width) * 3;
  const png_int_32 stride = order == ROWS_BOTTOM_FIRST ? -rowBytes : rowBytes;
  const bool written = png_image_write_to_file(&image, path, 0, rgb, stride, nullptr) != 0;
  if (!written && error) *error = image.message;
  png_image_free(&image);
  return written;
}
