// F12: the frame as drawn goes into a PNG beside the save, named after the
// save and the time; a line at the bottom left says where for three seconds,
// or why no picture could be saved.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>

#include "app/controls.h"
#include "app/input.h"
#include "app/map_point.h"
#include "app/status_line.h"
#include "app/text_fit.h"
#include "render/render_fixture.h"
#include "render/screenshot.h"
#include "support/savegame_writer.h"

namespace {

class Screenshot : public RenderTest {
 protected:
  // Names the save, draws the frame F12 will take, then presses F12 and
  // draws again; returns the frame taken.
  Frame pressF12(const std::string &save) {
    std::snprintf(viewerState.saveFileName, SAVE_PATH_SIZE, "%s", save.c_str());
    drawFrame();  // from the second frame on, the panel is translucent
    const Frame before = drawFrame();
    handleKeyDown(VK_CODE_F12);
    applyControls();
    handleKeyUp(VK_CODE_F12);
    shown = drawFrame();
    return before;
  }
  Frame shown;
};

TEST_F(Screenshot, F12SavesTheFrameBesideTheSaveAndSaysWhereForThreeSeconds) {
  writePictures();
  ASSERT_TRUE(startViewer(640, 480));
  setPackages({{0.0f, 0.0f, 5.0f}});
  const Frame before = pressF12(pictureFolder + "/slot1.b");

  std::vector<std::string> pictures;
  for (const auto &entry : std::filesystem::directory_iterator(pictureFolder)) {
    const std::string name = entry.path().filename().string();
    if (std::regex_match(name, std::regex(R"(slot1-\d{4}-\d\d-\d\d-\d{6}\.png)"))) {
      pictures.push_back(entry.path().string());
    }
  }
  ASSERT_EQ(pictures.size(), 1u);
  Frame picture;
  ASSERT_TRUE(readPng(pictures[0], &picture));
  EXPECT_EQ(picture.width, 640);
  EXPECT_EQ(picture.height, 480);
  EXPECT_TRUE(picture.rgb == before.rgb) << "the picture is the frame, without the line that says where";

  EXPECT_EQ(std::string(viewerState.statusLine), "Saved picture: " + pictures[0]);
  // The line is broken to the 28 characters left of the panel.
  char lines[4][FITTED_LINE_SIZE];
  const int32_t count = fitTextLines(viewerState.statusLine, 28, lines, 4);
  ASSERT_GE(count, 2) << viewerState.statusLine;
  expectText(shown, 8, 480 - 8 - 16 * count, "Saved picture:",
             [&](int32_t x, int32_t y) { return translucent(before.at(x, y), 0.2); });

  // The three seconds count from the first look at the clock after the frame.
  EXPECT_EQ(millisecondsUntilStatusLineChange(500), 0u);
  EXPECT_FALSE(updateStatusLine(1000));
  EXPECT_EQ(millisecondsUntilStatusLineChange(2000), 2000u);
  EXPECT_FALSE(updateStatusLine(3999));
  EXPECT_TRUE(updateStatusLine(4000));
  EXPECT_EQ(millisecondsUntilStatusLineChange(4000), UINT32_MAX);
  EXPECT_TRUE(drawFrame().rgb == before.rgb) << "the line is gone";
}

TEST_F(Screenshot, APictureThatCannotBeWrittenSaysWhy) {
  writePictures();
  ASSERT_TRUE(startViewer(640, 480));
  pressF12(pictureFolder + "/no-such-folder/slot1.b");
  const std::string line = viewerState.statusLine;
  EXPECT_EQ(line.rfind("Picture not saved: " + pictureFolder + "/no-such-folder/slot1-", 0), 0u) << line;
  const std::string reason = std::string(".png: ") + std::strerror(ENOENT);
  EXPECT_EQ(line.substr(line.size() - std::min(line.size(), reason.size())), reason) << line;
}

// The lines added at the bottom left, however long, stay left of the panel,
// each on its own backdrop: the longest information line with a long status
// line above it, in the smallest window and in a narrower canvas.
TEST_F(Screenshot, AddedLinesAreBrokenToFitLeftOfThePanelEachOnABackdrop) {
  writePictures();
  struct Size {
    int32_t width, height;
  };
  for (const Size size : {Size{640, 480}, Size{420, 480}}) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    ASSERT_TRUE(startViewer(size.width, size.height));
    viewerState.showInfo = 0;
    viewerState.statusLine[0] = '\0';
    std::vector<PickupMarker> packages(98, PickupMarker{1900.0f, 1900.0f, 0.0f});
    packages[97] = {-1858.8f, -460.0f, 17.3f};
    setPackages(packages);
    viewerState.routeStops[0] = {MARKER_PACKAGE, 97, -1858.8f, -460.0f, 17.3f};
    viewerState.routeStopCount = 37;
    double x, y;
    pixelOfSavegamePoint(-1858.8, -460.0, &x, &y);
    viewerState.mouseX = static_cast<int32_t>(x);
    viewerState.mouseY = static_cast<int32_t>(y);
    drawFrame();
    const Frame before = drawFrame();

    viewerState.showInfo = 1;
    showStatusLine("Saved picture: /home/player/saves/kzr/slot1-2026-12-08-041522.png");
    const Frame shown = drawFrame();
    int32_t lowestChanged = size.height, changedRight = -1;
    for (int32_t py = 0; py < size.height; ++py) {
      for (int32_t px = 0; px < size.width; ++px) {
        if (near(shown.at(px, py), before.at(px, py), 0)) continue;
        changedRight = std::max(changedRight, px);
        lowestChanged = std::min(lowestChanged, py);
      }
    }
    EXPECT_LT(changedRight, size.width - 168) << "a line reaches into the panel";
    // Every text row, from the highest one changed down, has the backdrop at
    // its left edge: none is drawn straight on the map.
    ASSERT_LT(lowestChanged, size.height - 16 * 5) << "fewer lines than the texts need";
    for (int32_t row = lowestChanged + 4; row < size.height; row += 16) {
      EXPECT_PRED3(near, shown.at(2, row), translucent(before.at(2, row), 0.2), 1) << "row " << row;
    }
  }
}

// The picture's name: the save's name less its last extension only, and a
// counter rather than an earlier picture overwritten.
TEST(ScreenshotPath, KeepsTheSavesNameAndNeverTakesATakenOne) {
  std::tm when{};
  when.tm_year = 2026 - 1900;
  when.tm_mon = 11;
  when.tm_mday = 7;
  when.tm_hour = 20;
  when.tm_min = 30;
  when.tm_sec = 15;
  const std::string folder = temporaryPath("screenshot_names");
  std::filesystem::create_directories(folder + "/v1.2");
  const struct {
    std::string save;
    std::string picture;
  } names[] = {
      {folder + "/v1.2/slot1.b", folder + "/v1.2/slot1-2026-12-07-203015.png"},
      {folder + "/my.slot.b", folder + "/my.slot-2026-12-07-203015.png"},
      {folder + "/v1.2/slot", folder + "/v1.2/slot-2026-12-07-203015.png"},
  };
  for (const auto &name : names) EXPECT_EQ(screenshotPath(name.save.c_str(), when), name.picture);

  const std::string save = folder + "/slot2.b";
  for (const char *counter : {"", "-2", "-3"}) {
    const std::string expected = folder + "/slot2-2026-12-07-203015" + counter + ".png";
    const std::string path = screenshotPath(save.c_str(), when);
    EXPECT_EQ(path, expected);
    writeBytes(path, {1});
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
