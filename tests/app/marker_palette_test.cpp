// The colour-blind-safe palette, measured: every colour is passed through
// Machado, Oliveira and Fernandes' (2009) simulation of protanopia,
// deuteranopia and tritanopia (their matrices at severity 1.0, applied to
// linear sRGB), then compared in CIELAB (D65) by the CIE 1976 colour
// difference. A difference of 2.3 is just noticeable; markers must stay 40
// apart and the route line 20 from each marker, for normal vision too.
#include <gtest/gtest.h>

#include <cmath>

#include "render/marker_palette.h"

namespace {

using Matrix = double[3][3];
struct Vision {
  const char *name;
  Matrix matrix;
};
const Vision VISIONS[] = {
    {"normal", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
    {"protan", {{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}},
    {"deutan", {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}},
    {"tritan", {{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}},
};

struct Lab {
  double l, a, b;
};

Lab seenAs(const float srgb[3], const Matrix &vision) {
  double linear[3];
  for (int i = 0; i < 3; ++i) {
    const double c = srgb[i];
    linear[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  }
  double seen[3];
  for (int i = 0; i < 3; ++i) {
    const double v = vision[i][0] * linear[0] + vision[i][1] * linear[1] + vision[i][2] * linear[2];
    seen[i] = std::fmin(1.0, std::fmax(0.0, v));
  }
  const double x = (0.4124 * seen[0] + 0.3576 * seen[1] + 0.1805 * seen[2]) / 0.95047;
  const double y = 0.2126 * seen[0] + 0.7152 * seen[1] + 0.0722 * seen[2];
  const double z = (0.0193 * seen[0] + 0.1192 * seen[1] + 0.9505 * seen[2]) / 1.08883;
  auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double difference(const float one[3], const float other[3], const Matrix &vision) {
  const Lab a = seenAs(one, vision);
  const Lab b = seenAs(other, vision);
  return std::sqrt((a.l - b.l) * (a.l - b.l) + (a.a - b.a) * (a.a - b.a) + (a.b - b.b) * (a.b - b.b));
}

TEST(MarkerPalette, SafeColoursStayApartForEveryKindOfColourBlindness) {
  const MarkerColours &safe = MARKER_PALETTES[PALETTE_SAFE];
  for (const Vision &vision : VISIONS) {
    EXPECT_GT(difference(safe.package, safe.rampage, vision.matrix), 40.0) << vision.name;
  }
  // The standard red and green are what the safe palette is for: a deutan
  // sees them close (the simulation tells them apart from the safe colours).
  const MarkerColours &standard = MARKER_PALETTES[PALETTE_STANDARD];
  EXPECT_LT(difference(standard.package, standard.rampage, VISIONS[2].matrix), 40.0);
}

TEST(MarkerPalette, RouteLineDiffersFromBothMarkersInEitherPalette) {
  for (const MarkerColours &palette : MARKER_PALETTES) {
    for (const Vision &vision : VISIONS) {
      EXPECT_GT(difference(palette.routeLine, palette.package, vision.matrix), 20.0) << vision.name;
      EXPECT_GT(difference(palette.routeLine, palette.rampage, vision.matrix), 20.0) << vision.name;
    }
  }
}

}  // namespace
