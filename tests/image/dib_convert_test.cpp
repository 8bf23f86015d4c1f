// Portable DIB converter, through the loader: palette depths at every row
// width, 16 and 32-bit pixels, bit-field masks and the widening of narrow
// channels, and RLE8/RLE4 streams with their escapes, clipping and early ends;
// the vector loops, wide stores and the scanning stream check against the
// scalar code on random pictures and streams.
#include <algorithm>
#include <memory>
#include <random>

#include "image/dib_convert.h"
#include "image/dib_format.h"
#include "image/image_test_support.h"

namespace {

constexpr int BLACK = -1;

// Palette colour i of the pictures below.
uint32_t paletteColour(int i) { return static_cast<uint32_t>(0x400000 + i * 0x010203 + (i & 1) * 0x80); }

std::vector<uint32_t> testPalette(int count) {
  std::vector<uint32_t> out;
  for (int i = 0; i < count; ++i) out.push_back(paletteColour(i));
  return out;
}

// Expected pixels from palette indices, BLACK for pixels left unset.
std::vector<unsigned char> fromIndices(const std::vector<int> &indices) {
  std::vector<uint32_t> colours;
  for (int index : indices) colours.push_back(index == BLACK ? 0 : paletteColour(index));
  return rgbBytes(colours);
}

BmpLayout maskedLayout(uint16_t bitCount, uint32_t compression, std::vector<uint32_t> masks,
                   const std::vector<uint32_t> &values) {
  BmpLayout layout;
  layout.width = static_cast<int32_t>(values.size());
  layout.bitCount = bitCount;
  layout.compression = compression;
  layout.masks = std::move(masks);
  layout.pixels = packPixelRows(layout.width, 1, bitCount, values);
  return layout;
}

std::vector<unsigned char> loadPixels(const BmpLayout &layout) {
  ImagePtr image = loadFromMemory(makeBmp(layout));
  EXPECT_TRUE(headlessMessageBoxes().empty());
  if (!image) return {};
  return pixelBytes(*image);
}

TEST(DibConvert, PaletteDepthsAtEveryWidth) {
  std::mt19937 random(7);
  for (uint16_t bits : {1, 4, 8}) {
    int paletteSize = 1 << bits;
    for (int width = 1; width <= 17; ++width) {
      SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
      std::vector<uint32_t> indices;
      std::vector<int> expected;
      for (int i = 0; i < width * 3; ++i) {
        indices.push_back(random() % paletteSize);
        expected.push_back(static_cast<int>(indices.back()));
      }
      BmpLayout layout;
      layout.width = width;
      layout.height = 3;
      layout.bitCount = bits;
      layout.palette = testPalette(paletteSize);
      layout.pixels = packPixelRows(width, 3, bits, indices);
      EXPECT_EQ(loadPixels(layout), fromIndices(expected));
    }
  }
}

TEST(DibConvert, IndicesBeyondTheColourTableAreBlack) {
  BmpLayout layout;
  layout.width = 6;
  layout.bitCount = 4;
  layout.clrUsed = 3;
  layout.palette = testPalette(3);
  layout.pixels = packPixelRows(6, 1, 4, {0, 2, 3, 15, 1, 4});
  EXPECT_EQ(loadPixels(layout), fromIndices({0, 2, BLACK, BLACK, 1, BLACK}));
}

TEST(DibConvert, SixteenBitPixelsAre555WithTheTopBitIgnored) {
  BmpLayout layout = maskedLayout(16, DIB_BI_RGB, {}, {0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x0421, 0x8000, 0xFFFF, 0x3DEF});
  EXPECT_EQ(loadPixels(layout), rgbBytes({0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x080808, 0x000000,
                                        0xFFFFFF, 0x7B7B7B}));
}

TEST(DibConvert, ThirtyTwoBitPixelsIgnoreTheirFourthByte) {
  BmpLayout layout = maskedLayout(32, DIB_BI_RGB, {}, {0xFF123456, 0x00ABCDEF, 0x7F000001});
  EXPECT_EQ(loadPixels(layout), rgbBytes({0x123456, 0xABCDEF, 0x000001}));
}

TEST(DibConvert, BitFieldChannelsWidenByRounding) {
  BmpLayout rgb565 = maskedLayout(16, DIB_BI_BITFIELDS, {0xF800, 0x07E0, 0x001F},
                              {0xF800, 0x07E0, 0x001F, 0x0020, 0x0801, 0x8410});
  EXPECT_EQ(loadPixels(rgb565), rgbBytes({0xFF0000, 0x00FF00, 0x0000FF, 0x000400, 0x080008, 0x848284}));

  // 10-bit channels: 512 -> 128, 3 -> 1, 2 -> 0.
  BmpLayout tenBits = maskedLayout(32, DIB_BI_BITFIELDS, {0x3FF00000, 0x000FFC00, 0x000003FF},
                               {0x3FFFFFFF, 0x20000C02, 0xC0000000});
  EXPECT_EQ(loadPixels(tenBits), rgbBytes({0xFFFFFF, 0x800100, 0x000000}));

  // The masks decide which bytes are red and blue.
  BmpLayout swapped = maskedLayout(32, DIB_BI_BITFIELDS, {0x0000FF, 0x00FF00, 0xFF0000}, {0x123456});
  EXPECT_EQ(loadPixels(swapped), rgbBytes({0x563412}));
  BmpLayout usual = maskedLayout(32, DIB_BI_BITFIELDS, {0xFF0000, 0x00FF00, 0x0000FF}, {0xEE123456});
  EXPECT_EQ(loadPixels(usual), rgbBytes({0x123456}));
}

TEST(DibConvert, EmptyMasksGiveZero) {
  BmpLayout noBlue = maskedLayout(16, DIB_BI_BITFIELDS, {0xFF00, 0x00FF, 0}, {0x12FF});
  EXPECT_EQ(loadPixels(noBlue), rgbBytes({0x12FF00}));
  // A 16-bit pixel has no bits above 15 to give.
  BmpLayout high = maskedLayout(16, DIB_BI_BITFIELDS, {0xFF0000, 0xFF00, 0xFF}, {0xABCD});
  EXPECT_EQ(loadPixels(high), rgbBytes({0x00ABCD}));
}

// GDI would take these; the Windows build refuses them before it asks GDI.
TEST(DibConvert, ScatteredMasksAreRefused) {
  for (uint16_t bitCount : {16, 32}) {
    SCOPED_TRACE(bitCount);
    BmpLayout scattered = maskedLayout(bitCount, DIB_BI_BITFIELDS, {0xF0F0, 0x0F00, 0x000F}, {0x1234});
    EXPECT_FALSE(loadFromMemory(makeBmp(scattered)));
    expectOneErrorBox("Image file conversion error.");
  }
}

TEST(DibConvert, BitFieldPixelsFollowTheMasksAndColourTable) {
  for (bool fileHeader : {true, false}) {
    SCOPED_TRACE(fileHeader);
    BmpLayout layout = maskedLayout(16, DIB_BI_BITFIELDS, {0x7C00, 0x03E0, 0x001F}, {0x7C00, 0x001F});
    layout.fileHeader = fileHeader;
    layout.clrUsed = 2;
    layout.palette = {0x111111, 0x222222};
    if (!fileHeader) {
      ASSERT_EQ(bmpPixelOffset(layout), 40u + 12u + 8u);
    }
    EXPECT_EQ(loadPixels(layout), rgbBytes({0xFF0000, 0x0000FF}));
  }
}

// RLE pictures of 6 x 3 pixels over a palette of 16 colours.
BmpLayout rleLayout(uint32_t compression, std::vector<unsigned char> stream, int width = 6) {
  BmpLayout layout;
  layout.width = width;
  layout.height = 3;
  layout.bitCount = compression == DIB_BI_RLE8 ? 8 : 4;
  layout.compression = compression;
  layout.clrUsed = 16;
  layout.palette = testPalette(16);
  layout.pixels = std::move(stream);
  return layout;
}

TEST(DibConvert, Rle8RunsLiteralsAndEndOfLine) {
  BmpLayout layout = rleLayout(DIB_BI_RLE8, {3, 1, 3, 2, 0, 0,    // row 0: run, run, end of line
                                      2, 3, 0, 0,          // row 1: short row
                                      0, 3, 1, 2, 3, 0,    // row 2: three literals, padded
                                      0, 1});
  EXPECT_EQ(loadPixels(layout), fromIndices({1, 1, 1, 2, 2, 2,
                                           3, 3, BLACK, BLACK, BLACK, BLACK,
                                           1, 2, 3, BLACK, BLACK, BLACK}));
}

TEST(DibConvert, Rle8DeltaSkipsPixelsAndEndsEarly) {
  BmpLayout layout = rleLayout(DIB_BI_RLE8, {1, 1, 0, 2, 2, 1, 1, 2, 0, 1, 5, 5});
  EXPECT_EQ(loadPixels(layout), fromIndices({1, BLACK, BLACK, BLACK, BLACK, BLACK,
                                           BLACK, BLACK, BLACK, 2, BLACK, BLACK,
                                           BLACK, BLACK, BLACK, BLACK, BLACK, BLACK}));
}

TEST(DibConvert, Rle8RunsPastTheRowOrPictureAreCut) {
  BmpLayout layout = rleLayout(DIB_BI_RLE8, {8, 1, 2, 2, 0, 0,             // 8 pixels into a row of 6
                                      0, 7, 4, 5, 6, 7, 8, 9, 10, 0,  // 7 literals
                                      0, 0, 0, 2, 5, 0, 4, 3,         // delta to column 5
                                      0, 2, 0, 9, 6, 6});             // delta above the top row
  EXPECT_EQ(loadPixels(layout), fromIndices({1, 1, 1, 1, 1, 1,
                                           4, 5, 6, 7, 8, 9,
                                           BLACK, BLACK, BLACK, BLACK, BLACK, 3}));
}

TEST(DibConvert, Rle4AlternatesNibbles) {
  BmpLayout layout = rleLayout(DIB_BI_RLE4, {5, 0x12, 0, 3, 0x31, 0x20, 0, 0,  // run of two colours, literals
                                      0, 5, 0x45, 0x67, 0x80, 0,       // five literals, padded
                                      9, 0x9A,                          // cut at the row's end
                                      0, 1},
                         8);
  EXPECT_EQ(loadPixels(layout), fromIndices({1, 2, 1, 2, 1, 3, 1, 2,
                                           4, 5, 6, 7, 8, 9, 10, 9,
                                           BLACK, BLACK, BLACK, BLACK, BLACK, BLACK, BLACK, BLACK}));
}

TEST(DibConvert, RleStreamMayEndWithTheTopRow) {
  BmpLayout layout = rleLayout(DIB_BI_RLE8, {6, 1, 0, 0, 6, 2, 0, 0, 6, 3, 0, 0});
  EXPECT_EQ(loadPixels(layout), fromIndices({1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3}));
}

TEST(DibConvert, RleStreamsEndingEarlyAreRefused) {
  const std::vector<unsigned char> streams[] = {
      {},                            // nothing at all
      {3, 1},                        // no end of picture, rows left
      {6, 1, 0, 0, 6, 2, 0, 0, 6},   // half a code
      {0, 2, 1},                     // half a delta
      {0, 5, 1, 2, 3},               // literals cut short
  };
  for (uint32_t compression : {DIB_BI_RLE8, DIB_BI_RLE4}) {
    for (const auto &stream : streams) {
      SCOPED_TRACE(testing::Message() << "compression " << compression << ", " << stream.size() << " bytes");
      EXPECT_FALSE(loadFromMemory(makeBmp(rleLayout(compression, stream))));
      expectOneErrorBox("Image file conversion error.");
    }
  }
}

TEST(DibConvert, TopDownRleIsRefused) {
  BmpLayout layout = rleLayout(DIB_BI_RLE8, {6, 1, 0, 1});
  layout.height = -3;
  EXPECT_FALSE(loadFromMemory(makeBmp(layout)));
  expectOneErrorBox("Image file conversion error.");
}

// The picture loaded with the vector loops, again with their SSSE3 forms
// only, and again with the scalar code; all must succeed with the same
// pixels.
void expectVectorMatchesScalar(const BmpLayout &layout) {
  std::vector<unsigned char> bytes = makeBmp(layout);
  ImagePtr vector = loadFromMemory(bytes);
  dibAllowAvx2(false);
  ImagePtr ssse3 = loadFromMemory(bytes);
  dibAllowAvx2(true);
  dibAllowVectorPaths(false);
  ImagePtr scalar = loadFromMemory(bytes);
  dibAllowVectorPaths(true);
  ASSERT_TRUE(vector && ssse3 && scalar);
  EXPECT_EQ(pixelBytes(*vector), pixelBytes(*scalar));
  EXPECT_EQ(pixelBytes(*ssse3), pixelBytes(*scalar));
}

std::vector<uint32_t> randomColours(std::mt19937 &random, int count) {
  std::vector<uint32_t> colours;
  for (int i = 0; i < count; ++i) colours.push_back(random() & 0xFFFFFF);
  return colours;
}

// Widths up to 99 end rows at every point of the 8, 16 and 32-pixel steps
// and the steps' spare pixels; rows of 1 to 3 pixels take no step at all.
TEST(DibConvert, VectorRowsMatchScalarRows) {
  std::mt19937 random(13);
  for (int width = 1; width <= 99; ++width) {
    SCOPED_TRACE(testing::Message() << "width " << width);
    const int rows = 3;
    std::vector<uint32_t> values;
    for (int i = 0; i < width * rows; ++i) values.push_back(random());
    // 4 and 8-bit rows, with tables of 12 and 200 colours (the indices past
    // them are black).
    for (int bitCount : {4, 8}) {
      BmpLayout layout;
      layout.width = width;
      layout.height = rows;
      layout.bitCount = static_cast<uint16_t>(bitCount);
      layout.clrUsed = bitCount == 4 ? 12 : 200;
      layout.palette = randomColours(random, static_cast<int>(layout.clrUsed));
      std::vector<uint32_t> indices;
      for (uint32_t value : values) indices.push_back(value % (1u << bitCount));
      layout.pixels = packPixelRows(width, rows, bitCount, indices);
      expectVectorMatchesScalar(layout);
    }
    // 16-bit: 5-5-5 with the top bit set at random, and bit fields of 5 and 6
    // bits in either order.
    const std::vector<std::vector<uint32_t>> maskSets = {
        {}, {0xF800, 0x07E0, 0x001F}, {0x001F, 0x07E0, 0xF800}, {0x7C00, 0x03E0, 0x001F}};
    for (const auto &masks : maskSets) {
      BmpLayout layout = maskedLayout(16, masks.empty() ? DIB_BI_RGB : DIB_BI_BITFIELDS, masks, values);
      layout.width = width;
      layout.height = rows;
      layout.pixels = packPixelRows(width, rows, 16, values);
      expectVectorMatchesScalar(layout);
    }
  }
}

// A random but well-formed RLE stream for a width x rows picture: runs and
// literal groups of every length (some past the row's end), ends of line,
// deltas (some above the top row), and an end-of-picture code that may come
// early.
std::vector<unsigned char> randomRleStream(std::mt19937 &random, bool four, int width, int rows) {
  std::vector<unsigned char> stream;
  int y = 0;
  while (y < rows) {
    unsigned pick = random() % 16;
    if (pick < 8) {
      stream.push_back(static_cast<unsigned char>(1 + random() % (width + 20)));
      stream.push_back(static_cast<unsigned char>(random()));
    } else if (pick < 10) {
      unsigned count = 3 + random() % 40;
      stream.push_back(0);
      stream.push_back(static_cast<unsigned char>(count));
      unsigned stored = four ? (count + 1) / 2 : count;
      for (unsigned i = 0; i < stored + (stored & 1); ++i) stream.push_back(static_cast<unsigned char>(random()));
    } else if (pick < 14) {
      stream.insert(stream.end(), {0, 0});
      ++y;
    } else if (pick < 15) {
      unsigned up = random() % 3;
      stream.insert(stream.end(), {0, 2, static_cast<unsigned char>(random() % 12), static_cast<unsigned char>(up)});
      y += static_cast<int>(up);
    } else if (random() % 4 == 0) {
      break;
    }
  }
  stream.insert(stream.end(), {0, 1});
  return stream;
}

TEST(DibConvert, WideRleRunsMatchScalarRuns) {
  std::mt19937 random(17);
  for (uint32_t compression : {DIB_BI_RLE8, DIB_BI_RLE4}) {
    for (int width = 1; width <= 40; ++width) {
      for (int trial = 0; trial < 4; ++trial) {
        SCOPED_TRACE(testing::Message() << "compression " << compression << ", width " << width);
        BmpLayout layout = rleLayout(compression, randomRleStream(random, compression == DIB_BI_RLE4, width, 5), width);
        layout.height = 5;
        layout.clrUsed = 0;
        layout.palette = randomColours(random, compression == DIB_BI_RLE4 ? 16 : 256);
        expectVectorMatchesScalar(layout);
      }
    }
  }
}

// The scanning walk that checks a stream before its block is taken must
// agree with the plain walk on every cut of a stream, with runs enough
// before the first escape to take whole 16-byte steps; each cut is an exact
// heap block, so a read past it shows under AddressSanitizer.
TEST(DibConvert, RleStreamCheckAgreesWithThePlainWalkOnEveryCut) {
  std::mt19937 random(19);
  for (bool four : {false, true}) {
    for (int trial = 0; trial < 12; ++trial) {
      std::vector<unsigned char> stream;
      for (unsigned runs = random() % 30; runs > 0; --runs) {
        stream.push_back(static_cast<unsigned char>(1 + random() % 255));
        stream.push_back(static_cast<unsigned char>(random() % 2 ? 0 : random()));  // zeros at odd offsets
      }
      std::vector<unsigned char> rest = randomRleStream(random, four, 1 + static_cast<int>(random() % 40), 5);
      stream.insert(stream.end(), rest.begin(), rest.end());
      for (size_t cut = 0; cut <= stream.size(); ++cut) {
        std::unique_ptr<unsigned char[]> bytes(new unsigned char[cut]);
        std::copy(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut), bytes.get());
        bool scanned = dibRleStreamEnds(bytes.get(), cut, four, 5);
        dibAllowVectorPaths(false);
        bool walked = dibRleStreamEnds(bytes.get(), cut, four, 5);
        dibAllowVectorPaths(true);
        ASSERT_EQ(scanned, walked) << (four ? "RLE4" : "RLE8") << " trial " << trial << ", cut at " << cut;
      }
    }
  }
}

}  // namespace
