// package-tool render: the steady-state frame as a PNG of the asked size,
// with the save's markers and counts; bad numbers are refused with exit 2.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/collecting_route.h"
#include "app/viewer_state.h"
#include "image/chart_colours.h"
#include "render/marker_palette.h"
#include "render/render_fixture.h"
#include "route/route_planner.h"
#include "save/savegame.h"
#include "support/savegame_writer.h"
#include "support/tool_run.h"

namespace {

class RenderTool : public RenderTest {
 protected:
  ToolRun run(const std::string &arguments) { return runPackageTool("render " + arguments); }

  std::string path(const char *name) { return "'" + pictureFolder + "/" + name + "'"; }
  std::string pictures() { return " --font " + path("font.bmp") + " --map " + path("THmap.bmp"); }
};

TEST_F(RenderTool, DrawsTheSavesMarkersAndCountsAtTheAskedSize) {
  writePictures();
  writeBytes(pictureFolder + "/save.b",
             makeSavegame({pickup(PICKUP_KIND_PACKAGE, 0, 0, 0), pickup(PICKUP_KIND_PACKAGE, 500, 500, 12),
                           pickup(PICKUP_KIND_RAMPAGE, -500, 0, 0)}));
  // At zoom 2 the map is 560 pixels wide, clear of the panel of a 900-pixel window.
  const ToolRun result = run(path("save.b") + " " + path("out.png") + " --size 900x300 --zoom 2" + pictures());
  ASSERT_EQ(result.status, 0) << result.errors;

  Frame frame;
  ASSERT_TRUE(readPng(pictureFolder + "/out.png", &frame));
  ASSERT_EQ(frame.width, 900);
  ASSERT_EQ(frame.height, 300);
  // Top row first: the map's top-left quarter is at the top left.
  EXPECT_PRED3(near, frame.at(300, 60), rgbOf(MAP_TOP_LEFT), 2) << describe(frame.at(300, 60));
  auto expectMarker = [&](double x, double y, bool (*colour)(Rgb)) {
    const PixelPoint at = projectScene(x, y, 2.0, 900, 300);
    const PixelBox box = findPixels(frame, static_cast<int32_t>(at.x) - 8, static_cast<int32_t>(at.y) - 8,
                                    static_cast<int32_t>(at.x) + 8, static_cast<int32_t>(at.y) + 8, colour);
    ASSERT_TRUE(box.found) << "marker at (" << x << ", " << y << ")";
    EXPECT_NEAR(box.centreX(), at.x, 1.0);
    EXPECT_NEAR(box.centreY(), at.y, 1.0);
  };
  expectMarker(0, 0, isPackageRed);
  expectMarker(0.25, 0.25, isPackageRed);
  expectMarker(-0.25, 0, isRampageGreen);
  const Rgb panel = translucent(BACKGROUND_RGB, 0.2);
  expectText(frame, 900 - 160, 14, "    2", panel);
  expectText(frame, 900 - 160, 66, "    1", panel);
}

TEST_F(RenderTool, WithoutASaveCountsZeroAndFollowsZoomCameraAndHelp) {
  writePictures();
  ASSERT_EQ(run(path("out.png") + " --zoom 8 --camera 10,0" + pictures()).status, 0);
  Frame frame;
  ASSERT_TRUE(readPng(pictureFolder + "/out.png", &frame));
  ASSERT_EQ(frame.width, 640);
  EXPECT_PRED3(near, frame.at(320, 240), BACKGROUND_RGB, 1) << "the map is out of sight";
  expectText(frame, 640 - 160, 14, "    0", Rgb{20, 20, 31});
  expectText(frame, 640 - 160, 66, "    0", Rgb{20, 20, 31});

  ASSERT_EQ(run(path("help.png") + " --help-page --camera 10,0" + pictures()).status, 0);
  ASSERT_TRUE(readPng(pictureFolder + "/help.png", &frame));
  expectText(frame, 320 - 256, 256, "  ESC : Exit  ", translucent(BACKGROUND_RGB, 0.3));
}

TEST_F(RenderTool, RefusesZoomCameraAndNamesThatCannotBeDrawn) {
  writePictures();
  for (const char *bad : {"--zoom 0.1", "--zoom 0", "--zoom -4", "--zoom nan", "--zoom inf", "--zoom 1e39",
                          "--zoom four", "--camera 1,nan", "--camera inf,0", "--camera 1", "--size 0x100",
                          "--size 640", "--bogus"}) {
    const ToolRun result = run(path("out.png") + " " + bad + pictures());
    EXPECT_EQ(result.status, 2) << bad;
    EXPECT_FALSE(result.errors.empty()) << bad;
  }
  std::ifstream out(pictureFolder + "/out.png");
  EXPECT_FALSE(out.good()) << "nothing is written";
  // PNG bytes under another name are refused too.
  for (const char *name : {"out.jpg", "out.png.bmp", "png"}) {
    EXPECT_EQ(run(path(name) + pictures()).status, 2) << name;
    EXPECT_FALSE(std::filesystem::exists(pictureFolder + "/" + name)) << name;
  }
}

TEST_F(RenderTool, ReportsASaveOrPictureThatCannotBeFound) {
  writePictures();
  const ToolRun result = run(path("missing.b") + " " + path("out.png") + pictures());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errors, "package-tool: " + pictureFolder + "/missing.b: No such file or directory\n");
  std::ifstream out(pictureFolder + "/out.png");
  EXPECT_FALSE(out.good());

  // A named picture that is missing is drawn without, as the viewer does.
  const ToolRun noMap = run(path("out.png") + " --map " + path("missing.bmp") + " --font " + path("font.bmp"));
  EXPECT_EQ(noMap.status, 1);
  EXPECT_EQ(noMap.errors, "Error: Failed to open DIB file " + pictureFolder + "/missing.bmp.\n");
  Frame frame;
  ASSERT_TRUE(readPng(pictureFolder + "/out.png", &frame));
  EXPECT_PRED3(near, frame.at(320, 240), (Rgb{255, 255, 255}), 1) << describe(frame.at(320, 240));
}

// With --route, --kinds and --palette the tool draws the frame the viewer
// draws once 'R', 'K' and 'P' have set that state: pixel for pixel.
TEST_F(RenderTool, RouteKindsAndPaletteDrawTheViewersFrame) {
  writePictures();
  const std::string save = pictureFolder + "/save.b";
  writeBytes(save, makeSavegame({pickup(PICKUP_KIND_PACKAGE, -600, 200, 0), pickup(PICKUP_KIND_PACKAGE, 300, -400, 0),
                                 pickup(PICKUP_KIND_PACKAGE, 700, 500, 0), pickup(PICKUP_KIND_RAMPAGE, -200, -700, 0),
                                 pickup(PICKUP_KIND_RAMPAGE, 100, 600, 0)}));
  const RoutePoint corner{-1500, 1500};
  const struct {
    const char *options;
    int32_t kinds;
    int32_t palette;
    bool route;
    const RoutePoint *start;
  } cases[] = {{"--route --from=-1500,1500", SHOW_BOTH_KINDS, PALETTE_STANDARD, true, &corner},
               {"--route --kinds rampages --palette=safe", SHOW_RAMPAGES_ONLY, PALETTE_SAFE, true, nullptr},
               {"--route --kinds=packages", SHOW_PACKAGES_ONLY, PALETTE_STANDARD, true, nullptr},
               {"--kinds=packages --palette safe", SHOW_PACKAGES_ONLY, PALETTE_SAFE, false, nullptr}};
  ASSERT_TRUE(startViewer(640, 480));
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options);
    const ToolRun result = run(path("save.b") + " " + path("out.png") + " --zoom 2.5 " + c.options + pictures());
    ASSERT_EQ(result.status, 0) << result.errors;
    Frame drawn;
    ASSERT_TRUE(readPng(pictureFolder + "/out.png", &drawn));

    SavegameMarkers markers;
    ASSERT_EQ(readSavegameMarkers(save.c_str(), &markers), SAVEGAME_READ);
    adoptSavegameMarkers(markers);
    std::snprintf(viewerState.saveFileName, sizeof viewerState.saveFileName, "%s", save.c_str());
    viewerState.zoom = 2.5f;
    viewerState.shownKinds = c.kinds;
    viewerState.markerPalette = c.palette;
    viewerState.showRoute = 0;
    viewerState.routeStopCount = 0;
    if (c.route) showRouteFrom(c.start);
    drawFrame();
    const Frame viewer = drawFrame();
    ASSERT_EQ(drawn.width, viewer.width);
    ASSERT_EQ(drawn.height, viewer.height);
    size_t differing = 0;
    for (size_t i = 0; i < viewer.rgb.size(); ++i) differing += drawn.rgb[i] != viewer.rgb[i];
    EXPECT_EQ(differing, 0u);
  }
}

// A map made by `package-tool map --world` from a picture of the top-right
// quarter of the savegame area lands there when the viewer draws it, upright.
TEST_F(RenderTool, MapFromAPictureOfAQuarterShowsItInThatQuarter) {
  writePictures(true, false);
  writeBmpFile(pictureFolder + "/quarter.bmp", quarterMap());
  const ToolRun made = runPackageTool("map " + path("quarter.bmp") + " " + path("THmap.bmp") +
                                      " --size 128 --world 0,0,2000,2000");
  ASSERT_EQ(made.status, 0) << made.errors;
  ASSERT_EQ(run(path("out.png") + " --size 800x600 --zoom 5" + pictures()).status, 0);
  Frame frame;
  ASSERT_TRUE(readPng(pictureFolder + "/out.png", &frame));
  const Rgb paper{CHART_PAPER[0], CHART_PAPER[1], CHART_PAPER[2]};
  // Scene units: the square spans -1 .. 1, savegame 2000 is 1.
  const struct {
    double x, y;
    Rgb colour;
  } expected[] = {{0.75, 0.75, rgbOf(MAP_TOP_RIGHT)},   {0.25, 0.75, rgbOf(MAP_TOP_LEFT)},
                  {0.25, 0.25, rgbOf(MAP_BOTTOM_LEFT)}, {0.75, 0.25, rgbOf(MAP_BOTTOM_RIGHT)},
                  {0.06, 0.75, rgbOf(MAP_TOP_LEFT)},    {-0.06, 0.75, paper},
                  {0.75, -0.06, paper},       {-0.5, -0.5, paper}};
  for (const auto &point : expected) {
    const PixelPoint at = projectScene(point.x, point.y, 5, 800, 600);
    const Rgb seen = frame.at(static_cast<int32_t>(at.x), static_cast<int32_t>(at.y));
    EXPECT_PRED3(near, seen, point.colour, 2) << point.x << ", " << point.y << ": " << describe(seen);
  }
}

// Without --map and --font, and with no pictures in the working directory,
// the tool takes the copies the build keeps beside it.
TEST_F(RenderTool, FindsItsOwnPicturesFromAnyFolder) {
  ASSERT_FALSE(std::filesystem::exists("THmap.bmp")) << "the working directory must not hold the pictures";
  const ToolRun result = run(path("out.png"));
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.errors, "");
}

}  // namespace
