// The player's own pictures: decoded and scaled, refused from their header
// when too large, refused with a plain reason when damaged, and told from a
// savegame by their first bytes.
#include "image/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "image/image_test_support.h"
#include "save/savegame.h"
#include "writers/png_writer.h"

namespace {

// A PNG of width x height pixels: red in the first half of its longer side,
// blue in the second.
std::vector<unsigned char> halvesPng(int32_t width, int32_t height) {
  std::vector<unsigned char> rgb;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const bool first = width >= height ? x < width / 2 : y < height / 2;
      const std::vector<unsigned char> pixel = rgbBytes({first ? 0xFF0000u : 0x0000FFu});
      rgb.insert(rgb.end(), pixel.begin(), pixel.end());
    }
  }
  const std::string path = temporaryPath("halves.png");
  EXPECT_TRUE(writePng(path.c_str(), width, height, rgb.data(), ROWS_TOP_FIRST));
  const std::vector<unsigned char> bytes = readBytes(path);
  std::remove(path.c_str());
  return bytes;
}

// A PNG's signature and header chunk alone, claiming any size.
std::vector<unsigned char> pngHeader(uint32_t width, uint32_t height) {
  std::vector<unsigned char> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t value : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
  }
  const unsigned char rest[] = {8, 2, 0, 0, 0, 0, 0, 0, 0};  // 8-bit RGB, then a CRC nobody checks first
  bytes.insert(bytes.end(), std::begin(rest), std::end(rest));
  return bytes;
}

TEST(Picture, TakenUpTo8192ASideAndScaledTo4096KeepingItsEdges) {
  struct Case {
    int32_t width, height;     // in the file
    int32_t keptWidth, keptHeight;
  };
  const Case cases[] = {{3, 2, 3, 2}, {8192, 2, 4096, 1}, {4097, 3, 4096, 3}, {2, 8192, 1, 4096}};
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const std::vector<unsigned char> png = halvesPng(c.width, c.height);
    Picture picture;
    std::string reason;
    ASSERT_TRUE(loadPictureMemory(png.data(), png.size(), &picture, &reason)) << reason;
    EXPECT_EQ(picture.width, c.keptWidth);
    EXPECT_EQ(picture.height, c.keptHeight);
    EXPECT_EQ(picture.sourceWidth, c.width);
    EXPECT_EQ(picture.sourceHeight, c.height);
    ASSERT_EQ(picture.rgba.size(), static_cast<size_t>(c.keptWidth) * c.keptHeight * 4);
    // Opaque red at the top-left corner, opaque blue at the bottom-right.
    const size_t last = picture.rgba.size() - 4;
    EXPECT_EQ(std::vector<unsigned char>(picture.rgba.begin(), picture.rgba.begin() + 4),
              (std::vector<unsigned char>{0xFF, 0, 0, 0xFF}));
    EXPECT_EQ(std::vector<unsigned char>(picture.rgba.begin() + last, picture.rgba.end()),
              (std::vector<unsigned char>{0, 0, 0xFF, 0xFF}));
  }
}

TEST(Picture, RefusedWithThePlayersWordsForWhy) {
  const std::vector<unsigned char> png = halvesPng(4, 4);
  const std::vector<unsigned char> text = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
  struct Case {
    const char *what;
    std::vector<unsigned char> bytes;
    std::string reason;  // the whole reason, or its start when it ends in '('
  };
  const Case cases[] = {
      // Refused from the header, before decoding could ask for 30 GB.
      {"100000 x 100000 in a few bytes", pngHeader(100000, 100000),
       "100000 x 100000 pixels: pictures up to 8192 x 8192 are taken"},
      {"one pixel too wide", pngHeader(8193, 1), "8193 x 1 pixels: pictures up to 8192 x 8192 are taken"},
      {"one pixel too tall", pngHeader(1, 8193), "1 x 8193 pixels: pictures up to 8192 x 8192 are taken"},
      {"cut short", std::vector<unsigned char>(png.begin(), png.begin() + 40), "damaged or unsupported picture ("},
      {"not a picture", text, "not a PNG, JPEG, GIF, TGA or BMP picture"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Picture picture;
    std::string reason;
    EXPECT_FALSE(loadPictureMemory(c.bytes.data(), c.bytes.size(), &picture, &reason));
    if (c.reason.back() == '(') {
      EXPECT_EQ(reason.rfind(c.reason, 0), 0u) << reason;
    } else {
      EXPECT_EQ(reason, c.reason);
    }
    EXPECT_EQ(picture.width, 0);
  }
  // A file is refused from its header too, and names the system's reason
  // when it cannot be opened.
  const std::string large = temporaryPath("large-header.png");
  Picture picture;
  std::string reason;
  for (uint32_t width : {100000u, 8193u}) {
    writeBytes(large, pngHeader(width, width / 8193 * 8192));
    EXPECT_FALSE(loadPictureFile(large.c_str(), &picture, &reason));
    EXPECT_EQ(reason.rfind(std::to_string(width) + " x ", 0), 0u) << reason;
  }
  std::remove(large.c_str());
  EXPECT_FALSE(loadPictureFile(temporaryPath("no-such-picture.png").c_str(), &picture, &reason));
  EXPECT_EQ(reason, "No such file or directory");
}

TEST(Picture, ToldFromASaveByItsFirstBytes) {
  BmpLayout bmp;
  std::vector<unsigned char> odd = makeBmp(bmp);
  odd[14] = 41;  // no header BMP knows
  const std::vector<unsigned char> save = makeSavegame({pickup(PICKUP_KIND_PACKAGE, 10, 20, 30)});
  std::vector<unsigned char> saveLikeABmp = save;  // a BMP's header size where a BMP has it
  std::copy(odd.begin() + 14, odd.begin() + 18, saveLikeABmp.begin() + 14);
  saveLikeABmp[14] = 40;
  struct Case {
    const char *what;
    std::vector<unsigned char> bytes;
    bool picture;
  };
  const Case cases[] = {
      {"PNG", halvesPng(2, 2), true},
      {"BMP", makeBmp(bmp), true},
      {"JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'}, true},
      {"GIF", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, true},
      {"a save", save, false},
      {"a save with a BMP's header size", saveLikeABmp, false},
      {"BM and an unknown header", odd, false},
      {"the PNG signature cut short", {0x89, 'P', 'N', 'G'}, false},
      {"nothing", {}, false},
  };
  for (const Case &c : cases) {
    const size_t size = std::min(c.bytes.size(), PICTURE_SIGNATURE_BYTES);
    EXPECT_EQ(looksLikePicture(c.bytes.data(), size), c.picture) << c.what;
  }
}

}  // namespace
