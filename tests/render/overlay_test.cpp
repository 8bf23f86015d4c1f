// Pixel tests of the overlay: the counter panel, the help page, the
// blending of their backgrounds and the sharing code.
#include <cmath>
#include <cstdio>

#include "app/key_help.h"
#include "app/share_overlay.h"
#include "render/render_fixture.h"

namespace {

TEST_F(RenderTest, PanelFollowsAResizeAndCountsZeroWithoutASave) {
  writePictures();
  ASSERT_TRUE(startViewer(640, 480));
  viewerState.cameraX = 10.0f;  // the map out of sight: the panel lies on the background
  drawFrame();
  ASSERT_TRUE(resizeWindow(800, 600));
  const Frame frame = drawFrame();

  const Rgb panel = translucent(BACKGROUND_RGB, 0.2);
  const int32_t left = firstPixelAt(800 - 168, 800);
  EXPECT_GE(800 - left, 167);
  EXPECT_LE(800 - left, 168);
  for (int32_t y : {0, 300, 599}) {
    SCOPED_TRACE(testing::Message() << "row " << y);
    EXPECT_PRED3(near, frame.at(left - 1, y), BACKGROUND_RGB, 1) << describe(frame.at(left - 1, y));
    EXPECT_PRED3(near, frame.at(left, y), panel, 2) << describe(frame.at(left, y));
    EXPECT_PRED3(near, frame.at(799, y), panel, 2) << describe(frame.at(799, y));
  }

  const int32_t x = 800 - 160;
  expectText(frame, x, 14, "    0", panel);
  expectText(frame, x, 30, " packages ", panel);
  expectText(frame, x, 46, "   left   ", panel);
  expectText(frame, x, 66, "    0", panel);
  expectText(frame, x, 82, " rampages ", panel);
  expectText(frame, x, 98, "   left   ", panel);
  expectText(frame, x, 160, " Press 'H'", panel);
  expectText(frame, x, 176, " for help", panel);
}

TEST_F(RenderTest, HelpPageReplacesThePanel) {
  writePictures();
  ASSERT_TRUE(startViewer(640, 480));
  viewerState.cameraX = 10.0f;
  viewerState.showHelp = 1;
  drawFrame();
  const Frame frame = drawFrame();

  const Rgb help = translucent(BACKGROUND_RGB, 0.3);
  EXPECT_PRED3(near, frame.at(639, 240), BACKGROUND_RGB, 1) << "no panel: " << describe(frame.at(639, 240));
  const int32_t left = firstPixelAt(320 - 280, 640);
  const int32_t right = firstPixelAt(320 + 280, 640) - 1;
  const int32_t top = firstPixelAt(32, 480);
  const int32_t bottom = firstPixelAt(480 - 32, 480) - 1;
  EXPECT_PRED3(near, frame.at(left - 1, 400), BACKGROUND_RGB, 1);
  EXPECT_PRED3(near, frame.at(left, 400), help, 2) << describe(frame.at(left, 400));
  EXPECT_PRED3(near, frame.at(right, 400), help, 2) << describe(frame.at(right, 400));
  EXPECT_PRED3(near, frame.at(right + 1, 400), BACKGROUND_RGB, 1);
  EXPECT_PRED3(near, frame.at(320, top - 1), BACKGROUND_RGB, 1);
  EXPECT_PRED3(near, frame.at(320, top), help, 2) << describe(frame.at(320, top));
  EXPECT_PRED3(near, frame.at(320, bottom), help, 2) << describe(frame.at(320, bottom));
  EXPECT_PRED3(near, frame.at(320, bottom + 1), BACKGROUND_RGB, 1);

  const struct {
    int32_t y;
    const char *text;
  } lines[] = {
      {48, "   KZR Tern Haven Package Viewer  "}, {112, "    Keys:                         "},
      {128, "  Directional Keys or             "}, {144, "  Mouse Leftklick & drag          "},
      {160, "                        :  move   "}, {176, "  '+' / '-'  and Mousewheel       "},
      {192, "                        :  zoom   "}, {224, "  'O' : Open Savegame             "},
      {256, "  ESC : Exit                      "}, {288, "    Press 'H' again to exit help  "},
  };
  // Each line is 544 pixels from x = 64, so its last half cell passes the
  // right edge of the 560-pixel background, which starts at x = 40.
  const UnderText under = [&](int32_t x, int32_t) { return x >= left && x <= right ? help : BACKGROUND_RGB; };
  for (const auto &line : lines) expectText(frame, 320 - 256, line.y, line.text, under);
  // The two credit lines are our own words; they start at the same place.
  for (int32_t y : {64, 80}) {
    const PixelBox ink = findPixels(frame, left, y + 1, right, y + 14, [&](Rgb c) { return !near(c, help, 3); });
    ASSERT_TRUE(ink.found) << "credit line at y " << y;
    EXPECT_GE(ink.left, 320 - 256);
    EXPECT_LE(ink.left, 320 - 256 + 4);
    EXPECT_GE(ink.right, 590);
  }
}

// Below its first lines the help page lists the other keys and a legend of
// the marker shapes, drawn as the markers are, as many rows as the window's
// height leaves room for: the rows that do not fit are left out from the
// bottom.
TEST_F(RenderTest, HelpPageAddsKeyRowsAndAShapeLegendAsRoomAllows) {
  writePictures();
  char rows[HELP_ROW_CAPACITY][HELP_ROW_LENGTH + 1];
  const int32_t count = composeHelpRows(rows, HELP_ROW_CAPACITY);
  ASSERT_GE(count, 3);
  const int32_t legend = count - 2;
  for (const int32_t height : {480, 400}) {
    SCOPED_TRACE(testing::Message() << "640 x " << height);
    ASSERT_TRUE(startViewer(640, height));
    viewerState.cameraX = 10.0f;
    viewerState.showHelp = 1;
    drawFrame();
    const Frame frame = drawFrame();
    const Rgb help = translucent(BACKGROUND_RGB, 0.3);
    const int32_t left = firstPixelAt(320 - 280, 640), right = firstPixelAt(320 + 280, 640) - 1;
    const UnderText under = [&](int32_t x, int32_t) { return x >= left && x <= right ? help : BACKGROUND_RGB; };
    const int32_t room = (height - 32 - 320) / 16;
    for (int32_t i = 0; i < count && i < room; ++i) {
      if (i != legend) expectText(frame, 64, 320 + 16 * i, rows[i], under);
    }
    if (room <= legend) {
      // Nothing is drawn in the box below the last row that fits.
      const int32_t top = 320 + 16 * room;
      EXPECT_FALSE(findPixels(frame, left, top, right, firstPixelAt(height - 32, height) - 1,
                              [&](Rgb c) { return !near(c, help, 3); })
                       .found);
      continue;
    }
    // The shapes stand where the legend's row leaves room for them.
    int32_t shape = 0;
    for (int32_t column = 0; column < HELP_ROW_LENGTH; ++column) {
      if (rows[legend][column] != LEGEND_SHAPE) continue;
      const Rgb centre = frame.at(64 + 16 * column + 8, 320 + 16 * legend + 8);
      EXPECT_PRED1(LEGEND_SHAPES[shape++].isRampage ? isRampageGreen : isPackageRed, centre) << describe(centre);
    }
    EXPECT_EQ(shape, LEGEND_SHAPE_COUNT);
  }
}

// The panel background takes the blend function that the previous frame's
// text left behind: the first frame draws it opaque, later ones translucent.
TEST_F(RenderTest, PanelIsOpaqueInTheFirstFrameAndTranslucentAfter) {
  writePictures();
  ASSERT_TRUE(startViewer(640, 480));
  const Rgb mapUnder = rgbOf(MAP_BOTTOM_RIGHT);
  const Rgb opaque{51, 51, 51};

  const Frame first = drawFrame();
  EXPECT_PRED3(near, first.at(500, 400), opaque, 1) << describe(first.at(500, 400));
  EXPECT_PRED3(near, first.at(630, 400), opaque, 1) << describe(first.at(630, 400));

  for (int frameNumber = 2; frameNumber <= 3; ++frameNumber) {
    const Frame later = drawFrame();
    SCOPED_TRACE(testing::Message() << "frame " << frameNumber);
    EXPECT_PRED3(near, later.at(500, 400), translucent(mapUnder, 0.2), 2) << describe(later.at(500, 400));
    EXPECT_PRED3(near, later.at(630, 400), translucent(BACKGROUND_RGB, 0.2), 2) << describe(later.at(630, 400));
  }
}

}  // namespace

// The compact layout, where the platform allows it (the page): no panel, the
// counts in a strip along the top, and a help page fitted to the width. A
// desktop window of the same shape keeps its panel.
TEST_F(RenderTest, CompactLayoutPutsTheCountsInAStripAndFitsTheHelpPage) {
  writePictures();
  ASSERT_TRUE(startViewer(390, 844));
  viewerState.cameraX = 10.0f;  // the map out of sight
  drawFrame();
  const Rgb panel = translucent(BACKGROUND_RGB, 0.2);
  EXPECT_PRED3(near, drawFrame().at(389, 400), panel, 2) << "the desktop's panel";

  viewerState.compactAllowed = 1;
  drawFrame();
  Frame frame = drawFrame();
  EXPECT_PRED3(near, frame.at(389, 400), BACKGROUND_RGB, 1) << describe(frame.at(389, 400));
  EXPECT_PRED3(near, frame.at(389, 30), panel, 2) << describe(frame.at(389, 30));
  EXPECT_PRED3(near, frame.at(389, 60), BACKGROUND_RGB, 1) << describe(frame.at(389, 60));
  expectText(frame, 8, 6, "  0 packages left", panel);
  expectText(frame, 8, 22, "  0 rampages left", panel);

  viewerState.showHelp = 1;
  drawFrame();
  frame = drawFrame();
  const Rgb help = translucent(BACKGROUND_RGB, 0.3);
  expectText(frame, 8, 16, "KZR Tern Haven Package", help);
  expectText(frame, 8, 32, "Viewer", help);
  // 23 characters to a line: the longer ones break at a space.
  expectText(frame, 8, 64, "One finger: move the", help);
  expectText(frame, 8, 80, "map", help);
}

// The sharing code at the smallest window: beside the panel, whose counts stay
// readable, with its caption under it.
TEST_F(RenderTest, ShareCodeLeavesThePanelAloneAndSaysWhatItIsFor) {
  writePictures();
  ASSERT_TRUE(startViewer(640, 480));
  viewerState.cameraX = 10.0f;  // the map out of sight
  shareOverlay.size = 33;
  shareOverlay.dark.assign(33 * 33, false);
  std::snprintf(shareOverlay.address, sizeof shareOverlay.address, "http://192.168.1.20:8765/%032d/", 0);
  shareOverlay.shown = 1;
  drawFrame();
  const Frame frame = drawFrame();
  shareOverlay = ShareOverlay{};

  const PixelBox code = findPixels(frame, 0, 0, 639, 479, [](Rgb c) { return near(c, {255, 255, 255}, 1); });
  ASSERT_TRUE(code.found);
  EXPECT_LT(code.right, 640 - 168);
  const Rgb panel = translucent(BACKGROUND_RGB, 0.2);
  expectText(frame, 640 - 160, 14, "    0", panel);
  expectText(frame, 640 - 160, 82, " rampages ", panel);
  // The caption's top is the overlay row whose first pixel is the one under the code.
  int32_t captionTop = code.bottom;
  while (firstPixelAt(captionTop, 480) <= code.bottom) ++captionTop;
  const char caption[] = "Scan with the phone's camera";
  expectText(frame, (640 - 168 - 16 * (static_cast<int32_t>(sizeof caption) - 1)) / 2, captionTop, caption,
             Rgb{0, 0, 0});
}
