// Pictures large enough (over 8 MB of output) that the converter asks for
// huge pages on their block: they decode exactly like small ones, uncompressed
// and run-length coded, and their block is an ordinary heap block. And tiny
// files that claim the largest picture: a broken one must not get its block.
#include <cstdint>
#include <vector>

#include "image/dib_format.h"
#include "image/image_test_support.h"
#include "support/address_space_cap.h"

namespace {

constexpr int SIDE = 1792;  // 9.6 MB of output

// Colour of a pixel in bands of 37 columns that shift with the row, so that
// no two neighbouring rows are alike.
uint32_t bandColour(int x, int y) {
  uint32_t band = static_cast<uint32_t>((x + 3 * y) / 37);
  return (band * 0x1F3D5Bu + static_cast<uint32_t>(y) * 0x010203u) & 0xFFFFFF;
}

std::vector<uint32_t> bandPicture() {
  std::vector<uint32_t> colours;
  for (int y = 0; y < SIDE; ++y) {
    for (int x = 0; x < SIDE; ++x) colours.push_back(bandColour(x, y));
  }
  return colours;
}

TEST(LargePicture, TrueColourDecodesEveryPixel) {
  std::vector<uint32_t> colours = bandPicture();
  BmpLayout layout;
  layout.width = SIDE;
  layout.height = SIDE;
  layout.pixels = packPixelRows(SIDE, SIDE, 24, colours);
  ImagePtr image = loadThroughFile(makeBmp(layout));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width, SIDE);
  ASSERT_EQ(image->height, SIDE);
  EXPECT_TRUE(pixelBytes(*image) == rgbBytes(colours));
}

// Rows of runs of up to 255 pixels (index by row and run), then end of line;
// the top quarter is skipped by one end of picture and must come out black.
TEST(LargePicture, Rle8DecodesRunsAndLeavesSkippedRowsBlack) {
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < 256; ++i) palette.push_back(i * 0x030507u & 0xFFFFFF);
  BmpLayout layout;
  layout.width = SIDE;
  layout.height = SIDE;
  layout.bitCount = 8;
  layout.compression = 1;
  layout.palette = palette;
  std::vector<uint32_t> expected(static_cast<size_t>(SIDE) * SIDE, 0);
  const int codedRows = SIDE * 3 / 4;
  for (int y = 0; y < codedRows; ++y) {
    for (int x = 0, run = 0; x < SIDE; x += 255, ++run) {
      unsigned index = static_cast<unsigned>(y + run * 7) & 0xFF;
      int length = SIDE - x < 255 ? SIDE - x : 255;
      layout.pixels.push_back(static_cast<unsigned char>(length));
      layout.pixels.push_back(static_cast<unsigned char>(index));
      for (int k = x; k < x + length; ++k) expected[static_cast<size_t>(y) * SIDE + k] = palette[index];
    }
    layout.pixels.push_back(0);
    layout.pixels.push_back(0);
  }
  layout.pixels.push_back(0);
  layout.pixels.push_back(1);
  ImagePtr image = loadThroughFile(makeBmp(layout));
  ASSERT_TRUE(image);
  EXPECT_TRUE(pixelBytes(*image) == rgbBytes(expected));
}

// A 64-byte RLE8 file that claims 32768 x 32768 pixels (3 GB of output) but
// whose stream runs out before it ends the picture is refused before its block
// is asked for. Under an address-space cap of 1 GB the same file with its
// end-of-picture code gets "Out of memory.": the cap does catch the request.
TEST(LargePicture, BrokenRleStreamIsRefusedWithoutTakingItsClaimedBlock) {
  BmpLayout layout;
  layout.width = DIB_MAX_SIDE;
  layout.height = DIB_MAX_SIDE;
  layout.bitCount = 8;
  layout.compression = DIB_BI_RLE8;
  layout.clrUsed = 1;
  layout.palette = {0xFF0000};
  layout.pixels = {255, 0, 255, 0, 0, 0};  // two runs and an end of line, then nothing
  const std::vector<unsigned char> broken = makeBmp(layout);
  layout.pixels.push_back(0);
  layout.pixels.push_back(1);
  const std::vector<unsigned char> complete = makeBmp(layout);

  AddressSpaceCap cap(1ull << 30);
  ASSERT_TRUE(cap.active());
  EXPECT_FALSE(loadThroughFile(broken));
  expectOneErrorBox("Image file conversion error.");
  EXPECT_FALSE(loadThroughFile(complete));
  expectOneErrorBox("Out of memory.");
}

}  // namespace
