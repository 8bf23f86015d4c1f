// Shared ground of the pixel tests: pictures of our own written to a private
// folder, the viewer started on an offscreen OpenGL context (Mesa), frames
// read back, and an independent model of where the scene and the text land.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/viewer_state.h"

// A picture as 0xRRGGBB values, top row first.
struct TestPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A font picture in which the cell of every code carries its own pattern of
// lit blocks (a different grey for each code, blanks included), inside a
// two-texel black margin, so that a glyph drawn from the wrong cell, at the
// wrong place or upside down cannot pass for the right one.
TestPicture patternFont();

// A map whose four quarters have their own colour (none pure red or green).
constexpr uint32_t MAP_TOP_LEFT = 0xC8A03C;
constexpr uint32_t MAP_TOP_RIGHT = 0x3CA0C8;
constexpr uint32_t MAP_BOTTOM_LEFT = 0xA03CC8;
constexpr uint32_t MAP_BOTTOM_RIGHT = 0xC8C8C8;
TestPicture quarterMap();

// Writes the picture as a 24-bit BMP file, as the bundled pictures are written.
void writeBmpFile(const std::string &path, const TestPicture &picture);

struct Rgb {
  int r;
  int g;
  int b;
};
Rgb rgbOf(uint32_t colour);
bool near(Rgb a, Rgb b, int tolerance);
std::string describe(Rgb colour);

// A panel or help background of grey level `grey` blended over D as
// S x S + D x (1 - S): 0.04 + 0.8 x D for the panel, 0.09 + 0.7 x D for help.
Rgb translucent(Rgb under, double grey);

// The first column (or row) whose pixel centre lies inside an overlay quad
// that starts at overlay coordinate `start`: the overlay spans size - 1 units
// over size pixels.
int32_t firstPixelAt(int32_t start, int32_t size);

// The clear colour (0.05, 0.05, 0.1) as 8-bit values.
constexpr Rgb BACKGROUND_RGB = {13, 13, 26};

// A frame read back from the offscreen surface, top row first.
struct Frame {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<unsigned char> rgb;
  Rgb at(int32_t x, int32_t y) const;
};

// Reads a PNG file (through libpng, a decoder apart from our writer) into
// frame; false when it cannot be read.
bool readPng(const std::string &path, Frame *frame);

// Where the projection of a resize to width x height puts the scene point
// (x, y, -zoom): window pixel coordinates, x to the right, y down from the top
// edge (pixel centres at .5).
struct PixelPoint {
  double x;
  double y;
};
PixelPoint projectScene(double x, double y, double zoom, int32_t width, int32_t height);

// Smallest box holding every pixel for which the predicate holds, within the
// search box; found is false when there is none.
struct PixelBox {
  bool found = false;
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  double centreX() const { return (left + right + 1) / 2.0; }
  double centreY() const { return (top + bottom + 1) / 2.0; }
};
template <typename Predicate>
PixelBox findPixels(const Frame &frame, int32_t left, int32_t top, int32_t right, int32_t bottom,
                    Predicate wanted) {
  PixelBox box;
  for (int32_t y = std::max(top, 0); y <= std::min(bottom, frame.height - 1); ++y) {
    for (int32_t x = std::max(left, 0); x <= std::min(right, frame.width - 1); ++x) {
      if (!wanted(frame.at(x, y))) continue;
      if (!box.found) box = PixelBox{true, x, y, x, y};
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}
bool isPackageRed(Rgb colour);
bool isRampageGreen(Rgb colour);

// Replaces a marker list of viewerState (the record frees it on reset).
void setPackages(const std::vector<PickupMarker> &markers);
void setRampages(const std::vector<PickupMarker> &markers);

// Checks that text drawn with its pen at overlay pixel (x, y) shows the cells
// of the pattern font as the renderer's text blend puts them over what lies
// beneath (glyph T over D: T x T + D x (1 - T)), sampling the font as linear
// filtering does. `under` gives D for a window pixel, or is one colour.
using UnderText = std::function<Rgb(int32_t x, int32_t y)>;
void expectText(const Frame &frame, int32_t x, int32_t y, const char *text, const UnderText &under);
void expectText(const Frame &frame, int32_t x, int32_t y, const char *text, Rgb under);

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the pattern font and the quarter map into the picture folder.
  void writePictures(bool font = true, bool map = true);

  // What the viewer does at start-up: a context of the window's size, the
  // graphics resources loaded from the picture folder, then the first resize.
  // False (with the reason in the test log) when there is no OpenGL.
  bool startViewer(int32_t width, int32_t height);

  // A resize of the window: a new surface, then the resize handling.
  bool resizeWindow(int32_t width, int32_t height);

  // renderFrame, then the finished frame as the surface holds it.
  Frame drawFrame();

  std::string pictureFolder;
};
