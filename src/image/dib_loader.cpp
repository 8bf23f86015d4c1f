// The BMP loader: maps the file, reads its headers where they lie, widens a
// core or info header into one 40-byte header block with its colour entries,
// checks every size against the file's length, and has the platform's DIB
// converter write the RGB rows straight into the new picture's pixel block.
// Every failure ends in one message box and a null result.
#include "image/dib_loader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/dib_format.h"
#include "platform/platform.h"

namespace {

const char *const ERROR_CAPTION = "Error";
const char *const OUT_OF_MEMORY = "Out of memory.";
const char *const UNKNOWN_FORMAT = "Unknown DIB file format.";
const char *const CONVERSION_ERROR = "Image file conversion error.";
const char *const OPEN_FAILED_FORMAT = "Failed to open DIB file %s.\n";

constexpr size_t OPEN_FAILED_BUFFER = 256;
constexpr size_t BITFIELD_MASKS_SIZE = 12;

void showError(const char *text) {
  platformShowMessageBox(MESSAGE_OWNER_FOCUS_WINDOW, ERROR_CAPTION, text);
}

// Reads a bitmap header of either form into the 40-byte form. The core form
// has 16-bit unsigned sides and no compression; its colour count stands in
// for the fields it lacks.
DibHeader widenHeader(const unsigned char *header, uint16_t colourCount) {
  DibHeader wide{};
  wide.biSize = BMP_INFO_HEADER_SIZE;
  if (readLe32(header) == BMP_CORE_HEADER_SIZE) {
    wide.biWidth = readLe16(header + 4);
    wide.biHeight = readLe16(header + 6);
    wide.biPlanes = readLe16(header + 8);
    wide.biBitCount = readLe16(header + 10);
    wide.biCompression = DIB_BI_RGB;
    wide.biClrUsed = colourCount;
    wide.biClrImportant = colourCount;
  } else {
    wide.biWidth = static_cast<int32_t>(readLe32(header + 4));
    wide.biHeight = static_cast<int32_t>(readLe32(header + 8));
    wide.biPlanes = readLe16(header + 12);
    wide.biBitCount = readLe16(header + 14);
    wide.biCompression = readLe32(header + 16);
    wide.biSizeImage = readLe32(header + 20);
    wide.biXPelsPerMeter = static_cast<int32_t>(readLe32(header + 24));
    wide.biYPelsPerMeter = static_cast<int32_t>(readLe32(header + 28));
    wide.biClrUsed = readLe32(header + 32);
    wide.biClrImportant = readLe32(header + 36);
  }
  // Rows without padding times the height, in 32-bit arithmetic; only the
  // converter of the Windows build looks at it.
  if (wide.biSizeImage == 0) {
    uint32_t rowBytes = (static_cast<uint32_t>(wide.biWidth) * wide.biBitCount + 7) >> 3;
    wide.biSizeImage = rowBytes * static_cast<uint32_t>(wide.biHeight);
  }
  if (wide.biClrUsed == 0) wide.biClrUsed = colourCount;
  return wide;
}

bool sidesAcceptable(const DibHeader &header) {
  int64_t rows = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
  return header.biWidth > 0 && header.biWidth <= DIB_MAX_SIDE && rows > 0 && rows <= DIB_MAX_SIDE;
}

// The widened header block: the header followed by its colour entries, taken
// from the file's 3-byte (core) or 4-byte (info) entries.
DibHeader *makeHeaderBlock(const DibHeader &wide, const unsigned char *entries, uint16_t count,
                           bool core) {
  // Room for the header and count entries, plus the one entry the block's
  // classic layout always carries.
  size_t blockSize = sizeof(DibHeader) + sizeof(DibColour) * (static_cast<size_t>(count) + 1);
  DibHeader *block = static_cast<DibHeader *>(std::malloc(blockSize));
  if (!block) return nullptr;
  std::memcpy(block, &wide, sizeof wide);
  unsigned char *colours = reinterpret_cast<unsigned char *>(block + 1);
  if (core) {
    for (size_t i = 0; i < count; ++i) {
      std::memcpy(colours + 4 * i, entries + 3 * i, 3);
      colours[4 * i + 3] = 0;
    }
  } else {
    std::memcpy(colours, entries, 4 * static_cast<size_t>(count));
  }
  return block;
}

}  // namespace

uint16_t dibColorCount(const unsigned char *header) {
  uint16_t bitCount;
  if (readLe32(header) == BMP_CORE_HEADER_SIZE) {
    bitCount = readLe16(header + 10);
  } else {
    uint32_t used = readLe32(header + 32);
    if (used != 0) return static_cast<uint16_t>(used & 0xFFFF);
    bitCount = readLe16(header + 14);
  }
  switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

namespace {

// Everything of loadDibMemory but the release of a failed load's pixel
// block: that is left in *unusedPixels (null when there is none), so that
// loadDibFile can release it last, after the file.
ImageRecord *readDib(const unsigned char *bytes, size_t size, unsigned char **unusedPixels) {
  *unusedPixels = nullptr;
  bool fileHeader = size >= 2 && readLe16(bytes) == BMP_FILE_MAGIC;
  size_t headerAt = fileHeader ? BMP_FILE_HEADER_SIZE : 0;
  if (size < headerAt + 4) {
    showError(UNKNOWN_FORMAT);
    return nullptr;
  }
  const unsigned char *header = bytes + headerAt;
  uint32_t headerSize = readLe32(header);
  if ((headerSize != BMP_CORE_HEADER_SIZE && headerSize != BMP_INFO_HEADER_SIZE) ||
      size - headerAt < headerSize) {
    showError(UNKNOWN_FORMAT);
    return nullptr;
  }
  bool core = headerSize == BMP_CORE_HEADER_SIZE;
  uint16_t colourCount = dibColorCount(header);
  DibHeader wide = widenHeader(header, colourCount);
  if (!sidesAcceptable(wide)) {
    showError(CONVERSION_ERROR);
    return nullptr;
  }

  // The colour entries follow the header (and a bit-field picture's three
  // masks); without a file header the pixel data follows them directly.
  bool bitfields = !core && wide.biCompression == DIB_BI_BITFIELDS;
  uint64_t tableAt = headerAt + headerSize + (bitfields ? BITFIELD_MASKS_SIZE : 0);
  uint64_t tableEnd = tableAt + static_cast<uint64_t>(colourCount) * (core ? 3 : 4);
  uint64_t pixelsAt = fileHeader ? readLe32(bytes + 10) : tableEnd;
  if (tableEnd > size || pixelsAt > size) {
    showError(CONVERSION_ERROR);
    return nullptr;
  }
  // A short uncompressed picture is refused before its block is allocated,
  // so a small file cannot claim gigabytes.
  int32_t rows = wide.biHeight < 0 ? -wide.biHeight : wide.biHeight;
  if ((wide.biCompression == DIB_BI_RGB || wide.biCompression == DIB_BI_BITFIELDS) &&
      dibUncompressedBytes(static_cast<uint32_t>(wide.biWidth), static_cast<uint32_t>(rows),
                           wide.biBitCount) > size - pixelsAt) {
    showError(CONVERSION_ERROR);
    return nullptr;
  }
  // So is a run-length stream that runs out before it ends the picture,
  // after one walk over its codes: a few bytes can claim 32768 x 32768.
  bool runLength = wide.biCompression == DIB_BI_RLE8 || wide.biCompression == DIB_BI_RLE4;
  if (runLength && !dibRleStreamEnds(bytes + pixelsAt, size - pixelsAt, wide.biCompression == DIB_BI_RLE4,
                                     static_cast<uint32_t>(rows))) {
    showError(CONVERSION_ERROR);
    return nullptr;
  }

  DibHeader *block = makeHeaderBlock(wide, bytes + tableAt, colourCount, core);
  if (!block) {
    showError(OUT_OF_MEMORY);
    return nullptr;
  }
  DibSource source{};
  source.header = block;
  source.colourCount = colourCount;
  source.colourMasks = bitfields ? header + BMP_INFO_HEADER_SIZE : nullptr;
  source.pixels = bytes + pixelsAt;
  source.pixelBytes = size - pixelsAt;

  uint64_t pixelBytes = static_cast<uint64_t>(rows) * static_cast<uint64_t>(wide.biWidth) * 3;
  // At most 32768 x 32768 x 3 bytes, which a 32-bit size_t still holds.
  // Zero-filled: the pixels a run-length stream skips are black without a
  // write, and fresh pages cost nothing until they are touched.
  unsigned char *pixels = static_cast<unsigned char *>(std::calloc(static_cast<size_t>(pixelBytes), 1));
  ImageRecord *record = nullptr;
  if (!pixels) {
    showError(OUT_OF_MEMORY);
  } else {
    DibConvertResult result = platformConvertDib(source, pixels);
    if (result == DIB_OUT_OF_MEMORY) {
      showError(OUT_OF_MEMORY);
    } else if (result != DIB_CONVERTED) {
      showError(CONVERSION_ERROR);
    } else {
      record = static_cast<ImageRecord *>(std::malloc(sizeof(ImageRecord)));
      if (!record) showError(OUT_OF_MEMORY);
    }
  }
  std::free(block);
  if (!record) {
    *unusedPixels = pixels;
    return nullptr;
  }
  record->width = wide.biWidth;
  record->height = rows;
  record->pixels = pixels;
  return record;
}

}  // namespace

ImageRecord *loadDibMemory(const unsigned char *bytes, size_t size) {
  unsigned char *unusedPixels;
  ImageRecord *record = readDib(bytes, size, &unusedPixels);
  std::free(unusedPixels);
  return record;
}

void showDibOpenFailed(const char *fileName) {
  char text[OPEN_FAILED_BUFFER];
  std::snprintf(text, sizeof text, OPEN_FAILED_FORMAT, fileName);
  showError(text);
}

ImageRecord *loadDibFile(const char *fileName) {
  FileView view;
  if (!platformMapFile(fileName, &view)) {
    showDibOpenFailed(fileName);
    return nullptr;
  }
  // Released in this order: the header block (above), the view, mapping and
  // file, and last the pixel block of a failed load.
  unsigned char *unusedPixels;
  ImageRecord *record = readDib(view.bytes, view.size, &unusedPixels);
  platformUnmapFile(&view);
  std::free(unusedPixels);
  return record;
}
