// package-tool bmp: loads a BMP picture exactly as the viewer does and writes
// it upright (top row first) as PNG or binary PPM, chosen by the extension of
// the output name, so that what the loader makes of a file can be looked at.
#include <cstdio>

#include "image/dib_loader.h"
#include "package_tool/commands.h"
#include "writers/png_writer.h"

namespace {

enum OutputFormat { FORMAT_NONE, FORMAT_PNG, FORMAT_PPM };

OutputFormat formatOf(const char *name) {
  if (hasExtension(name, ".png")) return FORMAT_PNG;
  if (hasExtension(name, ".ppm")) return FORMAT_PPM;
  return FORMAT_NONE;
}

size_t rowBytes(const ImageRecord &image) { return static_cast<size_t>(image.width) * 3; }

// The record's rows run bottom row first; a PPM runs top row first.
bool writePpm(const ImageRecord &image, const char *path) {
  FILE *file = std::fopen(path, "wb");
  if (!file) return false;
  bool written = std::fprintf(file, "P6\n%d %d\n255\n", image.width, image.height) > 0;
  for (int32_t row = image.height - 1; written && row >= 0; --row) {
    const unsigned char *bytes = image.pixels + static_cast<size_t>(row) * rowBytes(image);
    written = std::fwrite(bytes, 1, rowBytes(image), file) == rowBytes(image);
  }
  return std::fclose(file) == 0 && written;
}

}  // namespace

int runBmpCommand(int argc, char **argv) {
  OutputFormat format = argc == 3 ? formatOf(argv[2]) : FORMAT_NONE;
  if (format == FORMAT_NONE) {
    std::fputs("Usage: package-tool bmp IMAGE OUT.png|OUT.ppm\n", stderr);
    return 2;
  }
  // A failed load has already shown its message box, which the tool prints.
  ImageRecord *image = loadDibFile(argv[1]);
  if (!image) return 1;
  // The record's rows run bottom row first.
  bool written = format == FORMAT_PNG
                     ? writePng(argv[2], image->width, image->height, image->pixels, ROWS_BOTTOM_FIRST)
                     : writePpm(*image, argv[2]);
  releaseImageRecord(image);
  if (!written) {
    std::fprintf(stderr, "package-tool: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
