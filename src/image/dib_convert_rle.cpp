// RLE8 and RLE4 decoding for the portable DIB converter. The stream is a
// sequence of two-byte codes: a non-zero count repeats a colour (RLE4: two
// alternating colours) that many times; a zero count is followed by an escape:
// 0 ends the row, 1 ends the picture, 2 moves right and up by the next two
// bytes, and 3 to 255 copy that many pixels stored literally, padded to an even
// byte count. Pixels the stream skips are not written: the output block comes
// zero-filled, so they are black already, and a stream that ends the picture
// early costs no writes. Runs reaching past the row's end are cut off there,
// and anything aimed above the top row is dropped; the stream must reach its
// end-of-picture code or the top of the picture before its bytes run out, else
// the picture is refused.
#include "image/dib_convert_internal.h"

namespace {

constexpr unsigned ESCAPE_END_OF_LINE = 0;
constexpr unsigned ESCAPE_END_OF_BITMAP = 1;
constexpr unsigned ESCAPE_DELTA = 2;

// Walks the stream code by code until its end-of-bitmap code, or until its
// end-of-line and delta codes have moved past the last row, and hands each
// code to the visitor: run(count, value), literal(stored, count),
// endOfLine(), delta(right, up). Returns false when the bytes run out first.
// Never reads outside [code, code + left).
template <typename Visitor>
bool walkRle(const unsigned char *code, size_t left, bool four, uint32_t rows, Visitor &visit) {
  uint64_t y = 0;
  while (y < rows) {
    if (left < 2) return false;
    unsigned count = code[0];
    unsigned value = code[1];
    code += 2;
    left -= 2;
    if (count > 0) {
      visit.run(count, value);
    } else if (value == ESCAPE_END_OF_LINE) {
      visit.endOfLine();
      ++y;
    } else if (value == ESCAPE_END_OF_BITMAP) {
      return true;
    } else if (value == ESCAPE_DELTA) {
      if (left < 2) return false;
      visit.delta(code[0], code[1]);
      y += code[1];
      code += 2;
      left -= 2;
    } else {
      size_t stored = four ? (value + 1) / 2 : value;
      if (left < stored) return false;
      visit.literal(code, value);
      // Literal runs are padded to an even byte count; a missing final pad
      // byte only matters if more codes were needed, which the next read checks.
      size_t padded = stored + (stored & 1);
      if (padded > left) padded = left;
      code += padded;
      left -= padded;
    }
  }
  return true;
}

// The walk alone, for checking a stream before anything is allocated for it.
struct NoVisit {
  void run(unsigned, unsigned) {}
  void literal(const unsigned char *, unsigned) {}
  void endOfLine() {}
  void delta(unsigned, unsigned) {}
};

// How many of count pixels starting at column x still fall inside the row.
inline uint32_t visiblePixels(uint64_t x, uint32_t count, uint32_t width) {
  if (x >= width) return 0;
  uint64_t room = width - x;
  return count < room ? count : static_cast<uint32_t>(room);
}

// The bytes fillPairsWide writes for count pixels: whole steps of 8 pixels
// (24 bytes), and never fewer than two steps.
inline size_t wideBytes(uint32_t count) { return (count <= 16 ? 2 : (count + 7) / 8) * size_t{24}; }

// At least count pixels alternating first, second (the same twice for one
// colour) from out, as wideBytes(count) bytes of the 6-byte pair pattern,
// three 64-bit stores a step; returns the end of what was written. The first
// two steps are stored whatever the count, so most runs (up to 16 pixels)
// take no branch that depends on their length.
inline unsigned char *fillPairsWide(unsigned char *out, uint32_t count, PackedRgb first, PackedRgb second) {
  uint64_t pair = static_cast<uint64_t>(first & 0xFFFFFF) | (static_cast<uint64_t>(second & 0xFFFFFF) << 24);
  // Three separate words, so that they stay in registers: read back from
  // memory as one wider load, they would wait for the stores to drain.
  const uint64_t word0 = pair | pair << 48;
  const uint64_t word1 = pair >> 16 | pair << 32;
  const uint64_t word2 = pair >> 32 | pair << 16;
  auto step = [&](unsigned char *at) {
    std::memcpy(at, &word0, 8);
    std::memcpy(at + 8, &word1, 8);
    std::memcpy(at + 16, &word2, 8);
  };
  step(out);
  step(out + 24);
  out += 48;
  for (uint32_t done = 16; done < count; done += 8, out += 24) step(out);
  return out;
}

// The packed colours' byte order that fillPairsWide relies on.
constexpr bool WIDE_STORES_FIT =
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    true;
#else
    false;
#endif

// The decoder: paints runs and literal pixels at the cursor into the
// zero-filled output, so pixels the stream skips stay black unwritten.
//
// With wide stores a run is stored in whole steps of 8 pixels, at least 16,
// spilling past its end. The stream only ever writes further on in the block
// (rows go up, the cursor goes right), so the spill is overwritten by the
// pixels that follow, or, where the cursor jumps instead (end of line, delta,
// end of picture), cleared back to black before it moves. spillEnd is the end
// of the bytes written so far; nothing is stored past the block's end.
struct RlePainter {
  const DibJob &job;
  const DibPalette &palette;
  bool four;
  bool wide;
  unsigned char *blockEnd;
  unsigned char *spillEnd;
  uint64_t x = 0;
  uint64_t y = 0;

  // The output of the visible part of count pixels at the cursor (rows above
  // the top are not visible), or null when none of them is; moves the cursor.
  unsigned char *take(unsigned count, uint32_t *visible) {
    *visible = y < job.rows ? visiblePixels(x, count, job.width) : 0;
    unsigned char *out = *visible ? job.rgb + (y * job.width + x) * 3 : nullptr;
    x += count;
    return out;
  }

  // One colour (RLE8) or two alternating colours (RLE4, high nibble first).
  void run(unsigned count, unsigned value) {
    uint32_t visible;
    unsigned char *out = take(count, &visible);
    if (!out) return;
    const PackedRgb first = palette.colours[four ? value >> 4 : value];
    const PackedRgb second = palette.colours[four ? value & 15 : value];
    if (wide && static_cast<size_t>(blockEnd - out) >= wideBytes(visible)) {
      unsigned char *end = fillPairsWide(out, visible, first, second);
      if (end > spillEnd) spillEnd = end;
      return;
    }
    if (!four) {
      fillPixels(out, visible, first);
      return;
    }
    const PackedRgb pair[2] = {first, second};
    for (uint32_t i = 0; i < visible; ++i, out += 3) std::memcpy(out, &pair[i & 1], 3);
  }

  // count indices stored literally, one a byte (RLE8) or one a nibble, high
  // nibble first (RLE4).
  void literal(const unsigned char *stored, unsigned count) {
    uint32_t visible;
    unsigned char *out = take(count, &visible);
    if (!out) return;
    for (uint32_t i = 0; i < visible; ++i, out += 3) {
      unsigned index = four ? (stored[i / 2] >> ((i & 1) ? 0 : 4)) & 15 : stored[i];
      std::memcpy(out, &palette.colours[index], 3);
    }
  }

  // Clears whatever a run spilled past the cursor, before the cursor jumps.
  void clearSpill() {
    if (!spillEnd) return;
    unsigned char *cursor =
        y < job.rows ? job.rgb + (y * job.width + (x < job.width ? x : job.width)) * 3 : blockEnd;
    if (spillEnd > cursor) std::memset(cursor, 0, static_cast<size_t>(spillEnd - cursor));
    spillEnd = nullptr;
  }

  void endOfLine() {
    clearSpill();
    x = 0;
    ++y;
  }
  void delta(unsigned right, unsigned up) {
    clearSpill();
    x += right;
    y += up;
  }
};

}  // namespace

bool dibRleStreamEnds(const unsigned char *data, size_t bytes, bool fourBit, uint32_t rows) {
  NoVisit none;
  return walkRle(data, bytes, fourBit, rows, none);
}

DibConvertResult convertRle(const DibJob &job) {
  DibPalette palette;
  buildDibPalette(job, &palette);
  const bool four = job.header->biCompression == DIB_BI_RLE4;
  unsigned char *blockEnd = job.rgb + static_cast<size_t>(job.rows) * job.outRowBytes;
  RlePainter painter{job, palette, four, WIDE_STORES_FIT && dibVectorPathsAllowed(), blockEnd, nullptr};
  if (!walkRle(job.source->pixels, job.source->pixelBytes, four, job.rows, painter)) {
    return DIB_CONVERSION_ERROR;
  }
  painter.clearSpill();
  return DIB_CONVERTED;
}
