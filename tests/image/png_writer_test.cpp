// The PNG writer on both platforms: pictures read back (by stb_image, a
// decoder of its own) exactly as given in either row order, and a file that
// cannot be written says why.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <cerrno>
#include <cstring>

#include "image/image_test_support.h"
#include "writers/png_writer.h"

namespace {

std::vector<unsigned char> readBack(const std::string &path, int *width, int *height) {
  int channels = 0;
  unsigned char *pixels = stbi_load(path.c_str(), width, height, &channels, 3);
  if (!pixels) return {};
  std::vector<unsigned char> rgb(pixels, pixels + static_cast<size_t>(*width) * *height * 3);
  stbi_image_free(pixels);
  return rgb;
}

TEST(PngWriter, PicturesReadBackUprightInEitherRowOrder) {
  // Rows unlike each other, so that every filter the encoder tries has to
  // reach the row above the right way.
  const int32_t width = 37, height = 23;
  std::vector<unsigned char> topFirst;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width * 3; ++x) topFirst.push_back(static_cast<unsigned char>(x * 7 + y * y * 13));
  }
  std::vector<unsigned char> bottomFirst;
  for (int32_t y = height - 1; y >= 0; --y) {
    bottomFirst.insert(bottomFirst.end(), topFirst.begin() + y * width * 3, topFirst.begin() + (y + 1) * width * 3);
  }
  const std::string path = temporaryPath("writer.png");
  for (PngRowOrder order : {ROWS_TOP_FIRST, ROWS_BOTTOM_FIRST}) {
    const std::vector<unsigned char> &given = order == ROWS_TOP_FIRST ? topFirst : bottomFirst;
    std::string error;
    ASSERT_TRUE(writePng(path.c_str(), width, height, given.data(), order, &error)) << error;
    int readWidth = 0, readHeight = 0;
    EXPECT_EQ(readBack(path, &readWidth, &readHeight), topFirst) << "order " << order;
    EXPECT_EQ(readWidth, width);
    EXPECT_EQ(readHeight, height);
  }
  std::remove(path.c_str());
}

TEST(PngWriter, AFileThatCannotBeCreatedSaysWhy) {
  const std::string path = temporaryPath("no-such-folder") + "/picture.png";
  const unsigned char pixel[3] = {1, 2, 3};
  std::string error;
  EXPECT_FALSE(writePng(path.c_str(), 1, 1, pixel, ROWS_TOP_FIRST, &error));
  EXPECT_EQ(error, std::strerror(ENOENT));
}

}  // namespace
