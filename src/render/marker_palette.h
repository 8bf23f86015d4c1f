// The colours of the markers and of the route line, one row per palette: the
// standard one, and one that players with any of the common colour vision
// deficiencies can read ('P' or --palette safe switches between them).
//
// The safe palette takes its colours from Okabe and Ito's colour-universal
// palette: vermillion packages, blue rampages and a yellow route line, apart
// in hue and in lightness, so that they stay apart for protan, deutan and
// tritan vision alike (tests/app/marker_palette_test.cpp measures it).
// In the standard palette the route line is magenta, not yellow: for protan
// and deutan vision yellow comes out next to the rampages' green.
#pragma once

#include <cstdint>
#include <cstring>

struct MarkerColours {
  float package[3];
  float rampage[3];
  float routeLine[3];
};

enum MarkerPaletteId : int32_t { PALETTE_STANDARD = 0, PALETTE_SAFE = 1 };

constexpr MarkerColours MARKER_PALETTES[] = {
    // Pure red and pure green, as the viewer has always drawn them.
    {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f}},
    // Okabe-Ito vermillion (213, 94, 0), sky blue (86, 180, 233), yellow (240, 228, 66).
    {{213 / 255.0f, 94 / 255.0f, 0.0f}, {86 / 255.0f, 180 / 255.0f, 233 / 255.0f}, {240 / 255.0f, 228 / 255.0f, 66 / 255.0f}},
};

// The palette a command line names: "safe" or "standard". False for any
// other word, leaving *palette as it was.
inline bool markerPaletteNamed(const char *name, int32_t *palette) {
  if (std::strcmp(name, "standard") == 0) {
    *palette = PALETTE_STANDARD;
  } else if (std::strcmp(name, "safe") == 0) {
    *palette = PALETTE_SAFE;
  } else {
    return false;
  }
  return true;
}

// The palette in use; any value but PALETTE_SAFE is the standard one.
inline const MarkerColours &markerColours(int32_t palette) {
  return MARKER_PALETTES[palette == PALETTE_SAFE ? PALETTE_SAFE : PALETTE_STANDARD];
}
