// The one writer of PNG files (stb_image_write, header only, so that the
// Linux and the Windows builds share it), for package-tool, the viewer's
// screenshot key and the tests that hand pictures to the tools.
#pragma once

#include <cstdint>
#include <string>

// Which way the rows of a picture run in memory.
enum PngRowOrder { ROWS_TOP_FIRST, ROWS_BOTTOM_FIRST };

// Writes width x height pixels, packed red, green, blue bytes in rows of
// width * 3, as an 8-bit RGB PNG that runs top row first. On failure returns
// false, leaves no partial file behind where it can remove it, and, when
// error is not null, puts the reason there (the C library's for a file that
// cannot be opened or written).
bool writePng(const char *path, int32_t width, int32_t height, const unsigned char *rgb, PngRowOrder order,
              std::string *error = nullptr);
