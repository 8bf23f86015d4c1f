// F12: the frame as drawn goes into a PNG beside the save, named after the
// save and the time; a line at the bottom left says where for three seconds,
// or why no picture could be saved.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>

#include "app/controls.h"
#include "app/input.h"
#include "app/status_line.h"
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
  expectText(shown, 8, 480 - 8 - 16, "Saved picture: ",
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
