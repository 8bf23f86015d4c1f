// The one writer of PNG files (libpng's simplified interface), for package-tool
// and for the tests that hand it pictures.
#pragma once

#include <cstdint>
#include <string>

// Which way the rows of a picture run in memory.
enum PngRowOrder { ROWS_TOP_FIRST, ROWS_BOTTOM_FIRST };

// Writes width x height pixels, packed red, green, blue bytes in rows of
// width * 3, as an 8-bit RGB PNG that runs top row first. On failure returns
// false and, when error is not null, puts libpng's reason there.
bool writePng(const char *path, int32_t width, int32_t height, const unsigned char *rgb, PngRowOrder order,
              std::string *error = nullptr);
