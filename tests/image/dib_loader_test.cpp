// BMP loader: header forms with and without the file header, where the colour
// table and pixel data are found, row padding and byte order, top-down files,
// and the one message box of every refused file (missing, empty, not a
// regular file, short, unknown header, absurd sides).
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "image/dib_format.h"
#include "image/image_test_support.h"
#include "support/irregular_files.h"
#ifndef _WIN32
#include "support/address_space_cap.h"
#endif

namespace {

uint32_t colourAt(size_t i) { return static_cast<uint32_t>(i * 0x3A5F17u + 0x102030u) & 0xFFFFFF; }

std::vector<uint32_t> colours(size_t count) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < count; ++i) out.push_back(colourAt(i));
  return out;
}

// A 24-bit picture whose pixel i (in file order) is colourAt(i).
BmpLayout trueColourLayout(int width, int height) {
  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  layout.pixels = packPixelRows(width, height < 0 ? -height : height, 24, colours(width * std::abs(height)));
  return layout;
}

// An 8-bit picture of indices i % paletteSize over a palette of colourAt(i).
BmpLayout palettedLayout(int width, int height, int paletteSize) {
  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bitCount = 8;
  layout.clrUsed = static_cast<uint32_t>(paletteSize);
  layout.palette = colours(paletteSize);
  std::vector<uint32_t> indices;
  for (int i = 0; i < width * height; ++i) indices.push_back(static_cast<uint32_t>(i % paletteSize));
  layout.pixels = packPixelRows(width, height, 8, indices);
  return layout;
}

std::vector<uint32_t> paletteLookup(int count, int paletteSize) {
  std::vector<uint32_t> out;
  for (int i = 0; i < count; ++i) out.push_back(colourAt(i % paletteSize));
  return out;
}

TEST(DibLoader, TrueColourRowsLoseTheirPaddingAtEveryWidth) {
  for (int width = 1; width <= 19; ++width) {
    SCOPED_TRACE(width);
    ImagePtr image = loadThroughFile(makeBmp(trueColourLayout(width, 3)));
    ASSERT_TRUE(image);
    EXPECT_TRUE(headlessMessageBoxes().empty());
    EXPECT_EQ(image->width, width);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(pixelBytes(*image), rgbBytes(colours(width * 3)));
  }
}

TEST(DibLoader, StoredBlueGreenRedComesOutRedGreenBlue) {
  BmpLayout layout;
  layout.pixels = {1, 2, 3, 0};
  ImagePtr image = loadThroughFile(makeBmp(layout));
  ASSERT_TRUE(image);
  EXPECT_EQ(pixelBytes(*image), (std::vector<unsigned char>{3, 2, 1}));
}

TEST(DibLoader, HeaderlessPixelsFollowAShortColourTable) {
  BmpLayout layout = palettedLayout(5, 4, 20);
  layout.fileHeader = false;
  ASSERT_EQ(bmpPixelOffset(layout), 40u + 80u);
  ImagePtr image = loadThroughFile(makeBmp(layout));
  ASSERT_TRUE(image);
  EXPECT_EQ(pixelBytes(*image), rgbBytes(paletteLookup(20, 20)));
}

TEST(DibLoader, CoreHeaderColoursWidenWithAndWithoutFileHeader) {
  for (bool fileHeader : {true, false}) {
    SCOPED_TRACE(fileHeader);
    BmpLayout layout;
    layout.fileHeader = fileHeader;
    layout.coreHeader = true;
    layout.width = 5;
    layout.height = 3;
    layout.bitCount = 4;
    layout.palette = colours(16);
    std::vector<uint32_t> indices;
    for (int i = 0; i < 15; ++i) indices.push_back(static_cast<uint32_t>((i * 7) % 16));
    layout.pixels = packPixelRows(5, 3, 4, indices);
    if (!fileHeader) {
      ASSERT_EQ(bmpPixelOffset(layout), 12u + 3u * 16u);
    }
    ImagePtr image = loadThroughFile(makeBmp(layout));
    ASSERT_TRUE(image);
    std::vector<uint32_t> expected;
    for (uint32_t index : indices) expected.push_back(colourAt(index));
    EXPECT_EQ(pixelBytes(*image), rgbBytes(expected));
  }
}

TEST(DibLoader, PixelDataStartsAtTheFileHeaderOffsetPastAGap) {
  BmpLayout layout = palettedLayout(6, 2, 256);
  layout.clrUsed = 0;
  layout.gap = 37;
  ImagePtr image = loadThroughFile(makeBmp(layout));
  ASSERT_TRUE(image);
  EXPECT_EQ(pixelBytes(*image), rgbBytes(paletteLookup(12, 256)));
}

TEST(DibLoader, TopDownFileLoadsAsItsBottomUpTwin) {
  BmpLayout bottomUp = trueColourLayout(3, 4);
  BmpLayout topDown = bottomUp;
  topDown.height = -4;
  topDown.pixels.clear();
  size_t stride = bottomUp.pixels.size() / 4;
  for (int row = 3; row >= 0; --row) {
    auto first = bottomUp.pixels.begin() + static_cast<std::ptrdiff_t>(row * stride);
    topDown.pixels.insert(topDown.pixels.end(), first, first + static_cast<std::ptrdiff_t>(stride));
  }
  ImagePtr expected = loadThroughFile(makeBmp(bottomUp));
  ImagePtr image = loadThroughFile(makeBmp(topDown));
  ASSERT_TRUE(expected);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->height, 4);
  EXPECT_EQ(pixelBytes(*image), pixelBytes(*expected));
}

TEST(DibLoader, ShortFilesAreRefusedWithOneBox) {
  for (bool fileHeader : {true, false}) {
    BmpLayout layout = palettedLayout(5, 3, 16);
    layout.fileHeader = fileHeader;
    std::vector<unsigned char> whole = makeBmp(layout);
    size_t headerEnd = fileHeader ? 54 : 40;
    size_t pixelsAt = bmpPixelOffset(layout);
    const size_t cuts[] = {1, 3, 13, 20, headerEnd - 1, headerEnd, headerEnd + 10,
                           pixelsAt, pixelsAt + 9, whole.size() - 8, whole.size() - 4};
    for (size_t cut : cuts) {
      SCOPED_TRACE(testing::Message() << "file header " << fileHeader << ", " << cut << " bytes");
      std::vector<unsigned char> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
      ImagePtr image = loadThroughFile(bytes);
      EXPECT_FALSE(image);
      expectOneErrorBox(cut < headerEnd ? "Unknown DIB file format." : "Image file conversion error.");
    }
  }
}

TEST(DibLoader, OnlyTheLastRowsPaddingMayBeMissing) {
  BmpLayout layout = palettedLayout(5, 3, 16);
  std::vector<unsigned char> bytes = makeBmp(layout);
  bytes.resize(bytes.size() - 3);
  ImagePtr image = loadThroughFile(bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(pixelBytes(*image), rgbBytes(paletteLookup(15, 16)));
}

TEST(DibLoader, PixelOffsetPastTheEndIsRefused) {
  BmpLayout layout = trueColourLayout(2, 2);
  layout.overrideOffBits = true;
  layout.offBits = 0xFFFFFFF0;
  ImagePtr image = loadThroughFile(makeBmp(layout));
  EXPECT_FALSE(image);
  expectOneErrorBox("Image file conversion error.");
}

TEST(DibLoader, AbsurdSidesAreRefusedBeforeAnyAllocation) {
  const int32_t big = DIB_MAX_SIDE + 1;
  const int32_t sides[][2] = {{0, 1}, {1, 0}, {-5, 1}, {big, 1}, {1, big}, {1, -big},
                              {std::numeric_limits<int32_t>::min(), 1},
                              {1, std::numeric_limits<int32_t>::min()},
                              {3000000, 2000000}};
  for (const auto &side : sides) {
    SCOPED_TRACE(testing::Message() << side[0] << " x " << side[1]);
    BmpLayout layout = trueColourLayout(1, 1);
    layout.width = side[0];
    layout.height = side[1];
    ImagePtr image = loadFromMemory(makeBmp(layout));
    EXPECT_FALSE(image);
    expectOneErrorBox("Image file conversion error.");
  }
  BmpLayout core;
  core.coreHeader = true;
  core.width = 65535;
  core.height = 1;
  ImagePtr image = loadFromMemory(makeBmp(core));
  EXPECT_FALSE(image);
  expectOneErrorBox("Image file conversion error.");
}

// Refused from the header and the file's length alone, before a block of
// 3 GB is asked for: under a cap of 1 GB of address space (on Windows, the
// 32-bit program's own) such a request would fail with "Out of memory.".
TEST(DibLoader, SmallFileClaimingTheLargestPictureIsRefused) {
  BmpLayout layout = trueColourLayout(1, 1);
  layout.width = DIB_MAX_SIDE;
  layout.height = DIB_MAX_SIDE;
#ifndef _WIN32
  AddressSpaceCap cap(1ull << 30);
  ASSERT_TRUE(cap.active());
#endif
  ImagePtr image = loadFromMemory(makeBmp(layout));
  EXPECT_FALSE(image);
  expectOneErrorBox("Image file conversion error.");
}

TEST(DibLoader, LargestAcceptedSideLoads) {
  BmpLayout layout = palettedLayout(DIB_MAX_SIDE, 1, 200);
  ImagePtr image = loadFromMemory(makeBmp(layout));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, DIB_MAX_SIDE);
  EXPECT_EQ(pixelBytes(*image), rgbBytes(paletteLookup(DIB_MAX_SIDE, 200)));
}

TEST(DibLoader, MissingOrEmptyFileOrOneThatIsNotAFileNamesIt) {
  std::string missing = temporaryPath("no-such-picture.bmp");
  headlessClearMessageBoxes();
  EXPECT_EQ(loadDibFile(missing.c_str()), nullptr);
  expectOneErrorBox("Failed to open DIB file " + missing + ".\n");

  std::string empty = temporaryPath("empty.bmp");
  writeBytes(empty, {});
  headlessClearMessageBoxes();
  EXPECT_EQ(loadDibFile(empty.c_str()), nullptr);
  std::remove(empty.c_str());
  expectOneErrorBox("Failed to open DIB file " + empty + ".\n");

  forEachIrregularFile([](const std::string &what, const std::string &irregular) {
    SCOPED_TRACE(what);
    headlessClearMessageBoxes();
    EXPECT_EQ(loadDibFile(irregular.c_str()), nullptr);
    expectOneErrorBox("Failed to open DIB file " + irregular + ".\n");
  });
}

TEST(DibLoader, OverlongNameIsCutToTheMessageBuffer) {
  std::string missing = temporaryPath(std::string(300, 'n') + ".bmp");
  headlessClearMessageBoxes();
  EXPECT_EQ(loadDibFile(missing.c_str()), nullptr);
  std::string full = "Failed to open DIB file " + missing + ".\n";
  expectOneErrorBox(full.substr(0, 255));
}

TEST(DibLoader, HeadersOfOtherSizesAreUnknown) {
  for (uint32_t size : {16u, 52u, 56u, 64u, 108u, 124u, 0u}) {
    SCOPED_TRACE(size);
    std::vector<unsigned char> bytes = makeBmp(trueColourLayout(4, 4));
    for (int i = 0; i < 4; ++i) bytes[14 + i] = static_cast<unsigned char>(size >> (8 * i));
    ImagePtr image = loadFromMemory(bytes);
    EXPECT_FALSE(image);
    expectOneErrorBox("Unknown DIB file format.");
  }
  const std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
  EXPECT_FALSE(loadFromMemory(png));
  expectOneErrorBox("Unknown DIB file format.");
}

TEST(DibLoader, ColourCountFollowsHeaderFormAndClrUsed) {
  auto countOf = [](const BmpLayout &layout) {
    std::vector<unsigned char> bytes = makeBmp(layout);
    return dibColorCount(bytes.data() + (layout.fileHeader ? 14 : 0));
  };
  BmpLayout layout;
  layout.coreHeader = true;
  const std::pair<uint16_t, uint16_t> derived[] = {{1, 2}, {4, 16}, {8, 256}, {24, 0}, {2, 0}};
  for (auto [bits, count] : derived) {
    layout.bitCount = bits;
    EXPECT_EQ(countOf(layout), count) << "core, " << bits << " bits";
  }
  layout.coreHeader = false;
  layout.clrUsed = 0;
  for (auto [bits, count] : derived) {
    layout.bitCount = bits;
    EXPECT_EQ(countOf(layout), count) << "info, " << bits << " bits";
  }
  layout.bitCount = 8;
  const std::pair<uint32_t, uint16_t> used[] = {{20, 20}, {300, 300}, {0x12345, 0x2345}, {0x10000, 0}};
  for (auto [clrUsed, count] : used) {
    layout.clrUsed = clrUsed;
    EXPECT_EQ(countOf(layout), count) << "biClrUsed " << clrUsed;
  }
}

// biClrUsed 0x10002 leaves 2 colour entries: the indices they cover keep
// their colours, the others come out black, and nothing is read past them.
TEST(DibLoader, HugeClrUsedKeepsItsLow16Bits) {
  BmpLayout layout = palettedLayout(4, 1, 2);
  layout.clrUsed = 0x10002;
  layout.fileHeader = false;
  layout.pixels = packPixelRows(4, 1, 8, {1, 0, 2, 255});
  ImagePtr image = loadThroughFile(makeBmp(layout));
  ASSERT_TRUE(image);
  EXPECT_EQ(pixelBytes(*image), rgbBytes({colourAt(1), colourAt(0), 0, 0}));
}

TEST(DibLoader, UndecodableHeadersAreConversionErrors) {
  struct Case {
    const char *what;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
  };
  const Case cases[] = {{"planes 0", 0, 24, 0},        {"planes 2", 2, 24, 0},
                        {"2 bits", 1, 2, 0},           {"64 bits", 1, 64, 0},
                        {"0 bits", 1, 0, 0},           {"JPEG", 1, 24, 4},
                        {"RLE8 at 4 bits", 1, 4, 1},   {"bit fields at 24 bits", 1, 24, 3},
                        {"compression 6", 1, 32, 6}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    BmpLayout layout = trueColourLayout(4, 2);
    layout.planes = c.planes;
    layout.bitCount = c.bitCount;
    layout.compression = c.compression;
    layout.pixels.resize(4096, 0x11);
    ImagePtr image = loadFromMemory(makeBmp(layout));
    EXPECT_FALSE(image);
    expectOneErrorBox("Image file conversion error.");
  }
}

}  // namespace
