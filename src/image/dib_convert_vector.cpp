// Vector versions of the converter's busiest loops, for x86 processors that
// have the instructions (checked once, at run time). Each writes the pixels
// its scalar counterpart would, byte for byte; the scalar code stays the
// reference and does whatever a vector loop leaves over.
//
// 4-bit rows, and 16-bit rows on SSSE3, become three planes of 16 red, green
// and blue bytes that one set of byte shuffles interleaves into 48 output
// bytes (16 pixels); with AVX2, 4-bit rows take two such sets of 16 pixels a
// shuffle. With AVX2, 16-bit rows keep each pixel's channels
// together instead: widened 16 pixels at once, joined into 32-bit pixels and
// squeezed to 3 bytes each. 8-bit rows have no vector loop: fetching 8
// colours at once (AVX2 gather) and SSSE3 shuffles after scalar fetches
// measured slower than the pair stores of dib_convert.cpp.
#include "image/dib_convert_internal.h"

#include <atomic>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define DIB_HAVE_X86_VECTORS 1
#endif

namespace {
std::atomic<bool> vectorPathsAllowed{true};
std::atomic<bool> avx2Allowed{true};
}  // namespace

void dibAllowVectorPaths(bool allow) { vectorPathsAllowed.store(allow, std::memory_order_relaxed); }
void dibAllowAvx2(bool allow) { avx2Allowed.store(allow, std::memory_order_relaxed); }
bool dibVectorPathsAllowed() { return vectorPathsAllowed.load(std::memory_order_relaxed); }

#ifndef DIB_HAVE_X86_VECTORS

DibVectorLevel dibVectorLevel() { return DIB_VECTOR_NONE; }
uint32_t writeRow4Vector(const unsigned char *, unsigned char *, uint32_t, const DibPalette &) { return 0; }
bool dibVector16Fits(const uint32_t[3], const uint32_t[3]) { return false; }
uint32_t writeRow16Vector(const unsigned char *, unsigned char *, uint32_t, const uint32_t[3], const uint32_t[3]) {
  return 0;
}

#else

DibVectorLevel dibVectorLevel() {
  static const DibVectorLevel cpu = !__builtin_cpu_supports("ssse3") ? DIB_VECTOR_NONE
                                    : __builtin_cpu_supports("avx2") ? DIB_VECTOR_AVX2
                                                                     : DIB_VECTOR_SSSE3;
  if (!dibVectorPathsAllowed()) return DIB_VECTOR_NONE;
  return cpu == DIB_VECTOR_AVX2 && !avx2Allowed.load(std::memory_order_relaxed) ? DIB_VECTOR_SSSE3 : cpu;
}

namespace {

// Shuffle controls: output byte j of 48 is byte j / 3 of the plane j % 3 names
// (-128 writes a zero, merged away by the or).
struct InterleaveMasks {
  alignas(16) signed char bytes[3][3][16];  // [output block][channel][byte]
};
constexpr InterleaveMasks makeInterleaveMasks() {
  InterleaveMasks masks{};
  for (int block = 0; block < 3; ++block) {
    for (int channel = 0; channel < 3; ++channel) {
      for (int j = 0; j < 16; ++j) {
        int at = 16 * block + j;
        masks.bytes[block][channel][j] = static_cast<signed char>(at % 3 == channel ? at / 3 : -128);
      }
    }
  }
  return masks;
}
constexpr InterleaveMasks INTERLEAVE = makeInterleaveMasks();

__attribute__((target("ssse3"))) inline __m128i mask(const signed char *bytes) {
  return _mm_load_si128(reinterpret_cast<const __m128i *>(bytes));
}

// Stores 16 pixels from their red, green and blue planes as 48 bytes.
__attribute__((target("ssse3"))) inline void storeInterleaved(unsigned char *out, __m128i red, __m128i green,
                                                             __m128i blue) {
  for (int block = 0; block < 3; ++block) {
    __m128i bytes = _mm_or_si128(
        _mm_or_si128(_mm_shuffle_epi8(red, mask(INTERLEAVE.bytes[block][0])),
                     _mm_shuffle_epi8(green, mask(INTERLEAVE.bytes[block][1]))),
        _mm_shuffle_epi8(blue, mask(INTERLEAVE.bytes[block][2])));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16 * block), bytes);
  }
}

// The first 16 palette colours as red, green and blue planes.
__attribute__((target("ssse3"))) void planes16(const DibPalette &palette, __m128i *red, __m128i *green,
                                              __m128i *blue) {
  alignas(16) unsigned char channel[3][16];
  for (int i = 0; i < 16; ++i) {
    unsigned char rgb[4];
    std::memcpy(rgb, &palette.colours[i], 4);
    for (int c = 0; c < 3; ++c) channel[c][i] = rgb[c];
  }
  *red = _mm_load_si128(reinterpret_cast<const __m128i *>(channel[0]));
  *green = _mm_load_si128(reinterpret_cast<const __m128i *>(channel[1]));
  *blue = _mm_load_si128(reinterpret_cast<const __m128i *>(channel[2]));
}

__attribute__((target("ssse3"))) uint32_t writeRow4Ssse3(const unsigned char *source, unsigned char *out,
                                                        uint32_t width, const DibPalette &palette) {
  __m128i red, green, blue;
  planes16(palette, &red, &green, &blue);
  const __m128i low = _mm_set1_epi8(15);
  uint32_t i = 0;
  // 32 pixels (16 source bytes) a step, high nibble first.
  for (; i + 32 <= width; i += 32, source += 16, out += 96) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source));
    __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), low);
    __m128i second = _mm_and_si128(bytes, low);
    __m128i first16 = _mm_unpacklo_epi8(high, second);
    __m128i last16 = _mm_unpackhi_epi8(high, second);
    storeInterleaved(out, _mm_shuffle_epi8(red, first16), _mm_shuffle_epi8(green, first16),
                     _mm_shuffle_epi8(blue, first16));
    storeInterleaved(out + 48, _mm_shuffle_epi8(red, last16), _mm_shuffle_epi8(green, last16),
                     _mm_shuffle_epi8(blue, last16));
  }
  return i;
}

// The AVX2 form: the same shuffles on both 128-bit halves at once, 64 pixels
// (32 source bytes) a step. The low half holds source bytes 0-15, the high
// half bytes 16-31, so each 256-bit result carries two groups of 16 pixels
// 32 pixels apart. The SSSE3 loop and then the scalar code write the rest.
__attribute__((target("avx2"))) inline void storeInterleaved256(unsigned char *out, __m256i red, __m256i green,
                                                               __m256i blue) {
  for (int block = 0; block < 3; ++block) {
    __m256i masks[3];
    for (int c = 0; c < 3; ++c) masks[c] = _mm256_broadcastsi128_si256(mask(INTERLEAVE.bytes[block][c]));
    __m256i bytes = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(red, masks[0]),
                                                    _mm256_shuffle_epi8(green, masks[1])),
                                    _mm256_shuffle_epi8(blue, masks[2]));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16 * block), _mm256_castsi256_si128(bytes));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 96 + 16 * block), _mm256_extracti128_si256(bytes, 1));
  }
}

__attribute__((target("avx2"))) uint32_t writeRow4Avx2(const unsigned char *source, unsigned char *out,
                                                      uint32_t width, const DibPalette &palette) {
  __m128i red128, green128, blue128;
  planes16(palette, &red128, &green128, &blue128);
  const __m256i red = _mm256_broadcastsi128_si256(red128);
  const __m256i green = _mm256_broadcastsi128_si256(green128);
  const __m256i blue = _mm256_broadcastsi128_si256(blue128);
  const __m256i low = _mm256_set1_epi8(15);
  uint32_t i = 0;
  for (; i + 64 <= width; i += 64, source += 32, out += 192) {
    __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(source));
    __m256i high = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), low);
    __m256i second = _mm256_and_si256(bytes, low);
    // Pixels 0-15 and 32-47, and 16-31 and 48-63.
    __m256i first16 = _mm256_unpacklo_epi8(high, second);
    __m256i last16 = _mm256_unpackhi_epi8(high, second);
    storeInterleaved256(out, _mm256_shuffle_epi8(red, first16), _mm256_shuffle_epi8(green, first16),
                        _mm256_shuffle_epi8(blue, first16));
    storeInterleaved256(out + 48, _mm256_shuffle_epi8(red, last16), _mm256_shuffle_epi8(green, last16),
                        _mm256_shuffle_epi8(blue, last16));
  }
  return i + writeRow4Ssse3(source, out, width - i, palette);
}

// One 5 or 6-bit channel of eight 16-bit pixels widened to 8 bits (other
// widths, empty channels included, are left to the scalar code):
// round(v * 255 / 31) is (v * 527 + 23) >> 6, round(v * 255 / 63) is
// (v * 259 + 33) >> 6, for every v.
struct Widen {
  int shift, max, multiplier, offset;
};

bool widenFor(uint32_t shift, uint32_t max, Widen *widen) {
  if (max != 31 && max != 63) return false;
  *widen = Widen{static_cast<int>(shift), static_cast<int>(max), max == 31 ? 527 : 259, max == 31 ? 23 : 33};
  return true;
}

// The constants of one channel, in registers for the whole row.
struct WidenRegisters {
  __m128i shift, max, multiplier, offset;
};

__attribute__((target("ssse3"))) inline WidenRegisters widenRegisters(const Widen &w) {
  return WidenRegisters{_mm_cvtsi32_si128(w.shift), _mm_set1_epi16(static_cast<short>(w.max)),
                        _mm_set1_epi16(static_cast<short>(w.multiplier)),
                        _mm_set1_epi16(static_cast<short>(w.offset))};
}

__attribute__((target("ssse3"))) inline __m128i widenChannel(__m128i pixels, const WidenRegisters &w) {
  __m128i value = _mm_and_si128(_mm_srl_epi16(pixels, w.shift), w.max);
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(value, w.multiplier), w.offset), 6);
}

__attribute__((target("ssse3"))) inline __m128i widenPlane(__m128i first, __m128i second,
                                                          const WidenRegisters &w) {
  return _mm_packus_epi16(widenChannel(first, w), widenChannel(second, w));
}

__attribute__((target("ssse3"))) uint32_t writeRow16Ssse3(const unsigned char *source, unsigned char *out,
                                                         uint32_t width, const Widen widen[3]) {
  const WidenRegisters red = widenRegisters(widen[0]);
  const WidenRegisters green = widenRegisters(widen[1]);
  const WidenRegisters blue = widenRegisters(widen[2]);
  uint32_t i = 0;
  for (; i + 16 <= width; i += 16, source += 32, out += 48) {
    __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source));
    __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + 16));
    storeInterleaved(out, widenPlane(first, second, red), widenPlane(first, second, green),
                     widenPlane(first, second, blue));
  }
  return i;
}

// The AVX2 loop: 16 pixels from one 32-byte load, their channels widened in
// place, joined into 32-bit red, green, blue, 0 pixels and squeezed to 12
// bytes per 4 pixels, each group stored with 16 bytes whose 4 spare ones the
// next group overwrites. The loop stops while the last store stays inside
// the row (2 pixels to spare).
struct WidenRegisters256 {
  __m128i shift;
  __m256i max, multiplier, offset;
};

__attribute__((target("avx2"))) inline WidenRegisters256 widenRegisters256(const Widen &w) {
  return WidenRegisters256{_mm_cvtsi32_si128(w.shift), _mm256_set1_epi16(static_cast<short>(w.max)),
                           _mm256_set1_epi16(static_cast<short>(w.multiplier)),
                           _mm256_set1_epi16(static_cast<short>(w.offset))};
}

__attribute__((target("avx2"))) inline __m256i widenChannel256(__m256i pixels, const WidenRegisters256 &w) {
  __m256i value = _mm256_and_si256(_mm256_srl_epi16(pixels, w.shift), w.max);
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(value, w.multiplier), w.offset), 6);
}

__attribute__((target("avx2"))) uint32_t writeRow16Avx2(const unsigned char *source, unsigned char *out,
                                                       uint32_t width, const Widen widen[3]) {
  const WidenRegisters256 red = widenRegisters256(widen[0]);
  const WidenRegisters256 green = widenRegisters256(widen[1]);
  const WidenRegisters256 blue = widenRegisters256(widen[2]);
  const __m256i squeeze = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5,
                                           6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  uint32_t i = 0;
  for (; i + 18 <= width; i += 16, source += 32, out += 48) {
    __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(source));
    __m256i redGreen = _mm256_or_si256(widenChannel256(pixels, red),
                                       _mm256_slli_epi16(widenChannel256(pixels, green), 8));
    __m256i blues = widenChannel256(pixels, blue);
    // Pixels 0-3 and 8-11, and 4-7 and 12-15, in the two halves.
    __m256i low = _mm256_shuffle_epi8(_mm256_unpacklo_epi16(redGreen, blues), squeeze);
    __m256i high = _mm256_shuffle_epi8(_mm256_unpackhi_epi16(redGreen, blues), squeeze);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm256_castsi256_si128(low));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 12), _mm256_castsi256_si128(high));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 24), _mm256_extracti128_si256(low, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 36), _mm256_extracti128_si256(high, 1));
  }
  return i;
}

}  // namespace

uint32_t writeRow4Vector(const unsigned char *source, unsigned char *out, uint32_t width,
                         const DibPalette &palette) {
  switch (dibVectorLevel()) {
    case DIB_VECTOR_AVX2: return writeRow4Avx2(source, out, width, palette);
    case DIB_VECTOR_SSSE3: return writeRow4Ssse3(source, out, width, palette);
    default: return 0;
  }
}

bool dibVector16Fits(const uint32_t shifts[3], const uint32_t maxima[3]) {
  Widen widen;
  for (int c = 0; c < 3; ++c) {
    if (!widenFor(shifts[c], maxima[c], &widen)) return false;
  }
  return dibVectorLevel() >= DIB_VECTOR_SSSE3;
}

uint32_t writeRow16Vector(const unsigned char *source, unsigned char *out, uint32_t width,
                          const uint32_t shifts[3], const uint32_t maxima[3]) {
  Widen widen[3];
  for (int c = 0; c < 3; ++c) {
    if (!widenFor(shifts[c], maxima[c], &widen[c])) return 0;
  }
  switch (dibVectorLevel()) {
    case DIB_VECTOR_AVX2: return writeRow16Avx2(source, out, width, widen);
    case DIB_VECTOR_SSSE3: return writeRow16Ssse3(source, out, width, widen);
    default: return 0;
  }
}

#endif
