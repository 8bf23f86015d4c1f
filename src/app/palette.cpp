// Palette computation for pixel formats that need a logical palette.
#include "app/palette.h"

namespace {

constexpr uint32_t MAX_PALETTE_BITS = 15;  // 2^16 entries would not fit a 16-bit count

// 2^bits - 1, kept in 8 bits: 1 to 7 bits give 1, 3, ..., 127; 8 or more 255.
uint32_t levelMask(uint8_t bits) { return bits >= 8 ? 255u : (1u << bits) - 1u; }

uint8_t channelLevel(uint32_t index, uint8_t shift, uint32_t mask) {
  // Indices stay below 2^15, so a shift of 32 or more leaves nothing; shifting
  // by that much directly would be undefined.
  const uint32_t level = shift >= 32 ? 0u : (index >> shift) & mask;
  return static_cast<uint8_t>(level * 255u / mask);
}

}  // namespace

bool paletteEntryCount(const PaletteFormat &format, uint32_t *entryCount) {
  if (format.cRedBits == 0 || format.cGreenBits == 0 || format.cBlueBits == 0) return false;
  if (format.cColorBits > MAX_PALETTE_BITS) return false;
  *entryCount = 1u << format.cColorBits;
  return true;
}

bool computePalette(const PaletteFormat &format, PaletteColour *entries, uint32_t capacity) {
  uint32_t count = 0;
  if (!paletteEntryCount(format, &count) || capacity < count) return false;
  const uint32_t redMask = levelMask(format.cRedBits);
  const uint32_t greenMask = levelMask(format.cGreenBits);
  const uint32_t blueMask = levelMask(format.cBlueBits);
  for (uint32_t i = 0; i < count; ++i) {
    entries[i].peRed = channelLevel(i, format.cRedShift, redMask);
    entries[i].peGreen = channelLevel(i, format.cGreenShift, greenMask);
    entries[i].peBlue = channelLevel(i, format.cBlueShift, blueMask);
    entries[i].peFlags = 0;
  }
  return true;
}
