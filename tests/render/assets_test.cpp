// The bundled pictures in assets/ load through our own BMP loader and have
// the layout the renderer relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "image/dib_loader.h"
#include "platform/headless/headless.h"

namespace {

struct LoadedPicture {
  ImageRecord *record;
  ~LoadedPicture() { releaseImageRecord(record); }
  // Red, green, blue of pixel (x, y), rows counted from the top.
  const unsigned char *at(int32_t x, int32_t y) const {
    return record->pixels + (static_cast<size_t>(record->height - 1 - y) * record->width + x) * 3;
  }
};

TEST(BundledPictures, FontHasLightGlyphsForPrintableCodesInsideTheirCells) {
  headlessClearMessageBoxes();
  LoadedPicture font{loadDibFile(VIEWER_ASSETS_DIR "/font.bmp")};
  ASSERT_NE(font.record, nullptr) << (headlessMessageBoxes().empty() ? "" : headlessMessageBoxes()[0].text);
  ASSERT_EQ(font.record->width, 256);
  ASSERT_EQ(font.record->height, 256);

  for (int32_t code = 0; code < 256; ++code) {
    int ink = 0;
    int inkOnBorder = 0;
    bool grey = true;
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 0; x < 16; ++x) {
        const unsigned char *p = font.at((code % 16) * 16 + x, (code / 16) * 16 + y);
        grey = grey && p[0] == p[1] && p[1] == p[2];
        if (p[0] == 0) continue;
        ++ink;
        if (x == 0 || y == 0 || x == 15 || y == 15) ++inkOnBorder;
      }
    }
    EXPECT_TRUE(grey) << "code " << code;
    // The cell's outer ring stays black, so linear filtering never mixes
    // neighbouring glyphs.
    EXPECT_EQ(inkOnBorder, 0) << "code " << code;
    const bool printable = code > 32 && code < 127;
    EXPECT_EQ(ink > 0, printable) << "code " << code;
  }
}

// With the renderer's fixed 16-pixel advance, narrow glyphs read as spaced-out
// letters: letters and digits must fill their cells, and a glyph nudged up or
// down to fit its cell would stand out of the line.
TEST(BundledPictures, FontLettersFillTheirCellsOnOneBaseline) {
  headlessClearMessageBoxes();
  LoadedPicture font{loadDibFile(VIEWER_ASSETS_DIR "/font.bmp")};
  ASSERT_NE(font.record, nullptr);
  ASSERT_EQ(font.record->width, 256);

  const std::string characters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const std::string descending = "Qgjpqy";
  int32_t totalWidth = 0;
  int32_t baseline = -1;
  for (char character : characters) {
    const int32_t code = static_cast<unsigned char>(character);
    int32_t left = 16, right = -1, bottom = -1;
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 0; x < 16; ++x) {
        if (font.at((code % 16) * 16 + x, (code / 16) * 16 + y)[0] == 0) continue;
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
      }
    }
    totalWidth += right - left + 1;
    if (descending.find(character) != std::string::npos) continue;
    if (baseline < 0) baseline = bottom;
    EXPECT_EQ(bottom, baseline) << character << " does not stand on the line of 'A'";
  }
  for (char character : descending) {
    const int32_t code = static_cast<unsigned char>(character);
    bool below = false;
    for (int32_t x = 0; x < 16; ++x) below = below || font.at((code % 16) * 16 + x, (code / 16) * 16 + baseline + 1)[0] > 0;
    EXPECT_TRUE(below) << character << " does not reach below the line";
  }
  // The wide letters take 13 or 14 of the 14 columns inside the margin.
  EXPECT_GE(totalWidth, 12 * static_cast<int32_t>(characters.size()));
}

TEST(BundledPictures, MapIsAChartWithoutMarkerColours) {
  headlessClearMessageBoxes();
  LoadedPicture map{loadDibFile(VIEWER_ASSETS_DIR "/THmap.bmp")};
  ASSERT_NE(map.record, nullptr) << (headlessMessageBoxes().empty() ? "" : headlessMessageBoxes()[0].text);
  ASSERT_EQ(map.record->width, 1024);
  ASSERT_EQ(map.record->height, 1024);

  int markerColoured = 0;
  for (int32_t y = 0; y < 1024; ++y) {
    for (int32_t x = 0; x < 1024; ++x) {
      const unsigned char *p = map.at(x, y);
      if ((p[0] == 255 && p[1] == 0 && p[2] == 0) || (p[0] == 0 && p[1] == 255 && p[2] == 0)) ++markerColoured;
    }
  }
  EXPECT_EQ(markerColoured, 0);

  // A grid line every 250 units (64 pixels) is lighter than the paper
  // between the lines; the axis through the centre is lighter still.
  auto brightness = [&](int32_t x, int32_t y) {
    const unsigned char *p = map.at(x, y);
    return p[0] + p[1] + p[2];
  };
  const int32_t row = 100 + 32;  // between two horizontal lines, clear of the labels
  for (int32_t line = 64; line < 1024; line += 64) {
    EXPECT_GT(brightness(line, row), brightness(line + 20, row) + 20) << "line at column " << line;
  }
  EXPECT_GT(brightness(512, row), brightness(256, row));
  EXPECT_GT(brightness(256, row), brightness(320, row));
}

}  // namespace
