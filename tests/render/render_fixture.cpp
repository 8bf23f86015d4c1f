// The pixel tests' pictures, offscreen frames and reference model.
#include "render/render_fixture.h"

#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "render/resize.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_gl.h"
#include "render/frame.h"
#include "render/resources.h"
#include "support/savegame_writer.h"
#include "image/bmp_writer.h"

namespace {

constexpr int32_t FONT_SIZE = 256;
constexpr int32_t CELL = 16;

// The grey level of font texel (x, y), rows counted from the top.
int fontTexel(const TestPicture &font, int32_t x, int32_t y) {
  x = ((x % FONT_SIZE) + FONT_SIZE) % FONT_SIZE;
  y = ((y % FONT_SIZE) + FONT_SIZE) % FONT_SIZE;
  return static_cast<int>(font.at(x, y) & 0xFF);
}

// Linear filtering of the font texture at texture coordinates (s, t) with
// repeat wrap. t = 0 is the first row of the image data, which is the bottom
// row of the picture.
double sampleFont(const TestPicture &font, double s, double t) {
  const double u = s * FONT_SIZE - 0.5;
  const double v = t * FONT_SIZE - 0.5;
  const double u0 = std::floor(u);
  const double v0 = std::floor(v);
  const double a = u - u0;
  const double b = v - v0;
  auto texel = [&](double column, double dataRow) {
    return fontTexel(font, static_cast<int32_t>(column), FONT_SIZE - 1 - static_cast<int32_t>(dataRow));
  };
  return (1 - a) * (1 - b) * texel(u0, v0) + a * (1 - b) * texel(u0 + 1, v0) +
         (1 - a) * b * texel(u0, v0 + 1) + a * b * texel(u0 + 1, v0 + 1);
}

}  // namespace

TestPicture patternFont() {
  TestPicture font{FONT_SIZE, FONT_SIZE, std::vector<uint32_t>(FONT_SIZE * FONT_SIZE, 0)};
  for (int32_t code = 0; code < 256; ++code) {
    // Eight of sixteen 3 x 3 blocks lit: the code's bits and their complement.
    const uint32_t pattern = static_cast<uint32_t>(code) | (static_cast<uint32_t>(255 - code) << 8);
    const uint32_t grey = 96 + static_cast<uint32_t>(code) % 160;
    const int32_t cellX = (code % 16) * CELL;
    const int32_t cellY = (code / 16) * CELL;
    for (int32_t block = 0; block < 16; ++block) {
      if (!(pattern & (1u << block))) continue;
      for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 3; ++x) {
          const int32_t px = cellX + 2 + (block % 4) * 3 + x;
          const int32_t py = cellY + 2 + (block / 4) * 3 + y;
          font.pixels[static_cast<size_t>(py) * FONT_SIZE + px] = grey * 0x010101;
        }
      }
    }
  }
  return font;
}

TestPicture quarterMap() {
  const int32_t side = 64;
  TestPicture map{side, side, std::vector<uint32_t>(side * side)};
  for (int32_t y = 0; y < side; ++y) {
    for (int32_t x = 0; x < side; ++x) {
      const bool left = x < side / 2;
      const bool top = y < side / 2;
      map.pixels[static_cast<size_t>(y) * side + x] =
          top ? (left ? MAP_TOP_LEFT : MAP_TOP_RIGHT) : (left ? MAP_BOTTOM_LEFT : MAP_BOTTOM_RIGHT);
    }
  }
  return map;
}

void writeBmpFile(const std::string &path, const TestPicture &picture) {
  Canvas canvas(picture.width, picture.height);
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    canvas.rgb[3 * i] = static_cast<unsigned char>(picture.pixels[i] >> 16);
    canvas.rgb[3 * i + 1] = static_cast<unsigned char>(picture.pixels[i] >> 8);
    canvas.rgb[3 * i + 2] = static_cast<unsigned char>(picture.pixels[i]);
  }
  writeBytes(path, makeBmp24(canvas));
}

Rgb rgbOf(uint32_t colour) {
  return Rgb{static_cast<int>(colour >> 16), static_cast<int>((colour >> 8) & 0xFF),
             static_cast<int>(colour & 0xFF)};
}

bool near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

std::string describe(Rgb colour) {
  char text[48];
  std::snprintf(text, sizeof text, "(%d, %d, %d)", colour.r, colour.g, colour.b);
  return text;
}

Rgb translucent(Rgb under, double grey) {
  auto mix = [&](int d) { return static_cast<int>(std::lround(255 * (grey * grey + d / 255.0 * (1 - grey)))); };
  return Rgb{mix(under.r), mix(under.g), mix(under.b)};
}

int32_t firstPixelAt(int32_t start, int32_t size) {
  const double edge = start * static_cast<double>(size) / (size - 1);
  return static_cast<int32_t>(std::ceil(edge - 0.5));
}

Rgb Frame::at(int32_t x, int32_t y) const {
  const unsigned char *p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return Rgb{p[0], p[1], p[2]};
}

bool readPng(const std::string &path, Frame *frame) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  frame->width = static_cast<int32_t>(image.width);
  frame->height = static_cast<int32_t>(image.height);
  frame->rgb.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, frame->rgb.data(), 0, nullptr) != 0;
}

PixelPoint projectScene(double x, double y, double zoom, int32_t width, int32_t height) {
  const double pi = std::acos(-1.0);
  const double focal = 1.0 / std::tan(15.0 * pi / 180.0);
  const double aspect = static_cast<double>(static_cast<float>(width) / static_cast<float>(height));
  const double ndcX = x * focal / (aspect * zoom);
  const double ndcY = y * focal / zoom;
  return PixelPoint{(ndcX + 1) * width / 2, (1 - ndcY) * height / 2};
}

bool isPackageRed(Rgb colour) { return colour.r >= 250 && colour.g <= 5 && colour.b <= 5; }
bool isRampageGreen(Rgb colour) { return colour.g >= 250 && colour.r <= 5 && colour.b <= 5; }

namespace {
PickupMarker *copyList(const std::vector<PickupMarker> &markers) {
  if (markers.empty()) return nullptr;
  auto *list = static_cast<PickupMarker *>(std::malloc(markers.size() * sizeof(PickupMarker)));
  std::memcpy(list, markers.data(), markers.size() * sizeof(PickupMarker));
  return list;
}
}  // namespace

void setPackages(const std::vector<PickupMarker> &markers) {
  std::free(viewerState.packages);
  viewerState.packages = copyList(markers);
  viewerState.packageCount = static_cast<int32_t>(markers.size());
}

void setRampages(const std::vector<PickupMarker> &markers) {
  std::free(viewerState.rampages);
  viewerState.rampages = copyList(markers);
  viewerState.rampageCount = static_cast<int32_t>(markers.size());
}

void expectText(const Frame &frame, int32_t x, int32_t y, const char *text, const UnderText &under) {
  static const TestPicture font = patternFont();
  const int32_t length = static_cast<int32_t>(std::strlen(text));
  // The overlay maps 0 .. width - 1 onto the whole width of the window, so one
  // overlay unit is width / (width - 1) pixels (and the same vertically).
  const double scaleX = static_cast<double>(frame.width) / (frame.width - 1);
  const double scaleY = static_cast<double>(frame.height) / (frame.height - 1);
  int mismatches = 0;
  int inked = 0;
  std::string first;
  for (int32_t py = 0; py < frame.height; ++py) {
    const double v = (py + 0.5) / scaleY - y;  // overlay units below the pen
    if (v < 0 || v >= CELL) continue;
    for (int32_t px = 0; px < frame.width; ++px) {
      const double u = (px + 0.5) / scaleX - x;
      if (u < 0 || u >= CELL * length) continue;
      // Pixel centres within a hair of a glyph's edge may fall either way.
      const double edgeU = std::fmod(u, CELL);
      if (std::min(edgeU, CELL - edgeU) * scaleX < 0.05 || std::min(v, CELL - v) * scaleY < 0.05) continue;

      const int32_t index = static_cast<int32_t>(u / CELL);
      const int32_t code = static_cast<unsigned char>(text[index]);
      const double s = ((code % 16) + (u - CELL * index) / CELL) / 16.0;
      const double t = -((code / 16) + v / CELL) / 16.0;
      const double glyph = sampleFont(font, s, t) / 255.0;
      auto blend = [&](int d) { return static_cast<int>(std::lround(255 * (glyph * glyph + d / 255.0 * (1 - glyph)))); };
      const Rgb d = under(px, py);
      const Rgb expected{blend(d.r), blend(d.g), blend(d.b)};
      const Rgb seen = frame.at(px, py);
      if (glyph > 0.3) ++inked;
      if (!near(seen, expected, 6)) {
        if (mismatches++ == 0) {
          first = "pixel (" + std::to_string(px) + ", " + std::to_string(py) + ") is " + describe(seen) +
                  ", expected " + describe(expected);
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "text \"" << text << "\" at (" << x << ", " << y << "): " << first;
  EXPECT_GT(inked, 0) << "text \"" << text << "\" covers no ink";
}

void expectText(const Frame &frame, int32_t x, int32_t y, const char *text, Rgb under) {
  expectText(frame, x, y, text, [under](int32_t, int32_t) { return under; });
}

void RenderTest::SetUp() {
  // The expected pixels assume llvmpipe's rasterisation and filtering: keep a
  // GPU, should the machine have one, out of the tests (and of the tool they run).
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  resetViewerState();
  headlessClearMessageBoxes();
  pictureFolder = temporaryPath(::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::create_directories(pictureFolder);
}

void RenderTest::TearDown() {
  headlessDestroyGlContext();
  std::error_code ignored;
  std::filesystem::remove_all(pictureFolder, ignored);
  resetViewerState();
}

void RenderTest::writePictures(bool font, bool map) {
  if (font) writeBmpFile(pictureFolder + "/font.bmp", patternFont());
  if (map) writeBmpFile(pictureFolder + "/THmap.bmp", quarterMap());
}

bool RenderTest::startViewer(int32_t width, int32_t height) {
  if (!headlessCreateGlContext(width, height)) {
    ADD_FAILURE() << "no offscreen OpenGL: " << headlessGlError();
    return false;
  }
  initGraphicsFrom((pictureFolder + "/font.bmp").c_str(), (pictureFolder + "/THmap.bmp").c_str());
  resizeViewport(width, height);
  return true;
}

bool RenderTest::resizeWindow(int32_t width, int32_t height) {
  if (!headlessResizeGlSurface(width, height)) {
    ADD_FAILURE() << "cannot resize the offscreen surface: " << headlessGlError();
    return false;
  }
  resizeViewport(width, height);
  return true;
}

Frame RenderTest::drawFrame() {
  renderFrame();
  Frame frame;
  frame.width = headlessSurfaceWidth();
  frame.height = headlessSurfaceHeight();
  frame.rgb.resize(static_cast<size_t>(frame.width) * frame.height * 3);
  headlessReadFrame(frame.rgb.data());
  return frame;
}
