// package-tool bmp: the picture comes out upright as PPM or PNG, a file the
// loader refuses prints its message box and exits 1, wrong usage exits 2.
#include <sys/wait.h>

#include <fstream>

#include "image/image_test_support.h"
#include "support/special_files.h"

namespace {

std::vector<unsigned char> readAll(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

struct ToolRun {
  int status;
  std::string errors;
};

ToolRun runTool(const std::string &arguments) {
  std::string errorsPath = temporaryPath("tool-stderr.txt");
  std::string command = std::string("'") + PACKAGE_TOOL + "' " + arguments + " 2>'" + errorsPath + "'";
  int status = std::system(command.c_str());
  std::vector<unsigned char> errors = readAll(errorsPath);
  std::remove(errorsPath.c_str());
  return ToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(errors.begin(), errors.end())};
}

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
};

TEST_F(BmpTool, WritesTheUprightPictureAsPpm) {
  std::string ppm = output("tool-out.ppm");
  ToolRun run = runTool("bmp '" + input + "' '" + ppm + "'");
  EXPECT_EQ(run.status, 0) << run.errors;
  std::string header = "P6\n3 2\n255\n";
  std::vector<unsigned char> expected(header.begin(), header.end());
  for (unsigned char byte : rgbBytes({0xA0B0C0, 0xD0E0F0, 0xFFFEFD, 0x010203, 0x040506, 0x070809})) {
    expected.push_back(byte);
  }
  EXPECT_EQ(readAll(ppm), expected);
}

TEST_F(BmpTool, WritesPngByExtension) {
  std::string png = output("tool-out.PNG");
  ToolRun run = runTool("bmp '" + input + "' '" + png + "'");
  EXPECT_EQ(run.status, 0) << run.errors;
  std::vector<unsigned char> bytes = readAll(png);
  const std::vector<unsigned char> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GT(bytes.size(), signature.size());
  EXPECT_TRUE(std::equal(signature.begin(), signature.end(), bytes.begin()));
}

TEST_F(BmpTool, RefusedPicturePrintsItsBoxAndExits1) {
  std::string missing = temporaryPath("tool-missing.bmp");
  ToolRun run = runTool("bmp '" + missing + "' '" + output("never.ppm") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Error: Failed to open DIB file " + missing + ".\n");

  std::string unknown = output("tool-unknown.bmp");
  writeBytes(unknown, {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0});
  run = runTool("bmp '" + unknown + "' '" + output("never2.ppm") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "Error: Unknown DIB file format.\n");

  forEachSpecialFile([&](const std::string &what, const std::string &special) {
    SCOPED_TRACE(what);
    ToolRun refused = runTool("bmp '" + special + "' '" + output("never3.ppm") + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "Error: Failed to open DIB file " + special + ".\n");
  });
}

TEST_F(BmpTool, WrongUsageExits2) {
  EXPECT_EQ(runTool("bmp").status, 2);
  EXPECT_EQ(runTool("bmp '" + input + "'").status, 2);
  EXPECT_EQ(runTool("bmp '" + input + "' '" + output("out.jpg") + "'").status, 2);
  EXPECT_EQ(runTool("bmp '" + input + "' a.ppm extra").status, 2);
}

}  // namespace
