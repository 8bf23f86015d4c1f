// Pixel tests of the start-up resources and of the resize handling.
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "render/resize.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_gl.h"
#include "platform/posix/picture_path.h"
#include "render/gl.h"
#include "render/render_fixture.h"
#include "render/resources.h"
#include "support/savegame_writer.h"
#include "image/bmp_writer.h"

namespace {

TEST_F(RenderTest, MissingMapIsReportedOnceAndDrawnUntextured) {
  writePictures(true, false);
  ASSERT_TRUE(startViewer(1000, 480));  // wide enough that the panel lies beside the map
  ASSERT_EQ(headlessMessageBoxes().size(), 1u);
  EXPECT_EQ(headlessMessageBoxes()[0].caption, "Error");
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Failed to open DIB file " + pictureFolder + "/THmap.bmp.\n");
  EXPECT_NE(viewerState.mapTexture, 0u);

  drawFrame();
  const Frame frame = drawFrame();
  EXPECT_PRED3(near, frame.at(500, 240), (Rgb{255, 255, 255}), 1) << describe(frame.at(500, 240));
  EXPECT_PRED3(near, frame.at(100, 240), BACKGROUND_RGB, 1);
  // The overlay still works: the panel over the background and its text.
  const Rgb panel{20, 20, 31};
  EXPECT_PRED3(near, frame.at(990, 400), panel, 2) << describe(frame.at(990, 400));
  expectText(frame, 1000 - 160, 14, "    0", panel);
  EXPECT_EQ(headlessMessageBoxes().size(), 1u);
}

// A map of the player's own in the newer header form that image editors
// write is refused with its box, and the bundled chart serves instead.
TEST_F(RenderTest, RefusedMapFallsBackToTheBundledChart) {
  writePictures(true, false);
  BmpLayout newer;
  newer.infoHeaderSize = 124;
  newer.width = 4;
  newer.height = 4;
  newer.pixels = packPixelRows(4, 4, 24, std::vector<uint32_t>(16, 0xFFFFFF));
  writeBytes(pictureFolder + "/THmap.bmp", makeBmp(newer));
  const std::string bundled = pictureFolder + "/bundled.bmp";
  writeBmpFile(bundled, quarterMap());
  ASSERT_TRUE(headlessCreateGlContext(800, 480)) << headlessGlError();
  EXPECT_TRUE(initGraphicsFrom((pictureFolder + "/font.bmp").c_str(), (pictureFolder + "/THmap.bmp").c_str(),
                               nullptr, bundled.c_str()));
  resizeViewport(800, 480);
  ASSERT_EQ(headlessMessageBoxes().size(), 1u);
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Unknown DIB file format.");
  const Frame frame = drawFrame();
  EXPECT_PRED3(near, frame.at(300, 150), rgbOf(MAP_TOP_LEFT), 2) << describe(frame.at(300, 150));
}

// Found nowhere, as the programs look for them, each picture is tried once
// more in the working directory and reported under its bare name, the font
// first.
TEST_F(RenderTest, PicturesFoundNowhereAreReportedByNameFontFirst) {
  ASSERT_FALSE(std::filesystem::exists(FONT_PICTURE)) << "the working directory must not hold the pictures";
  ASSERT_TRUE(headlessCreateGlContext(640, 480)) << headlessGlError();
  initGraphicsFrom(findPicture(FONT_PICTURE).c_str(), findPicture(MAP_PICTURE).c_str());
  resizeViewport(640, 480);
  ASSERT_EQ(headlessMessageBoxes().size(), 2u);
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Failed to open DIB file font.bmp.\n");
  EXPECT_EQ(headlessMessageBoxes()[1].text, "Failed to open DIB file THmap.bmp.\n");
  const Frame frame = drawFrame();
  EXPECT_PRED3(near, frame.at(320, 240), (Rgb{255, 255, 255}), 1);
}

// The working directory wins, then the data folder of an installed program
// (share/package-viewer beside its bin/), then the copy beside the program.
TEST(PicturePath, WorkingDirectoryThenDataFolderThenBesideTheProgram) {
  const std::string root = temporaryPath("picture-path");
  const std::string bin = root + "/bin";
  const std::string data = root + "/share/package-viewer";
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(data);
  const std::string name = "picture-path-" + std::to_string(getpid()) + ".bmp";
  const char *picture = name.c_str();

  EXPECT_EQ(findPictureBeside(picture, bin), name);
  writeBytes(bin + "/" + name, {1});
  EXPECT_EQ(findPictureBeside(picture, bin), bin + "/" + name);
  EXPECT_EQ(findPictureBeside(picture, ""), name) << "no program folder known";
  writeBytes(data + "/" + name, {1});
  EXPECT_EQ(findPictureBeside(picture, bin), data + "/" + name);
  writeBytes(name, {1});
  EXPECT_EQ(findPictureBeside(picture, bin), name);
  // The bundled copy, for a picture of the working directory that is refused.
  EXPECT_EQ(bundledPictureBeside(picture, bin), data + "/" + name);
  EXPECT_EQ(bundledPictureBeside(picture, ""), "");

  std::error_code ignored;
  std::filesystem::remove(name, ignored);
  std::filesystem::remove_all(root, ignored);
}

// The map the player kept comes between the working directory and the
// program's data folder; the font is never taken from the player's folder.
TEST(PicturePath, PlayersOwnMapBetweenWorkingDirectoryAndDataFolder) {
  const std::string root = temporaryPath("own-picture-path");
  const std::string own = root + "/home/package-viewer";
  const std::string start = root + "/start";
  std::filesystem::create_directories(own);
  std::filesystem::create_directories(start);
  const std::string working = std::filesystem::current_path().string();
  std::filesystem::current_path(start);
  setenv("XDG_DATA_HOME", (root + "/home").c_str(), 1);
  writeBytes(own + "/" + MAP_PICTURE, {1});
  writeBytes(own + "/" + FONT_PICTURE, {1});
  EXPECT_EQ(findPicture(MAP_PICTURE), own + "/" + MAP_PICTURE);
  EXPECT_NE(findPicture(FONT_PICTURE), own + "/" + FONT_PICTURE);
  writeBytes(MAP_PICTURE, {1});
  EXPECT_EQ(findPicture(MAP_PICTURE), MAP_PICTURE);
  unsetenv("XDG_DATA_HOME");
  std::filesystem::current_path(working);
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

// Packed rows of a width that is not a multiple of 4 must reach the texture
// intact (OpenGL's default row alignment would read them 4-byte aligned).
TEST_F(RenderTest, TexturesHoldEveryPixelOfThePicture) {
  writePictures(true, false);
  TestPicture map{6, 3, {}};
  for (uint32_t i = 0; i < 18; ++i) map.pixels.push_back(0x102030 * (i + 1) & 0xFFFFFF);
  writeBmpFile(pictureFolder + "/THmap.bmp", map);
  ASSERT_TRUE(startViewer(640, 480));
  ASSERT_TRUE(headlessMessageBoxes().empty());

  auto textureRows = [](uint32_t texture, int32_t width, int32_t height) {
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return rgb;
  };
  auto expectSame = [](const std::vector<unsigned char> &rgb, const TestPicture &picture) {
    int wrong = 0;
    for (int32_t row = 0; row < picture.height; ++row) {  // texture rows start at the bottom
      for (int32_t x = 0; x < picture.width; ++x) {
        const Rgb want = rgbOf(picture.at(x, picture.height - 1 - row));
        const unsigned char *p = &rgb[(static_cast<size_t>(row) * picture.width + x) * 3];
        if (!near(Rgb{p[0], p[1], p[2]}, want, 0)) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << picture.width << " x " << picture.height << " picture";
  };
  expectSame(textureRows(viewerState.mapTexture, 6, 3), map);
  expectSame(textureRows(viewerState.fontTexture, 256, 256), patternFont());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A 4 x 4 map whose red grows from left to right and blue from bottom to top:
// just inside each edge of the drawn square, linear filtering must take the
// edge texels alone, not mix in the opposite edge's (the default wrap would
// give about half of it there).
TEST_F(RenderTest, MapEdgesDoNotBlendWithTheOppositeEdge) {
  writePictures(true, false);
  const int levels[4] = {40, 100, 160, 220};
  TestPicture map{4, 4, {}};
  for (int y = 0; y < 4; ++y) {  // top row first
    for (int x = 0; x < 4; ++x) {
      map.pixels.push_back(static_cast<uint32_t>(levels[x]) << 16 | 0x8000 | static_cast<uint32_t>(levels[3 - y]));
    }
  }
  writeBmpFile(pictureFolder + "/THmap.bmp", map);
  ASSERT_TRUE(startViewer(800, 480));
  const Frame frame = drawFrame();

  const PixelPoint topLeft = projectScene(-1, 1, 4.0, 800, 480);
  const PixelPoint bottomRight = projectScene(1, -1, 4.0, 800, 480);
  const int32_t left = static_cast<int32_t>(topLeft.x) + 3;
  const int32_t right = static_cast<int32_t>(bottomRight.x) - 4;
  const int32_t top = static_cast<int32_t>(topLeft.y) + 3;
  const int32_t bottom = static_cast<int32_t>(bottomRight.y) - 4;
  EXPECT_NEAR(frame.at(left, 240).r, 40, 2) << describe(frame.at(left, 240));
  EXPECT_NEAR(frame.at(right, 240).r, 220, 2) << describe(frame.at(right, 240));
  EXPECT_NEAR(frame.at(400, top).b, 220, 2) << describe(frame.at(400, top));
  EXPECT_NEAR(frame.at(400, bottom).b, 40, 2) << describe(frame.at(400, bottom));
}

TEST_F(RenderTest, ResizeSetsProjectionAndViewportAndIgnoresZeroHeight) {
  writePictures();
  ASSERT_TRUE(startViewer(640, 480));
  ASSERT_TRUE(resizeWindow(800, 600));
  EXPECT_EQ(viewerState.windowWidth, 800);
  EXPECT_EQ(viewerState.windowHeight, 600);

  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
  GLdouble projection[16] = {};
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  const double focal = 1.0 / std::tan(15.0 * std::acos(-1.0) / 180.0);
  EXPECT_NEAR(projection[5], focal, 1e-6);
  EXPECT_NEAR(projection[0], focal / (800.0 / 600.0), 1e-6);
  const double nearPlane = static_cast<double>(0.1f);
  EXPECT_NEAR(projection[10], (4096.0 + nearPlane) / (nearPlane - 4096.0), 1e-6);
  EXPECT_NEAR(projection[14], 2 * 4096.0 * nearPlane / (nearPlane - 4096.0), 1e-6);

  // A minimised window reports no height: nothing changes.
  resizeViewport(800, 0);
  resizeViewport(0, 600);
  EXPECT_EQ(viewerState.windowWidth, 800);
  EXPECT_EQ(viewerState.windowHeight, 600);
  GLdouble after[16] = {};
  glGetDoublev(GL_PROJECTION_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], projection[i]) << "element " << i;
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
}

}  // namespace
