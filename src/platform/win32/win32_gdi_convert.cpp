// The DIB converter of the Windows build: GDI decodes the source into a 24-bit
// DIB section (CreateCompatibleDC, CreateDIBSection, SelectObject, SetDIBits,
// GdiFlush), and the rows are then copied out in red, green, blue order.
//
// GDI trusts its caller about the length of the pixel data and the colour
// table, so the source is first checked here as the portable converter checks
// it: uncompressed rows must lie inside the data (the last one may lack its
// padding), an RLE stream must reach its end code (or fill every row) inside
// the data, the plane count must be 1 and bit-field masks unscattered. GDI is
// then handed a header block of its own whose colour table is complete
// (entries the file does not have are black) and whose RLE length is the
// length of the data that is really there.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_gdi_convert.h"

#include "image/dib_format.h"

namespace {

// Checks what GDI would take on trust, and says how many bytes GDI will read
// from the pixel data. Returns false when the source cannot be handed to GDI
// without a read outside its data.
bool sourceFitsData(const DibSource &source, uint64_t *gdiReads) {
  const DibHeader &header = *source.header;
  uint32_t compression = header.biCompression;
  int64_t height = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
  if (header.biPlanes != 1) return false;  // GDI refuses only 0
  if (compression == DIB_BI_RLE8 || compression == DIB_BI_RLE4) {
    int bitCount = compression == DIB_BI_RLE8 ? 8 : 4;
    if (header.biBitCount != bitCount || header.biHeight < 0) return false;
    *gdiReads = source.pixelBytes;
    return dibRleStreamEnds(source.pixels, source.pixelBytes, bitCount == 4, static_cast<uint32_t>(height));
  }
  if (compression == DIB_BI_BITFIELDS) {
    if (!source.colourMasks || (header.biBitCount != 16 && header.biBitCount != 32)) return false;
    for (int channel = 0; channel < 3; ++channel) {
      uint32_t mask = readLe32(source.colourMasks + 4 * channel);
      if (!dibMaskContiguous(dibMaskInPixel(mask, header.biBitCount))) return false;
    }
  } else if (compression != DIB_BI_RGB) {
    return false;  // JPEG, PNG and the like: GDI would only hand them to a printer
  }
  // Every row but the last must be there whole; the last may lack its padding.
  // platformConvertDib's caller has checked that the sides are 1 to DIB_MAX_SIDE.
  uint32_t width = static_cast<uint32_t>(header.biWidth);
  uint32_t rows = static_cast<uint32_t>(height);
  *gdiReads = dibStride(width, header.biBitCount) * rows;
  return dibUncompressedBytes(width, rows, header.biBitCount) <= source.pixelBytes;
}

// The source header block for GDI: the widened header, then either the three
// colour masks or a full colour table of 2^bitCount entries (those beyond the
// file's own entries black), with biClrUsed and biSizeImage saying exactly
// that. Returns null when the block cannot be allocated.
BITMAPINFO *makeSourceInfo(const DibSource &source) {
  const DibHeader &header = *source.header;
  uint32_t tableEntries = 0;
  if (header.biCompression == DIB_BI_BITFIELDS) {
    tableEntries = 3;
  } else if (header.biBitCount <= 8) {
    tableEntries = 1u << header.biBitCount;
  }
  size_t size = sizeof(BITMAPINFOHEADER) + tableEntries * sizeof(RGBQUAD);
  BITMAPINFO *info = static_cast<BITMAPINFO *>(LocalAlloc(LPTR, size));
  if (!info) return nullptr;
  std::memcpy(&info->bmiHeader, &header, sizeof(BITMAPINFOHEADER));
  if (header.biCompression == DIB_BI_BITFIELDS) {
    std::memcpy(info->bmiColors, source.colourMasks, 3 * sizeof(uint32_t));
    info->bmiHeader.biClrUsed = 0;
  } else {
    uint32_t copied = source.colourCount < tableEntries ? source.colourCount : tableEntries;
    std::memcpy(info->bmiColors, dibColours(source.header), copied * sizeof(RGBQUAD));
    info->bmiHeader.biClrUsed = tableEntries;
  }
  info->bmiHeader.biClrImportant = 0;
  if (header.biCompression == DIB_BI_RLE8 || header.biCompression == DIB_BI_RLE4) {
    info->bmiHeader.biSizeImage = static_cast<DWORD>(source.pixelBytes);
  }
  return info;
}

// Copies the 24-bit target (rows padded to 4 bytes, blue first) into packed
// red, green, blue rows; both run bottom row first.
void copyTargetRows(const unsigned char *target, int32_t width, int32_t height, unsigned char *rgb) {
  const size_t padding = dibStride(static_cast<uint32_t>(width), 24) - static_cast<size_t>(width) * 3;
  for (int32_t row = 0; row < height; ++row) {
    for (int32_t column = 0; column < width; ++column) {
      rgb[0] = target[2];
      rgb[1] = target[1];
      rgb[2] = target[0];
      rgb += 3;
      target += 3;
    }
    target += padding;
  }
}

}  // namespace

DibConvertResult convertDibWithGdi(const DibSource &source, unsigned char *rgb) {
  uint64_t gdiReads = 0;
  if (!sourceFitsData(source, &gdiReads)) return DIB_CONVERSION_ERROR;

  const int32_t width = source.header->biWidth;
  const int32_t height = std::abs(source.header->biHeight);
  DibConvertResult result = DIB_OUT_OF_MEMORY;
  BITMAPINFO *sourceInfo = nullptr;
  const unsigned char *pixels = source.pixels;
  unsigned char *paddedCopy = nullptr;
  BITMAPINFO *targetInfo = nullptr;
  HBITMAP target = nullptr;
  void *targetBits = nullptr;

  HDC memoryDc = CreateCompatibleDC(nullptr);
  if (memoryDc) targetInfo = static_cast<BITMAPINFO *>(LocalAlloc(LPTR, sizeof(BITMAPINFO)));
  if (targetInfo) {
    // The target runs bottom-up whatever the source does, so that GDI turns a
    // top-down source upright on the way in.
    targetInfo->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    targetInfo->bmiHeader.biWidth = width;
    targetInfo->bmiHeader.biHeight = height;
    targetInfo->bmiHeader.biPlanes = 1;
    targetInfo->bmiHeader.biBitCount = 24;
    targetInfo->bmiHeader.biCompression = BI_RGB;
    // The packed size of the output, as the target header has always said;
    // GDI works out the padded size of a BI_RGB section itself.
    targetInfo->bmiHeader.biSizeImage = static_cast<DWORD>(height) * static_cast<DWORD>(width) * 3;
    target = CreateDIBSection(memoryDc, targetInfo, DIB_RGB_COLORS, &targetBits, nullptr, 0);
  }
  if (target && targetBits && SelectObject(memoryDc, target)) sourceInfo = makeSourceInfo(source);
  if (sourceInfo && gdiReads > source.pixelBytes) {
    // The file stops inside the last row's padding, which GDI would still
    // read: it gets a copy with the padding filled in.
    paddedCopy = static_cast<unsigned char *>(LocalAlloc(LPTR, static_cast<SIZE_T>(gdiReads)));
    if (paddedCopy) std::memcpy(paddedCopy, source.pixels, source.pixelBytes);
    pixels = paddedCopy;
  }
  if (sourceInfo && pixels) {
    int lines = SetDIBits(memoryDc, target, 0, static_cast<UINT>(height), pixels, sourceInfo,
                          DIB_RGB_COLORS);
    if (lines == 0) {
      result = DIB_CONVERSION_ERROR;
    } else {
      GdiFlush();
      copyTargetRows(static_cast<const unsigned char *>(targetBits), width, height, rgb);
      result = DIB_CONVERTED;
    }
  }

  if (memoryDc) DeleteDC(memoryDc);
  if (target) DeleteObject(target);
  if (targetInfo) LocalFree(targetInfo);
  if (sourceInfo) LocalFree(sourceInfo);
  if (paddedCopy) LocalFree(paddedCopy);
  return result;
}
