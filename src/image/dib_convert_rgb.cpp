// Decoders of the portable DIB converter for pictures that store colours
// rather than palette indices: 24 and 32 bits (blue, green, red bytes), and
// 16 or 32-bit pixels whose channels are picked out by masks (5-5-5 for
// uncompressed 16-bit pictures, the file's three masks for bit-field ones).
#include <cstdlib>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

#include "image/dib_convert_internal.h"

namespace {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define DIB_HAVE_SSSE3_PATH 1

bool cpuHasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

// Four pixels at a time with one byte shuffle: 16 bytes are loaded and 16
// stored, of which 12 are the four output pixels and 4 are overwritten by the
// next step. The loop stops while both stay inside the row (6 pixels left);
// returns how many pixels it wrote. sourceBytes is 3 or 4 a pixel.
__attribute__((target("ssse3"))) uint32_t shuffleFourAtATime(const unsigned char *source,
                                                             unsigned char *out, uint32_t width,
                                                             uint32_t sourceBytes) {
  const __m128i order = sourceBytes == 3
                            ? _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, -1, -1, -1, -1)
                            : _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  uint32_t i = 0;
  for (; i + 6 <= width; i += 4, source += 4 * sourceBytes, out += 12) {
    __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_shuffle_epi8(pixels, order));
  }
  return i;
}
#endif

// Blue, green, red to red, green, blue: four pixels at a time where the
// processor can, the rest one by one.
void writeRow24(const unsigned char *__restrict source, unsigned char *__restrict out,
                uint32_t width) {
  uint32_t i = 0;
#ifdef DIB_HAVE_SSSE3_PATH
  if (cpuHasSsse3()) i = shuffleFourAtATime(source, out, width, 3);
#endif
  for (; i < width; ++i) {
    out[3 * i] = source[3 * i + 2];
    out[3 * i + 1] = source[3 * i + 1];
    out[3 * i + 2] = source[3 * i];
  }
}

// The fourth byte of each stored pixel is unused and ignored.
void writeRow32(const unsigned char *__restrict source, unsigned char *__restrict out,
                uint32_t width) {
  uint32_t i = 0;
#ifdef DIB_HAVE_SSSE3_PATH
  if (cpuHasSsse3()) i = shuffleFourAtATime(source, out, width, 4);
#endif
  for (; i < width; ++i) {
    out[3 * i] = source[4 * i + 2];
    out[3 * i + 1] = source[4 * i + 1];
    out[3 * i + 2] = source[4 * i];
  }
}

// One colour channel of a masked pixel: (pixel >> shift) & max picks its value,
// levels widens or narrows that value to 8 bits as round(value * 255 / max).
// Channels wider than 16 bits keep their top 16 bits. An empty mask gives a
// channel that is always 0.
struct Channel {
  uint32_t shift;
  uint32_t max;
  uint8_t *levels;
};

// Fills in shift and max for a mask; false for a mask whose bits are not
// contiguous, which no encoder writes and no rule widens.
bool describeChannel(uint32_t mask, Channel *channel) {
  channel->shift = 0;
  channel->max = 0;
  if (!dibMaskContiguous(mask)) return false;
  if (mask == 0) return true;
  while (!(mask & 1)) {
    mask >>= 1;
    ++channel->shift;
  }
  uint32_t bits = 0;
  while (bits < 32 && (mask >> bits) & 1) ++bits;
  if (bits > 16) {
    channel->shift += bits - 16;
    mask = 0xFFFF;
  }
  channel->max = mask;
  return true;
}

void fillLevels(Channel *channel) {
  uint32_t max = channel->max;
  if (max == 0) {
    channel->levels[0] = 0;
    return;
  }
  for (uint32_t v = 0; v <= max; ++v) channel->levels[v] = static_cast<uint8_t>((v * 255 + max / 2) / max);
}

inline void putMasked(unsigned char *out, uint32_t pixel, const Channel channels[3]) {
  for (int c = 0; c < 3; ++c) {
    out[c] = channels[c].levels[(pixel >> channels[c].shift) & channels[c].max];
  }
}

void writeRowMasked16(const unsigned char *source, unsigned char *out, uint32_t width,
                      const Channel channels[3]) {
  for (uint32_t i = 0; i < width; ++i, source += 2, out += 3) putMasked(out, readLe16(source), channels);
}

// For large 16-bit pictures: one table of all 65536 pixel values.
void writeRowTable16(const unsigned char *source, unsigned char *out, uint32_t width,
                     const PackedRgb *table) {
  uint32_t i = 0;
  for (; i + 4 <= width; i += 4, source += 8, out += 12) {
    putFourPixels(out, table[readLe16(source)], table[readLe16(source + 2)], table[readLe16(source + 4)],
                  table[readLe16(source + 6)]);
  }
  for (; i < width; ++i, source += 2, out += 3) std::memcpy(out, &table[readLe16(source)], 3);
}

void writeRowMasked32(const unsigned char *source, unsigned char *out, uint32_t width,
                      const Channel channels[3]) {
  for (uint32_t i = 0; i < width; ++i, source += 4, out += 3) putMasked(out, readLe32(source), channels);
}

// Pictures this large repay building a table of every 16-bit pixel value.
constexpr uint64_t LARGE_PICTURE_PIXELS = 1 << 18;

DibConvertResult convertWithTable16(const DibJob &job, const Channel channels[3]) {
  PackedRgb *table = static_cast<PackedRgb *>(std::malloc(65536 * sizeof(PackedRgb)));
  if (!table) return DIB_OUT_OF_MEMORY;
  for (uint32_t v = 0; v < 65536; ++v) {
    unsigned char rgb[3];
    putMasked(rgb, v, channels);
    table[v] = packRgb(rgb[0], rgb[1], rgb[2]);
  }
  DibConvertResult result = forEachStoredRow(job, 16, [&](const unsigned char *source, unsigned char *out) {
    writeRowTable16(source, out, job.width, table);
  });
  std::free(table);
  return result;
}

}  // namespace

DibConvertResult convertTrueColour(const DibJob &job) {
  if (job.header->biBitCount == 24) {
    return forEachStoredRow(job, 24, [&](const unsigned char *source, unsigned char *out) {
      writeRow24(source, out, job.width);
    });
  }
  return forEachStoredRow(job, 32, [&](const unsigned char *source, unsigned char *out) {
    writeRow32(source, out, job.width);
  });
}

DibConvertResult convertBitfields(const DibJob &job, const uint32_t masks[3]) {
  uint32_t bitCount = job.header->biBitCount;
  if (bitCount == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF) {
    return convertTrueColour(job);
  }
  Channel channels[3];
  size_t levelBytes = 0;
  for (int c = 0; c < 3; ++c) {
    if (!describeChannel(dibMaskInPixel(masks[c], bitCount), &channels[c])) return DIB_CONVERSION_ERROR;
    levelBytes += channels[c].max + 1;
  }
  uint8_t *levels = static_cast<uint8_t *>(std::malloc(levelBytes));
  if (!levels) return DIB_OUT_OF_MEMORY;
  uint8_t *next = levels;
  for (int c = 0; c < 3; ++c) {
    channels[c].levels = next;
    fillLevels(&channels[c]);
    next += channels[c].max + 1;
  }
  DibConvertResult result;
  const uint32_t shifts[3] = {channels[0].shift, channels[1].shift, channels[2].shift};
  const uint32_t maxima[3] = {channels[0].max, channels[1].max, channels[2].max};
  if (bitCount == 16 && dibVector16Fits(shifts, maxima)) {
    // 5 and 6-bit channels are widened by arithmetic, 16 pixels a step.
    result = forEachStoredRow(job, 16, [&](const unsigned char *source, unsigned char *out) {
      uint32_t done = writeRow16Vector(source, out, job.width, shifts, maxima);
      writeRowMasked16(source + 2 * done, out + 3 * done, job.width - done, channels);
    });
  } else if (bitCount == 16 && static_cast<uint64_t>(job.width) * job.rows >= LARGE_PICTURE_PIXELS) {
    result = convertWithTable16(job, channels);
  } else if (bitCount == 16) {
    result = forEachStoredRow(job, 16, [&](const unsigned char *source, unsigned char *out) {
      writeRowMasked16(source, out, job.width, channels);
    });
  } else {
    result = forEachStoredRow(job, 32, [&](const unsigned char *source, unsigned char *out) {
      writeRowMasked32(source, out, job.width, channels);
    });
  }
  std::free(levels);
  return result;
}
