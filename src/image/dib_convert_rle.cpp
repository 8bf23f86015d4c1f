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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// walkRle without a visitor, faster: runs never move the row, so the walk
// looks for the next code with a zero count 16 bytes at a time and steps
// over the runs before it unread. Every code starts at an even offset from
// the first (literal groups are padded to an even byte count), so only the
// zero bytes at even offsets count.
bool rleStreamEndsScanning(const unsigned char *code, size_t left, bool four, uint32_t rows) {
  const __m128i zero = _mm_setzero_si128();
  uint64_t y = 0;
  while (y < rows) {
    size_t skipped = 0;
    for (;;) {
      if (left - skipped < 16) {
        while (left - skipped >= 2 && code[skipped] != 0) skipped += 2;
        break;
      }
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(code + skipped));
      unsigned zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero))) & 0x5555u;
      if (zeros) {
        skipped += static_cast<unsigned>(__builtin_ctz(zeros));
        break;
      }
      skipped += 16;
    }
    code += skipped;
    left -= skipped;
    if (left < 2) return false;
    // An escape.
    unsigned value = code[1];
    code += 2;
    left -= 2;
    if (value == ESCAPE_END_OF_LINE) {
      ++y;
    } else if (value == ESCAPE_END_OF_BITMAP) {
      return true;
    } else if (value == ESCAPE_DELTA) {
      if (left < 2) return false;
      y += code[1];
      code += 2;
      left -= 2;
    } else {
      size_t stored = four ? (value + 1) / 2 : value;
      if (left < stored) return false;
      size_t padded = stored + (stored & 1);
      if (padded > left) padded = left;
      code += padded;
      left -= padded;
    }
  }
  return true;
}
#endif

// How many of count pixels starting at column x still fall inside the row.
inline uint32_t visiblePixels(uint64_t x, uint32_t count, uint32_t width) {
  if (x >= width) return 0;
  uint64_t room = width - x;
  return count < room ? count : static_cast<uint32_t>(room);
}

// The reference decoder: paints runs and literal pixels at the cursor into
// the zero-filled output, exactly the pixels the codes name, so pixels the
// stream skips stay black unwritten.
struct RlePainter {
  const DibJob &job;
  const DibPalette &palette;
  bool four;
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

  void endOfLine() {
    x = 0;
    ++y;
  }
  void delta(unsigned right, unsigned up) {
    x += right;
    y += up;
  }
};

// The fast decoder's tables, built once a picture: for every code value the
// run it paints as 16 pixels (48 bytes; RLE8: one colour, RLE4: the two
// nibbles' colours in turn), and for RLE4 literals every stored byte as its
// two pixels (6 bytes, kept in 8).
struct RleTables {
  unsigned char runs[256][48];
  unsigned char literalPairs[256][8];
};

void buildRleTables(const DibPalette &palette, bool four, RleTables *tables) {
  for (unsigned value = 0; value < 256; ++value) {
    const PackedRgb pair[2] = {palette.colours[four ? value >> 4 : value],
                               palette.colours[four ? value & 15 : value]};
    for (int i = 0; i < 16; ++i) std::memcpy(tables->runs[value] + 3 * i, &pair[i & 1], 3);
    std::memcpy(tables->literalPairs[value], &pair[0], 4);
    std::memcpy(tables->literalPairs[value] + 3, &pair[1], 4);
  }
}

// The fast decoder: the reference's pixels, written with wide stores.
//
// A run is stored as whole steps of 16 pixels (48 bytes) copied from its
// table entry, at least two steps whatever its length, so that nearly all
// runs (up to 32 pixels) take no branch on their length; literal pixels are
// stored with 4 or 8-byte stores. Both spill past their end. The stream only
// ever writes further on in the block (rows go up, the cursor goes right),
// so a spill is overwritten by the pixels that follow,
// or, where the cursor jumps instead (end of line, delta, end of picture),
// cleared back to black before it moves. spillEnd is the end of the bytes
// written so far; nothing is stored past the block's end (a code too close
// to it is painted pixel by pixel).
//
// Same walk as walkRle, with the cursor kept as the row's address and the
// column, and the same refusal when the bytes run out first. It is written
// out rather than made a visitor of walkRle: as a visitor, whose cursor lives
// in fields that every byte store may alias, it loaded pictures about 8%
// slower.
template <bool FOUR>
bool decodeRleWide(const DibJob &job, const DibPalette &palette, const RleTables &tables) {
  const unsigned char *code = job.source->pixels;
  size_t left = job.source->pixelBytes;
  const uint32_t width = job.width;
  const uint32_t rows = job.rows;
  const size_t rowBytes = job.outRowBytes;
  unsigned char *const rgb = job.rgb;
  unsigned char *const blockEnd = rgb + rows * rowBytes;
  unsigned char *row = rgb;  // row y, valid while y < rows
  unsigned char *spillEnd = row;
  uint64_t x = 0;
  uint64_t y = 0;
  auto clearSpill = [&] {
    unsigned char *cursor = row + (x < width ? x : width) * 3;
    if (spillEnd > cursor) std::memset(cursor, 0, static_cast<size_t>(spillEnd - cursor));
    spillEnd = cursor;
  };
  while (y < rows) {
    if (left < 2) return false;
    unsigned count = code[0];
    unsigned value = code[1];
    code += 2;
    left -= 2;
    if (count > 0) {
      if (x < width) {
        uint32_t visible = visiblePixels(x, count, width);
        unsigned char *out = row + x * 3;
        size_t stored = static_cast<size_t>(visible <= 32 ? 32 : (visible + 15) & ~15u) * 3;
        if (static_cast<size_t>(blockEnd - out) >= stored) {
          const unsigned char *pattern = tables.runs[value];
          std::memcpy(out, pattern, 48);
          std::memcpy(out + 48, pattern, 48);
          for (size_t done = 96; done < stored; done += 48) std::memcpy(out + done, pattern, 48);
          if (out + stored > spillEnd) spillEnd = out + stored;
        } else {
          for (uint32_t i = 0; i < visible; ++i) std::memcpy(out + 3 * i, tables.runs[value] + 3 * (i & 1), 3);
        }
      }
      x += count;
    } else if (value == ESCAPE_END_OF_LINE) {
      clearSpill();
      x = 0;
      ++y;
      row += rowBytes;
    } else if (value == ESCAPE_END_OF_BITMAP) {
      break;
    } else if (value == ESCAPE_DELTA) {
      if (left < 2) return false;
      clearSpill();
      x += code[0];
      y += code[1];
      if (y < rows) row = rgb + y * rowBytes;
      code += 2;
      left -= 2;
    } else {
      size_t bytes = FOUR ? (value + 1) / 2 : value;
      if (left < bytes) return false;
      if (x < width) {
        uint32_t visible = visiblePixels(x, value, width);
        unsigned char *out = row + x * 3;
        if (static_cast<size_t>(blockEnd - out) >= static_cast<size_t>(visible) * 3 + 2) {
          // Whole pairs (RLE4) or single pixels (RLE8), each store spilling
          // into the next.
          if (FOUR) {
            uint32_t i = 0;
            for (; i + 2 <= visible; i += 2) std::memcpy(out + 3 * i, tables.literalPairs[code[i / 2]], 8);
            if (i < visible) std::memcpy(out + 3 * i, tables.literalPairs[code[i / 2]], 4);
          } else {
            for (uint32_t i = 0; i < visible; ++i) std::memcpy(out + 3 * i, &palette.colours[code[i]], 4);
          }
          unsigned char *end = out + static_cast<size_t>(visible) * 3 + 2;
          if (end > spillEnd) spillEnd = end;
        } else {
          for (uint32_t i = 0; i < visible; ++i) {
            unsigned index = FOUR ? (code[i / 2] >> ((i & 1) ? 0 : 4)) & 15 : code[i];
            std::memcpy(out + 3 * i, &palette.colours[index], 3);
          }
        }
      }
      x += value;
      size_t padded = bytes + (bytes & 1);
      if (padded > left) padded = left;
      code += padded;
      left -= padded;
    }
  }
  if (y < rows) clearSpill();
  return true;
}


}  // namespace

bool dibRleStreamEnds(const unsigned char *data, size_t bytes, bool fourBit, uint32_t rows) {
#if defined(__SSE2__)
  if (dibVectorPathsAllowed()) return rleStreamEndsScanning(data, bytes, fourBit, rows);
#endif
  NoVisit none;
  return walkRle(data, bytes, fourBit, rows, none);
}

DibConvertResult convertRle(const DibJob &job) {
  DibPalette palette;
  buildDibPalette(job, &palette);
  const bool four = job.header->biCompression == DIB_BI_RLE4;
  if (dibVectorPathsAllowed()) {
    RleTables tables;
    buildRleTables(palette, four, &tables);
    bool ended = four ? decodeRleWide<true>(job, palette, tables) : decodeRleWide<false>(job, palette, tables);
    return ended ? DIB_CONVERTED : DIB_CONVERSION_ERROR;
  }
  RlePainter painter{job, palette, four};
  return walkRle(job.source->pixels, job.source->pixelBytes, four, job.rows, painter) ? DIB_CONVERTED
                                                                                     : DIB_CONVERSION_ERROR;
}
