// RLE8 and RLE4 decoding for the portable DIB converter. The stream is a
// sequence of two-byte codes: a non-zero count repeats a colour (RLE4: two
// alternating colours) that many times; a zero count is followed by an escape:
// 0 ends the row, 1 ends the picture, 2 moves right and up by the next two
// bytes, and 3 to 255 copy that many pixels stored literally, padded to an even
// byte count. Pixels the stream skips come out black; each output byte is
// written once, the black ones as the decoder passes them. Runs reaching past the row's
// end are cut off there, and anything aimed above the top row is dropped; the
// stream must reach its end-of-picture code or the top of the picture before
// its bytes run out, else the picture is refused.
#include "image/dib_convert_internal.h"

namespace {

constexpr unsigned ESCAPE_END_OF_LINE = 0;
constexpr unsigned ESCAPE_END_OF_BITMAP = 1;
constexpr unsigned ESCAPE_DELTA = 2;

// Where the stream has got to, and how far the output is written: every
// pixel before filled (counted row by row from the bottom left) is final.
struct RleCursor {
  uint64_t x;
  uint64_t y;
  uint64_t filled;
};

// How many of count pixels starting at column x still fall inside the row.
inline uint32_t visiblePixels(uint64_t x, uint32_t count, uint32_t width) {
  if (x >= width) return 0;
  uint64_t room = width - x;
  return count < room ? count : static_cast<uint32_t>(room);
}

// Blackens the pixels from the last one written up to pixel end. The cursor
// only ever moves forward, so nothing written is blackened again.
inline void blankUntil(const DibJob &job, RleCursor &at, uint64_t end) {
  if (end <= at.filled) return;
  std::memset(job.rgb + at.filled * 3, 0, (end - at.filled) * 3);
  at.filled = end;
}

// The output of the visible pixels of a run starting at the cursor, with the
// pixels skipped before it blackened; null when none of it is visible.
unsigned char *startPixels(const DibJob &job, RleCursor &at, uint32_t visible) {
  if (visible == 0) return nullptr;
  uint64_t start = at.y * job.width + at.x;
  blankUntil(job, at, start);
  at.filled = start + visible;
  return job.rgb + start * 3;
}

// A run of one colour (RLE8) or of two alternating colours (RLE4, high
// nibble first).
void writeRun(const DibJob &job, const DibPalette &palette, RleCursor &at, unsigned count,
              unsigned value, bool four) {
  uint32_t visible = visiblePixels(at.x, count, job.width);
  unsigned char *out = startPixels(job, at, visible);
  if (!out) return;
  if (!four) {
    fillPixels(out, visible, palette.colours[value]);
    return;
  }
  const PackedRgb pair[2] = {palette.colours[value >> 4], palette.colours[value & 15]};
  for (uint32_t i = 0; i < visible; ++i, out += 3) std::memcpy(out, &pair[i & 1], 3);
}

// Pixels stored literally: count indices, one a byte (RLE8) or one a nibble,
// high nibble first (RLE4).
void writeLiteral(const DibJob &job, const DibPalette &palette, RleCursor &at,
                  const unsigned char *stored, unsigned count, bool four) {
  uint32_t visible = visiblePixels(at.x, count, job.width);
  unsigned char *out = startPixels(job, at, visible);
  if (!out) return;
  for (uint32_t i = 0; i < visible; ++i, out += 3) {
    unsigned index = four ? (stored[i / 2] >> ((i & 1) ? 0 : 4)) & 15 : stored[i];
    std::memcpy(out, &palette.colours[index], 3);
  }
}

}  // namespace

DibConvertResult convertRle(const DibJob &job) {
  DibPalette palette;
  buildDibPalette(job, &palette);
  const bool four = job.header->biCompression == DIB_BI_RLE4;
  const uint64_t pixels = static_cast<uint64_t>(job.rows) * job.width;
  const unsigned char *code = job.source->pixels;
  size_t left = job.source->pixelBytes;
  RleCursor at{0, 0, 0};
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
      break;
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
  blankUntil(job, at, pixels);
  return DIB_CONVERTED;
}
