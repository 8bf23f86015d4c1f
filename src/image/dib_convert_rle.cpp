// RLE8 and RLE4 decoding for the portable DIB converter. The stream is a
// sequence of two-byte codes: a non-zero count repeats a colour (RLE4: two
// alternating colours) that many times; a zero count is followed by an escape:
// 0 ends the row, 1 ends the picture, 2 moves right and up by the next two
// bytes, and 3 to 255 copy that many pixels stored literally, padded to an even
// byte count. Pixels the stream skips stay black. Runs reaching past the row's
// end are cut off there, and anything aimed above the top row is dropped; the
// stream must reach its end-of-picture code or the top of the picture before
// its bytes run out, else the picture is refused.
#include "image/dib_convert_internal.h"

namespace {

constexpr unsigned ESCAPE_END_OF_LINE = 0;
constexpr unsigned ESCAPE_END_OF_BITMAP = 1;
constexpr unsigned ESCAPE_DELTA = 2;

struct RleCursor {
  uint64_t x;
  uint64_t y;
};

// How many of count pixels starting at column x still fall inside the row.
inline uint32_t visiblePixels(uint64_t x, uint32_t count, uint32_t width) {
  if (x >= width) return 0;
  uint64_t room = width - x;
  return count < room ? count : static_cast<uint32_t>(room);
}

// A run of one colour (RLE8) or of two alternating colours (RLE4, high
// nibble first).
void writeRun(const DibJob &job, const DibPalette &palette, const RleCursor &at, unsigned count,
              unsigned value, bool four) {
  uint32_t visible = visiblePixels(at.x, count, job.width);
  if (visible == 0) return;
  unsigned char *out = job.rgb + at.y * job.outRowBytes + at.x * 3;
  if (!four) {
    fillPixels(out, visible, palette.colours[value]);
    return;
  }
  const PackedRgb pair[2] = {palette.colours[value >> 4], palette.colours[value & 15]};
  for (uint32_t i = 0; i < visible; ++i, out += 3) std::memcpy(out, &pair[i & 1], 3);
}

// Pixels stored literally: count indices, one a byte (RLE8) or one a nibble,
// high nibble first (RLE4).
void writeLiteral(const DibJob &job, const DibPalette &palette, const RleCursor &at,
                  const unsigned char *stored, unsigned count, bool four) {
  uint32_t visible = visiblePixels(at.x, count, job.width);
  if (visible == 0) return;
  unsigned char *out = job.rgb + at.y * job.outRowBytes + at.x * 3;
  for (uint32_t i = 0; i < visible; ++i, out += 3) {
    unsigned index = four ? (stored[i / 2] >> ((i & 1) ? 0 : 4)) & 15 : stored[i];
    std::memcpy(out, &palette.colours[index], 3);
  }
}

}  // namespace

DibConvertResult convertRle(const DibJob &job) {
  DibPalette palette;
  buildDibPalette(job, &palette);
  std::memset(job.rgb, 0, job.rows * job.outRowBytes);
  const bool four = job.header->biCompression == DIB_BI_RLE4;
  const unsigned char *code = job.source->pixels;
  size_t left = job.source->pixelBytes;
  RleCursor at{0, 0};
  while (at.y < job.rows) {
    if (left < 2) return DIB_CONVERSION_ERROR;
    unsigned count = code[0];
    unsigned value = code[1];
    code += 2;
    left -= 2;
    if (count > 0) {
      writeRun(job, palette, at, count, value, four);
      at.x += count;
    } else if (value == ESCAPE_END_OF_LINE) {
      at.x = 0;
      ++at.y;
    } else if (value == ESCAPE_END_OF_BITMAP) {
      return DIB_CONVERTED;
    } else if (value == ESCAPE_DELTA) {
      if (left < 2) return DIB_CONVERSION_ERROR;
      at.x += code[0];
      at.y += code[1];
      code += 2;
      left -= 2;
    } else {
      size_t stored = four ? (value + 1) / 2 : value;
      if (left < stored) return DIB_CONVERSION_ERROR;
      writeLiteral(job, palette, at, code, value, four);
      at.x += value;
      // Literal runs are padded to an even byte count; a missing final pad
      // byte only matters if more codes were needed, which the next read checks.
      size_t padded = stored + (stored & 1);
      if (padded > left) padded = left;
      code += padded;
      left -= padded;
    }
  }
  return DIB_CONVERTED;
}
