// The player's own map kept in the player's data folder: the side chosen for
// the square, the files written and read back, and a folder that cannot take
// them leaving the map kept before as it was.
#include "app/own_map.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "support/savegame_writer.h"

namespace {

TEST(OwnMap, SideIsThePowerOfTwoNearestThePicturesOwnResolution) {
  struct Case {
    int32_t width;
    double span;  // world units across the picture's width
    int32_t side;
  };
  // 1000 pixels over a quarter of the map: 4000 over the square; over all of
  // it: 1000; 1440 and 1500 lie either side of 1448, midway between 1024 and
  // 2048 by ratio (1500 is nearer 1024 by difference); and the clamps.
  const Case cases[] = {{1000, 1000, 4096}, {1000, 4000, 1024}, {1440, 4000, 1024}, {1500, 4000, 2048},
                        {100, 4000, 1024},  {8000, 1000, 4096}};
  for (const Case &c : cases) {
    EXPECT_EQ(ownMapSide(c.width, c.width / 2, {-c.span / 2, -c.span / 4, c.span / 2, c.span / 4}), c.side)
        << c.width << " over " << c.span;
  }
}

TEST(OwnMap, AlignmentTextReadsBackAndDamagedTextIsRefused) {
  const PicturePlacement placement = {-1234.5678901234567, 1999.0000000000002, 0.30000000000000004};
  std::string name;
  PicturePlacement read = {};
  const std::string text = alignmentText("own-map-picture-1.png", placement);
  ASSERT_TRUE(parseAlignment(text.data(), text.size(), &name, &read));
  EXPECT_EQ(name, "own-map-picture-1.png");
  EXPECT_EQ(read.left, placement.left);
  EXPECT_EQ(read.top, placement.top);
  EXPECT_EQ(read.unitsPerPixel, placement.unitsPerPixel);
  for (const char *damaged : {"picture a.png\nleft 1\ntop 2\n", "picture a.png\nleft 1\ntop 2\nunits-per-pixel 0\n",
                              "picture a.png\nleft nan\ntop 2\nunits-per-pixel 1\n",
                              "picture ../a.png\nleft 1\ntop 2\nunits-per-pixel 1\n",
                              "picture a.png\nleft 1x\ntop 2\nunits-per-pixel 1\n", ""}) {
    EXPECT_FALSE(parseAlignment(damaged, std::strlen(damaged), &name, &read)) << damaged;
  }
}

class KeptOwnMap : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    // Held at half the size of its file.
    picture.width = 4;
    picture.height = 2;
    picture.sourceWidth = 8;
    picture.sourceHeight = 4;
    picture.rgba.assign(4 * 2 * 4, 200);
    writeBytes(source, {'b', 'y', 't', 'e', 's'});
  }
  void TearDown() override {
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(home);
    std::remove(source.c_str());
  }
  const std::string home = temporaryPath("own-map-home");
  const std::string folder = home + "/package-viewer";
  const std::string source = temporaryPath("own picture.PNG");
  Picture picture;
  const PicturePlacement placement = {-1000, 500, 250};
};

TEST_F(KeptOwnMap, KeptThenReadBackForAligningAgain) {
  std::string reason;
  ASSERT_TRUE(keepOwnMap(source.c_str(), picture, placement, &reason)) << reason;
  // 4 pixels over 1000 units: 16 over the square, so the smallest side.
  const std::vector<unsigned char> map = readBytes(folder + "/THmap.bmp");
  ASSERT_GE(map.size(), 26u);
  EXPECT_EQ(map[18] | map[19] << 8, 1024);
  char path[512];
  PicturePlacement kept = {};
  ASSERT_TRUE(loadKeptAlignment(path, sizeof path, &kept));
  EXPECT_EQ(std::string(path), folder + "/own-map-picture-1.PNG");
  EXPECT_EQ(readBytes(path), readBytes(source));
  EXPECT_EQ(kept.unitsPerPixel, 125) << "counted in the file's pixels";
  // Kept again, from that very copy: the copy moves to the other name and
  // the one before goes.
  ASSERT_TRUE(keepOwnMap(path, picture, placement, &reason)) << reason;
  ASSERT_TRUE(loadKeptAlignment(path, sizeof path, &kept));
  EXPECT_EQ(std::string(path), folder + "/own-map-picture-2.PNG");
  EXPECT_FALSE(std::filesystem::exists(folder + "/own-map-picture-1.PNG"));
  // A damaged alignment or a missing picture: nothing to align again.
  writeBytes(folder + "/own-map-alignment.txt", {'l', 'e', 'f', 't'});
  EXPECT_FALSE(loadKeptAlignment(path, sizeof path, &kept));
}

TEST_F(KeptOwnMap, FolderThatCannotTakeItLeavesTheKeptMapAsItWas) {
  std::string reason;
  ASSERT_TRUE(keepOwnMap(source.c_str(), picture, placement, &reason)) << reason;
  const std::vector<unsigned char> map = readBytes(folder + "/THmap.bmp");
  const std::vector<unsigned char> alignment = readBytes(folder + "/own-map-alignment.txt");
  const PicturePlacement moved = {0, 0, 100};
  {
    // A full disk: room for the picture's copy, not for the map. (Files are
    // capped rather than the folder made read-only: the tests may run as
    // root, whom a folder's rights do not stop.)
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit capped = saved;
    capped.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &capped), 0);
    EXPECT_FALSE(keepOwnMap(source.c_str(), picture, moved, &reason));
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(reason, "File too large");
  }
  EXPECT_EQ(readBytes(folder + "/THmap.bmp"), map);
  EXPECT_EQ(readBytes(folder + "/own-map-alignment.txt"), alignment);
  size_t files = 0;
  for (const auto &entry : std::filesystem::directory_iterator(folder)) files += entry.is_regular_file();
  EXPECT_EQ(files, 3u) << "a copy or a temporary file was left behind";
  // A folder that cannot be made (a file stands in its way).
  std::filesystem::remove_all(folder);
  writeBytes(folder, {'x'});
  reason.clear();
  EXPECT_FALSE(keepOwnMap(source.c_str(), picture, moved, &reason));
  EXPECT_EQ(reason, "the folder " + folder + " cannot be made");
}

}  // namespace
