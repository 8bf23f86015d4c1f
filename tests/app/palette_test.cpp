// The logical palette spread over a palette-based pixel format.
#include <gtest/gtest.h>

#include <vector>

#include "app/palette.h"

namespace {

struct Rgb {
  int red;
  int green;
  int blue;
};

Rgb rgbOf(const PaletteColour &colour) { return Rgb{colour.peRed, colour.peGreen, colour.peBlue}; }

void expectEntry(const std::vector<PaletteColour> &palette, size_t index, Rgb expected) {
  Rgb actual = rgbOf(palette[index]);
  EXPECT_EQ(actual.red, expected.red) << "entry " << index;
  EXPECT_EQ(actual.green, expected.green) << "entry " << index;
  EXPECT_EQ(actual.blue, expected.blue) << "entry " << index;
}

TEST(PaletteTest, ThreeThreeTwoFormatSpreadsEachChannelOverTheFullRange) {
  const PaletteFormat format{8, 3, 0, 3, 3, 2, 6};
  uint32_t count = 0;
  ASSERT_TRUE(paletteEntryCount(format, &count));
  ASSERT_EQ(count, 256u);
  std::vector<PaletteColour> palette(count, PaletteColour{1, 1, 1, 1});
  ASSERT_TRUE(computePalette(format, palette.data(), count));

  expectEntry(palette, 0, {0, 0, 0});
  expectEntry(palette, 1, {36, 0, 0});
  expectEntry(palette, 2, {72, 0, 0});
  expectEntry(palette, 7, {255, 0, 0});
  expectEntry(palette, 8, {0, 36, 0});
  expectEntry(palette, 64, {0, 0, 85});
  expectEntry(palette, 146, {72, 72, 170});
  expectEntry(palette, 255, {255, 255, 255});
  for (const PaletteColour &colour : palette) ASSERT_EQ(colour.peFlags, 0);
}

TEST(PaletteTest, EightOrMoreBitsUseAllLevelsAndLargeShiftsGiveZero) {
  // 4 colour bits: indices 0..15. Red takes 8 bits at shift 0 (mask 255),
  // green 9 bits at shift 1 (still 255), blue a shift beyond any index width.
  const PaletteFormat format{4, 8, 0, 9, 1, 1, 200};
  std::vector<PaletteColour> palette(16);
  ASSERT_TRUE(computePalette(format, palette.data(), 16));
  expectEntry(palette, 15, {15, 7, 0});
  expectEntry(palette, 6, {6, 3, 0});
}

TEST(PaletteTest, FormatsWithoutAPaletteAreRefused) {
  const PaletteFormat noRed{8, 0, 0, 3, 3, 2, 6};
  const PaletteFormat noBlue{8, 3, 0, 3, 3, 0, 6};
  const PaletteFormat sixteenBits{16, 5, 0, 6, 5, 5, 11};
  uint32_t count = 12345;
  std::vector<PaletteColour> palette(65536, PaletteColour{9, 9, 9, 9});
  for (const PaletteFormat &format : {noRed, noBlue, sixteenBits}) {
    EXPECT_FALSE(paletteEntryCount(format, &count));
    EXPECT_FALSE(computePalette(format, palette.data(), 65536));
  }
  EXPECT_EQ(count, 12345u);
  EXPECT_EQ(palette[0].peRed, 9);

  // Fifteen bits still fit a 16-bit entry count.
  const PaletteFormat fifteenBits{15, 5, 10, 5, 5, 5, 0};
  ASSERT_TRUE(paletteEntryCount(fifteenBits, &count));
  EXPECT_EQ(count, 32768u);
  // A buffer too small for the format is refused rather than overrun.
  EXPECT_FALSE(computePalette(fifteenBits, palette.data(), 32767));
  EXPECT_EQ(palette[0].peRed, 9);
  ASSERT_TRUE(computePalette(fifteenBits, palette.data(), 32768));
  expectEntry(palette, 0x7FFF, {255, 255, 255});
  expectEntry(palette, 1, {0, 0, 8});
}

}  // namespace
