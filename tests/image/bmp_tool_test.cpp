// package-tool bmp: the picture comes out upright as PPM or PNG, a file the
// loader refuses prints its message box and exits 1, wrong usage exits 2.
// package-tool map: pictures of other formats and headers become maps that
// the loader reads, and a picture it cannot read leaves OUT as it was.
#include <filesystem>

#include "app/own_map.h"
#include "image/chart_colours.h"
#include "image/image_test_support.h"
#include "support/irregular_files.h"
#include "support/tool_run.h"
#include "writers/png_writer.h"

namespace {

class BmpTool : public ::testing::Test {
 protected:
  void SetUp() override {
    input = temporaryPath("tool-in.bmp");
    // 3 x 2 pixels, bottom row stored first: the PPM must start with the top row.
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.pixels = packPixelRows(3, 2, 24, {0x010203, 0x040506, 0x070809, 0xA0B0C0, 0xD0E0F0, 0xFFFEFD});
    writeBytes(input, makeBmp(layout));
  }
  void TearDown() override {
    std::remove(input.c_str());
    for (const std::string &path : outputs) std::remove(path.c_str());
  }
  std::string output(const std::string &name) {
    outputs.push_back(temporaryPath(name));
    return outputs.back();
  }
  std::string input;
  std::vector<std::string> outputs;
  // The input's pixels top row first, as the tool must write them.
  const std::vector<unsigned char> upright =
      rgbBytes({0xA0B0C0, 0xD0E0F0, 0xFFFEFD, 0x010203, 0x040506, 0x070809});
};

TEST_F(BmpTool, WritesTheUprightPictureAsPpm) {
  std::string ppm = output("tool-out.ppm");
  ToolRun run = runPackageTool("bmp '" + input + "' '" + ppm + "'");
  EXPECT_EQ(run.status, 0) << run.errors;
  std::string header = "P6\n3 2\n255\n";
  std::vector<unsigned char> expected(header.begin(), header.end());
  expected.insert(expected.end(), upright.begin(), upright.end());
  EXPECT_EQ(readBytes(ppm), expected);
}

TEST_F(BmpTool, WritesPngByExtension) {
  std::string png = output("tool-out.PNG");
  ToolRun run = runPackageTool("bmp '" + input + "' '" + png + "'");
  EXPECT_EQ(run.status, 0) << run.errors;
  std::vector<unsigned char> bytes = readBytes(png);
  const std::vector<unsigned char> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GT(bytes.size(), signature.size());
  EXPECT_TRUE(std::equal(signature.begin(), signature.end(), bytes.begin()));
  // The same file as the upright rows make, not the record's bottom-up ones.
  std::string expected = output("tool-expected.png");
  ASSERT_TRUE(::writePng(expected.c_str(), 3, 2, upright.data(), ROWS_TOP_FIRST));
  EXPECT_EQ(bytes, readBytes(expected));
}

TEST_F(BmpTool, RefusedPictureIsNamedWithTheReasonAndExits1) {
  std::string missing = temporaryPath("tool-missing.bmp");
  ToolRun run = runPackageTool("bmp '" + missing + "' '" + output("never.ppm") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "package-tool: " + missing + ": No such file or directory\n");

  // What the loader refuses: its reason.
  std::string unknown = output("tool-unknown.bmp");
  writeBytes(unknown, {'B', 'X', 0, 0, 0, 0, 0, 0, 0, 0});
  run = runPackageTool("bmp '" + unknown + "' '" + output("never2.ppm") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "package-tool: " + unknown + ": Unknown DIB file format\n");

  forEachIrregularFile([&](const std::string &what, const std::string &irregular) {
    SCOPED_TRACE(what);
    ToolRun refused = runPackageTool("bmp '" + irregular + "' '" + output("never3.ppm") + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors.rfind("package-tool: " + irregular + ": ", 0), 0u) << refused.errors;
  });
}

TEST_F(BmpTool, WrongUsageExits2) {
  EXPECT_EQ(runPackageTool("bmp").status, 2);
  EXPECT_EQ(runPackageTool("bmp '" + input + "'").status, 2);
  EXPECT_EQ(runPackageTool("bmp '" + input + "' '" + output("out.jpg") + "'").status, 2);
  EXPECT_EQ(runPackageTool("bmp '" + input + "' a.ppm extra").status, 2);
}

// A picture for package-tool map: 0xRRGGBB colours, top row first.
struct Picture {
  int32_t width;
  int32_t height;
  std::vector<uint32_t> colours;
};

void writePng(const std::string &path, const Picture &picture) {
  const std::vector<unsigned char> rgb = rgbBytes(picture.colours);
  std::string error;
  ASSERT_TRUE(::writePng(path.c_str(), picture.width, picture.height, rgb.data(), ROWS_TOP_FIRST, &error))
      << error;
}

// As GIMP and ImageMagick write a picture with an alpha channel: the 124-byte
// header, 32 bits a pixel and the channel masks in the header.
void writeVersion5Bmp(const std::string &path, const Picture &picture) {
  BmpLayout layout;
  layout.infoHeaderSize = 124;
  layout.width = picture.width;
  layout.height = picture.height;
  layout.bitCount = 32;
  layout.compression = 3;  // BI_BITFIELDS
  layout.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  std::vector<uint32_t> stored;
  for (int32_t row = picture.height - 1; row >= 0; --row) {
    for (int32_t column = 0; column < picture.width; ++column) {
      stored.push_back(0xFF000000 | picture.colours[static_cast<size_t>(row) * picture.width + column]);
    }
  }
  layout.pixels = packPixelRows(picture.width, picture.height, 32, stored);
  writeBytes(path, makeBmp(layout));
}

class MapTool : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(folder); }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string path(const std::string &name) const { return folder + "/" + name; }
  ToolRun map(const std::string &input, const std::string &output, const std::string &options = "") {
    return runPackageTool("map '" + input + "' '" + output + "'" + options);
  }
  ImagePtr load(const std::string &name) {
    headlessClearMessageBoxes();
    return ImagePtr(loadDibFile(path(name).c_str()));
  }
  const std::string folder = temporaryPath("map-tool");
};

TEST_F(MapTool, PngAndVersion5BmpComeOutAsTheLoaderReadsThem) {
  const Picture picture{4, 4, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,  //
                               0x102030, 0x405060, 0x708090, 0xA0B0C0,  //
                               0x010203, 0xFEFDFC, 0x808080, 0x7F7F7F,  //
                               0x000000, 0x123456, 0xABCDEF, 0x0F0F0F}};
  // The loader's rows run bottom row first.
  std::vector<uint32_t> bottomUp;
  for (int32_t row = 3; row >= 0; --row) {
    bottomUp.insert(bottomUp.end(), picture.colours.begin() + row * 4, picture.colours.begin() + row * 4 + 4);
  }
  writePng(path("in.png"), picture);
  writeVersion5Bmp(path("in.bmp"), picture);
  for (const char *input : {"in.png", "in.bmp"}) {
    SCOPED_TRACE(input);
    // At its own size the picture comes out unchanged, not blurred.
    const ToolRun run = map(path(input), path("out.bmp"), " --size 4");
    ASSERT_EQ(run.status, 0) << run.errors;
    ImagePtr image = load("out.bmp");
    ASSERT_TRUE(image) << headlessMessageBoxes().size();
    ASSERT_EQ(image->width, 4);
    ASSERT_EQ(image->height, 4);
    EXPECT_EQ(pixelBytes(*image), rgbBytes(bottomUp));
  }
}

TEST_F(MapTool, ScalesToASquareKeepingTheEdgeColours) {
  // Left half red, right half blue: stretched from 2 x 1 to the default
  // 1024 x 1024, and shrunk from 64 x 32 to 16 x 16. Edge pixels must keep
  // their colour exactly, whichever way the filter leans.
  std::vector<uint32_t> halves;
  for (int32_t i = 0; i < 64 * 32; ++i) halves.push_back(i % 64 < 32 ? 0xFF0000 : 0x0000FF);
  writePng(path("small.png"), Picture{2, 1, {0xFF0000, 0x0000FF}});
  writePng(path("large.png"), Picture{64, 32, halves});
  const std::pair<const char *, int32_t> cases[] = {{"small.png", 1024}, {"large.png", 16}};
  for (auto [input, side] : cases) {
    SCOPED_TRACE(input);
    const std::string options = side == 1024 ? "" : " --size 16";
    const ToolRun run = map(path(input), path("out.bmp"), options);
    ASSERT_EQ(run.status, 0) << run.errors;
    ImagePtr image = load("out.bmp");
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, side);
    ASSERT_EQ(image->height, side);
    for (int32_t row : {0, side - 1}) {
      const unsigned char *first = image->pixels + static_cast<size_t>(row) * side * 3;
      const unsigned char *last = first + (side - 1) * 3;
      EXPECT_EQ(std::vector<unsigned char>(first, first + 3), rgbBytes({0xFF0000})) << "row " << row;
      EXPECT_EQ(std::vector<unsigned char>(last, last + 3), rgbBytes({0x0000FF})) << "row " << row;
    }
  }
}

TEST_F(MapTool, UnreadablePictureOrFolderExits1AndLeavesOutAsItWas) {
  writePng(path("good.png"), Picture{1, 1, {0x336699}});
  std::vector<unsigned char> png = readBytes(path("good.png"));
  writeBytes(path("cut.png"), std::vector<unsigned char>(png.begin(), png.begin() + 40));
  writeBytes(path("text.png"), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e', '\n'});
  writeBytes(path("empty.png"), {});
  const std::vector<unsigned char> previous = {'B', 'M', 'o', 'l', 'd'};
  writeBytes(path("out.bmp"), previous);

  for (const char *input : {"missing.png", "cut.png", "text.png", "empty.png"}) {
    SCOPED_TRACE(input);
    const ToolRun run = map(path(input), path("out.bmp"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors.rfind("package-tool: " + path(input) + ": ", 0), 0u) << run.errors;
    EXPECT_EQ(readBytes(path("out.bmp")), previous);
  }
  // Where OUT cannot be written, the message names OUT.
  std::filesystem::create_directory(path("folder.bmp"));
  for (const std::string &output : {path("no-folder/out.bmp"), path("folder.bmp")}) {
    SCOPED_TRACE(output);
    const ToolRun run = map(path("good.png"), output);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors.rfind("package-tool: " + output + ": ", 0), 0u) << run.errors;
  }
  // No temporary file is left behind.
  size_t files = 0;
  for (const auto &entry : std::filesystem::directory_iterator(folder)) files += entry.is_regular_file();
  EXPECT_EQ(files, 5u);
}

TEST_F(MapTool, BadSizeOrWorldExits2AndWritesNothing) {
  writePng(path("in.png"), Picture{1, 1, {0x336699}});
  for (const char *size : {"3", "0", "8192", "1024x1024", "-4"}) {
    EXPECT_EQ(map(path("in.png"), path("out.bmp"), std::string(" --size ") + size).status, 2) << size;
  }
  // Not four finite numbers; edges the wrong way round or equal; wholly
  // outside the square (right, above, below); narrower than one of its
  // pixels (250 units at 16); inside by less than half a pixel.
  for (const char *world : {"1,2,3", "0,0,1,1,1", "0,0,nan,1", "0,0,inf,1", "a,0,1,1", "0,0,1,1x", "1,0,0,1",
                            "0,1,1,1", "2000,0,3000,1", "0,2000,1000,3000", "0,-3000,1000,-2000",
                            "-1e308,0,1e308,1", "0,0,200,1000 --size 16", "1900,0,2400,500 --size 16",
                            "0,-2400,500,-1900 --size 16"}) {
    const ToolRun run = map(path("in.png"), path("out.bmp"), std::string(" --world ") + world);
    EXPECT_EQ(run.status, 2) << world;
    EXPECT_EQ(run.errors.rfind("package-tool map: --world ", 0), 0u) << run.errors;
  }
  EXPECT_EQ(runPackageTool("map '" + path("in.png") + "'").status, 2);
  EXPECT_FALSE(std::filesystem::exists(path("out.bmp")));
}

// Edges off the pixel grid go to the nearest pixel boundary: at 250 units a
// pixel, -1100 .. 1100 covers pixels 4 .. 11 (3.6 and 12.4 rounded), not 3.
TEST_F(MapTool, WorldEdgesOffTheGridAreRoundedToTheNearestPixel) {
  writePng(path("in.png"), Picture{2, 2, {0x102080, 0x304080, 0x506080, 0x708080}});
  const ToolRun run = map(path("in.png"), path("out.bmp"), " --size 16 --world -1100,-1100,1100,1100");
  ASSERT_EQ(run.status, 0) << run.errors;
  ImagePtr image = load("out.bmp");
  ASSERT_TRUE(image);
  const std::vector<unsigned char> paper(CHART_PAPER, CHART_PAPER + 3);
  auto isPaper = [&](int32_t x, int32_t y) {  // y counted from the top
    const unsigned char *pixel = image->pixels + (static_cast<size_t>(15 - y) * 16 + x) * 3;
    return std::vector<unsigned char>(pixel, pixel + 3) == paper;
  };
  for (int32_t at = 0; at < 16; ++at) {
    const bool inside = at >= 4 && at < 12;
    EXPECT_EQ(isPaper(at, 8), !inside) << "column " << at;
    EXPECT_EQ(isPaper(8, at), !inside) << "row " << at;
  }
}

// --world puts the picture's edges at those savegame coordinates: pixel for
// pixel where the picture's scale meets the map's, cropped at the square's
// edge, and the chart's paper wherever the picture does not reach.
TEST_F(MapTool, WorldPlacesThePictureExactlyAndCropsIt) {
  Picture picture{8, 8, {}};
  for (uint32_t y = 0; y < 8; ++y) {
    for (uint32_t x = 0; x < 8; ++x) picture.colours.push_back((x * 30 + 10) << 16 | (y * 30 + 10) << 8 | 0x80);
  }
  writePng(path("in.png"), picture);
  const uint32_t paper = CHART_PAPER[0] << 16 | CHART_PAPER[1] << 8 | CHART_PAPER[2];
  struct Case {
    const char *options;
    int32_t side;
    int32_t left, top;        // where the picture's shown part starts on the map, top row first
    int32_t fromX, fromY;     // the picture pixel shown there
    int32_t columns, rows;    // how much of the picture shows
  };
  // 8 pixels of 250 units in the middle of a 16-pixel map; then the
  // picture's bottom-left quarter in the top-right quarter of an 8-pixel map.
  const Case cases[] = {{" --size 16 --world -1000,-1000,1000,1000", 16, 4, 4, 0, 0, 8, 8},
                        {" --size 8 --world 0,0,4000,4000", 8, 4, 0, 0, 4, 4, 4}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.options);
    const ToolRun run = map(path("in.png"), path("out.bmp"), c.options);
    ASSERT_EQ(run.status, 0) << run.errors;
    ImagePtr image = load("out.bmp");
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, c.side);
    ASSERT_EQ(image->height, c.side);
    std::vector<uint32_t> expected;  // bottom row first, as the loader holds it
    for (int32_t y = c.side - 1; y >= 0; --y) {
      for (int32_t x = 0; x < c.side; ++x) {
        const bool inside = x >= c.left && x < c.left + c.columns && y >= c.top && y < c.top + c.rows;
        expected.push_back(inside ? picture.colours[(y - c.top + c.fromY) * 8 + x - c.left + c.fromX] : paper);
      }
    }
    EXPECT_EQ(pixelBytes(*image), rgbBytes(expected));
  }
}

// --pin places the picture as the viewer's align mode does, and makes the
// very square the viewer keeps for the same picture and pins: at the side
// the viewer chooses (2048 for 1000 pixels over half the map's width).
TEST_F(MapTool, PinsMakeTheSquareTheViewerKeeps) {
  Picture picture{1000, 750, {}};
  for (uint32_t i = 0; i < 1000 * 750; ++i) picture.colours.push_back((i * 2654435761u) >> 8);
  writePng(path("in.png"), picture);
  const ToolRun run = map(path("in.png"), path("out.bmp"), " --pin 0,0=-1500,1200 --pin 1000,750=500,-300");
  ASSERT_EQ(run.status, 0) << run.errors;

  ::Picture taken;
  std::string reason;
  ASSERT_TRUE(loadPictureFile(path("in.png").c_str(), &taken, &reason)) << reason;
  const MapPin pins[] = {{0, 0, -1500, 1200}, {1000, 750, 500, -300}};
  PicturePlacement placement;
  ASSERT_EQ(solvePins(pins, 2, &placement, nullptr), PINS_SOLVED);
  setenv("XDG_DATA_HOME", folder.c_str(), 1);
  const bool kept = keepOwnMap(path("in.png").c_str(), taken, placementInPicture(placement, taken), &reason);
  unsetenv("XDG_DATA_HOME");
  ASSERT_TRUE(kept) << reason;
  const std::vector<unsigned char> square = readBytes(path("out.bmp"));
  ASSERT_GE(square.size(), 26u);
  EXPECT_EQ(square[18] | square[19] << 8, 2048);
  EXPECT_TRUE(square == readBytes(path("package-viewer/THmap.bmp")));
}

}  // namespace
