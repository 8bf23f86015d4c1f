// Decoders of the portable DIB converter for pictures that store colours
// rather than palette indices: 24 and 32 bits (blue, green, red bytes), and
// 16 or 32-bit pixels whose channels are picked out by masks (5-5-5 for
// uncompressed 16-bit pictures, the file's three masks for bit-field ones).
#include <cstdlib>

#include "image/dib_convert_internal.h"

namespace {

void writeRow24(const unsigned char *__restrict source, unsigned char *__restrict out,
                uint32_t width) {
  for (uint32_t i = 0; i < width; ++i, source += 3, out += 3) {
    out[0] = source[2];
    out[1] = source[1];
    out[2] = source[0];
  }
}

// The fourth byte of each stored pixel is unused and ignored.
void writeRow32(const unsigned char *__restrict source, unsigned char *__restrict out,
                uint32_t width) {
  for (uint32_t i = 0; i < width; ++i, source += 4, out += 3) {
    out[0] = source[2];
    out[1] = source[1];
    out[2] = source[0];
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
  if (mask == 0) return true;
  while (!(mask & 1)) {
    mask >>= 1;
    ++channel->shift;
  }
  if (mask & (mask + 1)) return false;
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

void writeRowMasked32(const unsigned char *source, unsigned char *out, uint32_t width,
                      const Channel channels[3]) {
  for (uint32_t i = 0; i < width; ++i, source += 4, out += 3) putMasked(out, readLe32(source), channels);
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
  // Bits a 16-bit pixel does not have read as 0.
  uint32_t pixelMask = bitCount == 16 ? 0xFFFF : 0xFFFFFFFF;
  Channel channels[3];
  size_t levelBytes = 0;
  for (int c = 0; c < 3; ++c) {
    if (!describeChannel(masks[c] & pixelMask, &channels[c])) return DIB_CONVERSION_ERROR;
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
  if (bitCount == 16) {
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
