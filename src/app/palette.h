// The logical palette for a display whose pixel format works through one:
// every entry index split into its red, green and blue levels by the format's
// bit counts and shifts, each level spread evenly over 0..255.
#pragma once

#include <cstdint>

// The part of a described pixel format that the palette is made from (the
// fields of the same names in PIXELFORMATDESCRIPTOR).
struct PaletteFormat {
  uint8_t cColorBits;
  uint8_t cRedBits;
  uint8_t cRedShift;
  uint8_t cGreenBits;
  uint8_t cGreenShift;
  uint8_t cBlueBits;
  uint8_t cBlueShift;
};

// One palette entry, laid out as PALETTEENTRY.
struct PaletteColour {
  uint8_t peRed;
  uint8_t peGreen;
  uint8_t peBlue;
  uint8_t peFlags;
};

// Entries a palette for the format holds: 2 to the power of cColorBits.
// Returns false for a format no palette can be made for: a red, green or blue
// bit count of 0 (no levels to spread), or an entry count that does not fit a
// palette's 16-bit entry count (cColorBits of 16 or more).
bool paletteEntryCount(const PaletteFormat &format, uint32_t *entryCount);

// Fills entries[0 .. paletteEntryCount - 1]: for index i, each channel's level
// is (i >> shift) masked to its bit count (8 or more bits give 255 levels),
// scaled as level * 255 / mask with the remainder dropped; peFlags is 0.
// Returns false, writing nothing, for a refused format or when capacity is
// below the entry count.
bool computePalette(const PaletteFormat &format, PaletteColour *entries, uint32_t capacity);
