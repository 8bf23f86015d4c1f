// The square map made from a picture: the picture's pixels land where its
// edges say, the chart's paper everywhere else.
#include "image/square_map.h"

#include <gtest/gtest.h>

#include "image/chart_colours.h"

namespace {

TEST(SquareMap, PictureLandsBetweenItsEdgesOnPaper) {
  // 3 x 2 pixels, each its own colour, placed at pixel for pixel scale with
  // its top-left corner at (4, 1) of an 8-pixel square; then half off its
  // right edge, cropped there.
  Picture picture;
  picture.width = 3;
  picture.height = 2;
  for (unsigned char i = 0; i < 6; ++i) {
    picture.rgba.insert(picture.rgba.end(), {i, 100, static_cast<unsigned char>(200 - i), 255});
  }
  struct Case {
    SquareEdges edges;
    int32_t left, top;  // where the picture's top-left pixel lands
  };
  const Case cases[] = {{{4, 1, 7, 3}, 4, 1}, {{6, 5, 9, 7}, 6, 5}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.left);
    Canvas map(8, 8);
    ASSERT_TRUE(paintSquareMap(picture, c.edges, &map));
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        const int32_t px = x - c.left, py = y - c.top;
        const bool inside = px >= 0 && px < 3 && py >= 0 && py < 2;
        const unsigned char *expected = inside ? &picture.rgba[(py * 3 + px) * 4] : CHART_PAPER;
        EXPECT_EQ(std::vector<unsigned char>(map.at(x, y), map.at(x, y) + 3),
                  std::vector<unsigned char>(expected, expected + 3))
            << x << ", " << y;
      }
    }
  }
}

}  // namespace
