// package-tool bmp: loads a BMP picture exactly as the viewer does and writes
// it upright (top row first) as PNG or binary PPM, chosen by the extension of
// the output name, so that what the loader makes of a file can be looked at.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "image/dib_loader.h"
#include "package_tool/commands.h"
#include "package_tool/tool_arguments.h"
#include "platform/headless/headless.h"
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

// The kind of picture a file's first bytes announce, when it is one that
// package-tool map reads but the viewer's BMP loader does not; else null.
const char *otherPictureFormat(const char *path) {
  unsigned char head[12] = {};
  FILE *file = std::fopen(path, "rb");
  if (!file) return nullptr;
  const size_t length = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  auto startsWith = [&](const char *magic, size_t size, size_t offset = 0) {
    return length >= offset + size && std::memcmp(head + offset, magic, size) == 0;
  };
  if (startsWith("\x89PNG\r\n\x1a\n", 8)) return "PNG";
  if (startsWith("\xff\xd8\xff", 3)) return "JPEG";
  if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6)) return "GIF";
  if (startsWith("RIFF", 4) && startsWith("WEBP", 4, 8)) return "WebP";
  if (startsWith("II*\0", 4) || startsWith("MM\0*", 4)) return "TIFF";
  return nullptr;
}

// Loads the BMP at PATH as the viewer does; on failure says why, naming the
// file, and returns null.
ImageRecord *loadPicture(const char *path) {
  // Not a regular file: the system's reason, as for any file the tool reads.
  const std::string unreadable = unreadableReason(path);
  if (!unreadable.empty()) {
    fileFailure(path, unreadable);
    return nullptr;
  }
  if (const char *format = otherPictureFormat(path)) {
    std::fprintf(stderr, "package-tool: %s is a %s picture, not a BMP: make a map of it with package-tool map\n",
                 path, format);
    return nullptr;
  }
  // The loader's box becomes the reason.
  headlessClearMessageBoxes();
  headlessSetMessageSink(nullptr);
  ImageRecord *image = loadDibFile(path);
  if (!image) {
    const std::vector<RecordedMessageBox> &boxes = headlessMessageBoxes();
    std::string reason = boxes.empty() ? "the picture cannot be loaded" : boxes.back().text;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '.')) reason.pop_back();
    fileFailure(path, reason);
  }
  return image;
}

}  // namespace

int runBmpCommand(int argc, char **argv) {
  OutputFormat format = argc == 3 ? formatOf(argv[2]) : FORMAT_NONE;
  if (format == FORMAT_NONE) {
    printCommandUsage("bmp", stderr);
    return 2;
  }
  ImageRecord *image = loadPicture(argv[1]);
  if (!image) return 1;
  // The record's rows run bottom row first.
  errno = 0;
  bool written = format == FORMAT_PNG
                     ? writePng(argv[2], image->width, image->height, image->pixels, ROWS_BOTTOM_FIRST)
                     : writePpm(*image, argv[2]);
  const int error = errno;
  releaseImageRecord(image);
  if (!written) {
    return fileFailure(argv[2], error ? std::strerror(error) : "cannot be written");
  }
  return 0;
}
