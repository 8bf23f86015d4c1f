// The project's own DIB converter: checks the widened header, picks the decoder
// for its bit count and compression, and holds the palette-based decoders
// (uncompressed 1, 4 and 8 bits). Every decoder writes whole output rows from
// lookup tables built once per picture, so the inner loops never branch on the
// format.
#include "image/dib_convert.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "image/dib_convert_internal.h"

namespace {

// The output block is fresh memory that the converter is the first to touch,
// so for a large picture most of the conversion time would go to faulting it
// in 4 KB pages. Asking the kernel for 2 MB pages there cuts the faults 512
// times (a 4096 x 4096 picture loads about three times as fast). Only the
// 2 MB-aligned middle of the block is advised, so the advice covers no other
// allocation, and the block stays an ordinary heap block that free releases.
// The advice may be ignored (transparent huge pages off); nothing depends on it.
void adviseHugePages(unsigned char *block, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t HUGE_PAGE = uintptr_t{2} << 20;
  if (bytes < 4 * HUGE_PAGE) return;
  uintptr_t start = (reinterpret_cast<uintptr_t>(block) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(HUGE_PAGE - 1);
  if (end > start) madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
#else
  (void)block;
  (void)bytes;
#endif
}

// A palette expanded so that one source byte becomes its pixels at once:
// 8 pixels (24 bytes) for 1-bit rows, 2 pixels (6 bytes, stored in 8) for
// 4-bit rows.
struct Expanded1 {
  unsigned char pixels[256][24];
};
struct Expanded4 {
  unsigned char pixels[256][8];
};

void expand1(const DibPalette &palette, Expanded1 *table) {
  for (int byte = 0; byte < 256; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      PackedRgb colour = palette.colours[(byte >> (7 - bit)) & 1];
      std::memcpy(table->pixels[byte] + bit * 3, &colour, 3);
    }
  }
}

void expand4(const DibPalette &palette, Expanded4 *table) {
  for (int byte = 0; byte < 256; ++byte) {
    std::memcpy(table->pixels[byte], &palette.colours[byte >> 4], 4);
    std::memcpy(table->pixels[byte] + 3, &palette.colours[byte & 15], 4);
  }
}

// The stored bytes hold whole groups of pixels; a last, partial byte
// contributes only the pixels the row still needs.
void writeRow1(const unsigned char *source, unsigned char *out, uint32_t width,
               const Expanded1 &table) {
  uint32_t whole = width / 8;
  for (uint32_t i = 0; i < whole; ++i, out += 24) std::memcpy(out, table.pixels[source[i]], 24);
  if (width % 8) std::memcpy(out, table.pixels[source[whole]], (width % 8) * 3);
}

// Pairs are stored with 8 bytes, the 2 spare ones overwritten next, except
// the row's last pair.
void writeRow4(const unsigned char *source, unsigned char *out, uint32_t width,
               const Expanded4 &table, uint32_t done) {
  // done pixels (an even count) were written by the vector loop.
  source += done / 2;
  out += static_cast<size_t>(done) * 3;
  width -= done;
  uint32_t whole = width / 2;
  uint32_t i = 0;
  for (; i + 1 < whole; ++i, out += 6) std::memcpy(out, table.pixels[source[i]], 8);
  if (i < whole) {
    std::memcpy(out, table.pixels[source[i]], 6);
    out += 6;
  }
  if (width % 2) std::memcpy(out, table.pixels[source[whole]], 3);
}

void writeRow8(const unsigned char *source, unsigned char *out, uint32_t width,
               const DibPalette &palette) {
  const PackedRgb *colours = palette.colours;
  uint32_t i = 0;
  for (; i + 4 <= width; i += 4, out += 12) {
    putFourPixels(out, colours[source[i]], colours[source[i + 1]], colours[source[i + 2]],
                  colours[source[i + 3]]);
  }
  for (; i < width; ++i, out += 3) std::memcpy(out, &colours[source[i]], 3);
}

// The fast 8-bit rows: each pair of pixels is one 8-byte store of
// first[left] | second[right] (the right one's colour shifted past the left
// one's 3 bytes), its 2 spare bytes overwritten by the next pair, so that a
// pixel costs one table load and half a store. The loop stops while its
// stores stay inside the row; writeRow8 does the rest.
struct PairTables8 {
  uint64_t first[256];
  uint64_t second[256];
};

void buildPairTables8(const DibPalette &palette, PairTables8 *tables) {
  for (int i = 0; i < 256; ++i) {
    tables->first[i] = palette.colours[i];
    tables->second[i] = static_cast<uint64_t>(palette.colours[i]) << 24;
  }
}

void writeRow8Pairs(const unsigned char *source, unsigned char *out, uint32_t width,
                    const PairTables8 &tables, const DibPalette &palette) {
  uint32_t i = 0;
  for (; i + 9 <= width; i += 8, out += 24) {
    const unsigned char *s = source + i;
    const uint64_t pairs[4] = {tables.first[s[0]] | tables.second[s[1]], tables.first[s[2]] | tables.second[s[3]],
                               tables.first[s[4]] | tables.second[s[5]], tables.first[s[6]] | tables.second[s[7]]};
    std::memcpy(out, &pairs[0], 8);
    std::memcpy(out + 6, &pairs[1], 8);
    std::memcpy(out + 12, &pairs[2], 8);
    std::memcpy(out + 18, &pairs[3], 8);
  }
  writeRow8(source + i, out, width - i, palette);
}

// The byte order the pairs' 8-byte stores rely on.
constexpr bool PAIR_STORES_FIT =
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    true;
#else
    false;
#endif

// Reads the three little-endian masks that follow a bit-field header.
void readMasks(const unsigned char *bytes, uint32_t masks[3]) {
  for (int i = 0; i < 3; ++i) masks[i] = readLe32(bytes + 4 * i);
}

}  // namespace

void buildDibPalette(const DibJob &job, DibPalette *palette) {
  std::memset(palette, 0, sizeof *palette);
  uint32_t count = job.source->colourCount < 256 ? job.source->colourCount : 256;
  const DibColour *entries = dibColours(job.header);
  for (uint32_t i = 0; i < count; ++i) {
    palette->colours[i] = packRgb(entries[i].rgbRed, entries[i].rgbGreen, entries[i].rgbBlue);
  }
}

DibConvertResult convertPalettized(const DibJob &job) {
  DibPalette palette;
  buildDibPalette(job, &palette);
  switch (job.header->biBitCount) {
    case 1: {
      Expanded1 table;
      expand1(palette, &table);
      return forEachStoredRow(job, 1, [&](const unsigned char *source, unsigned char *out) {
        writeRow1(source, out, job.width, table);
      });
    }
    case 4: {
      Expanded4 table;
      expand4(palette, &table);
      return forEachStoredRow(job, 4, [&](const unsigned char *source, unsigned char *out) {
        writeRow4(source, out, job.width, table, writeRow4Vector(source, out, job.width, palette));
      });
    }
    case 8: {
      if (PAIR_STORES_FIT && dibVectorPathsAllowed()) {
        PairTables8 tables;
        buildPairTables8(palette, &tables);
        return forEachStoredRow(job, 8, [&](const unsigned char *source, unsigned char *out) {
          writeRow8Pairs(source, out, job.width, tables, palette);
        });
      }
      return forEachStoredRow(job, 8, [&](const unsigned char *source, unsigned char *out) {
        writeRow8(source, out, job.width, palette);
      });
    }
    default:
      return DIB_CONVERSION_ERROR;
  }
}

DibConvertResult convertDibPortable(const DibSource &source, unsigned char *rgb) {
  const DibHeader &header = *source.header;
  int64_t height = header.biHeight;
  int64_t rows = height < 0 ? -height : height;
  if (header.biWidth <= 0 || header.biWidth > DIB_MAX_SIDE || rows == 0 || rows > DIB_MAX_SIDE ||
      header.biPlanes != 1) {
    return DIB_CONVERSION_ERROR;
  }
  DibJob job{};
  job.source = &source;
  job.header = &header;
  job.width = static_cast<uint32_t>(header.biWidth);
  job.rows = static_cast<uint32_t>(rows);
  job.topDown = height < 0;
  job.rgb = rgb;
  job.outRowBytes = static_cast<size_t>(job.width) * 3;
  adviseHugePages(rgb, job.rows * job.outRowBytes);

  uint16_t bitCount = header.biBitCount;
  switch (header.biCompression) {
    case DIB_BI_RGB:
      if (bitCount == 1 || bitCount == 4 || bitCount == 8) return convertPalettized(job);
      if (bitCount == 16) {
        const uint32_t masks555[3] = {0x7C00, 0x03E0, 0x001F};
        return convertBitfields(job, masks555);
      }
      if (bitCount == 24 || bitCount == 32) return convertTrueColour(job);
      return DIB_CONVERSION_ERROR;
    case DIB_BI_RLE8:
    case DIB_BI_RLE4:
      // Compressed pictures are always stored bottom-up.
      if (job.topDown) return DIB_CONVERSION_ERROR;
      if (bitCount != (header.biCompression == DIB_BI_RLE8 ? 8 : 4)) return DIB_CONVERSION_ERROR;
      return convertRle(job);
    case DIB_BI_BITFIELDS: {
      if ((bitCount != 16 && bitCount != 32) || !source.colourMasks) return DIB_CONVERSION_ERROR;
      uint32_t masks[3];
      readMasks(source.colourMasks, masks);
      return convertBitfields(job, masks);
    }
    default:
      return DIB_CONVERSION_ERROR;
  }
}
