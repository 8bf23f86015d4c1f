// GDI (as wine provides it) against the project's own converter on every file
// of the public BMP suite: each file is loaded twice through loadDibFile, once
// with each converter, and the two outcomes (picture, or message box) are
// compared. Every difference is printed; the test passes only when the
// differences are exactly the known ones listed below, each with its reason.
// The viewer's own two pictures must convert identically.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "image/dib_loader.h"
#include "win32_test_platform.h"

namespace {

const std::string SUITE_DIR = std::string(VIEWER_SHARED_DIR) + "/bmpsuite";

struct Outcome {
  bool loaded = false;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<unsigned char> pixels;
  std::vector<std::string> boxes;
};

Outcome loadWith(bool portable, const std::string &path) {
  win32TestUsePortableConverter(portable);
  headlessClearMessageBoxes();
  Outcome outcome;
  ImageRecord *image = loadDibFile(path.c_str());
  win32TestUsePortableConverter(false);
  for (const RecordedMessageBox &box : headlessMessageBoxes()) outcome.boxes.push_back(box.text);
  if (image) {
    outcome.loaded = true;
    outcome.width = image->width;
    outcome.height = image->height;
    size_t size = static_cast<size_t>(image->width) * image->height * 3;
    outcome.pixels.assign(image->pixels, image->pixels + size);
    releaseImageRecord(image);
  }
  return outcome;
}

// How two outcomes differ.
enum DifferenceKind { SAME, GDI_REFUSES, OURS_REFUSES, OTHER_BOX, PIXELS };

struct Difference {
  DifferenceKind kind = SAME;
  int largestChannelDelta = 0;
  std::string text;
};

std::string describeBoxes(const Outcome &outcome) {
  std::string text;
  for (const std::string &box : outcome.boxes) text += (text.empty() ? "" : " | ") + box;
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return "\"" + text + "\"";
}

Difference compare(const Outcome &gdi, const Outcome &ours) {
  Difference difference;
  std::ostringstream text;
  if (!gdi.loaded && !ours.loaded) {
    if (gdi.boxes == ours.boxes) return difference;
    difference.kind = OTHER_BOX;
    text << "both refuse, GDI with " << describeBoxes(gdi) << ", ours with " << describeBoxes(ours);
  } else if (!gdi.loaded) {
    difference.kind = GDI_REFUSES;
    text << "GDI refuses with " << describeBoxes(gdi) << ", ours decodes";
  } else if (!ours.loaded) {
    difference.kind = OURS_REFUSES;
    text << "ours refuses with " << describeBoxes(ours) << ", GDI decodes";
  } else if (gdi.width != ours.width || gdi.height != ours.height) {
    difference.kind = PIXELS;
    difference.largestChannelDelta = 255;
    text << "sizes differ: GDI " << gdi.width << "x" << gdi.height << ", ours " << ours.width << "x"
         << ours.height;
  } else {
    size_t differing = 0, first = 0;
    for (size_t p = 0; p < gdi.pixels.size(); p += 3) {
      int delta = 0;
      for (size_t c = 0; c < 3; ++c) delta = std::max(delta, std::abs(gdi.pixels[p + c] - ours.pixels[p + c]));
      if (delta == 0) continue;
      if (differing++ == 0) first = p;
      difference.largestChannelDelta = std::max(difference.largestChannelDelta, delta);
    }
    if (differing == 0) return difference;
    difference.kind = PIXELS;
    size_t index = first / 3;
    text << differing << " of " << gdi.pixels.size() / 3 << " pixels differ, by at most "
         << difference.largestChannelDelta << "; first at column " << index % gdi.width << ", row "
         << index / gdi.width << " (bottom row 0): GDI " << int(gdi.pixels[first]) << ","
         << int(gdi.pixels[first + 1]) << "," << int(gdi.pixels[first + 2]) << ", ours "
         << int(ours.pixels[first]) << "," << int(ours.pixels[first + 1]) << ","
         << int(ours.pixels[first + 2]);
  }
  difference.text = text.str();
  return difference;
}

// A difference that is understood: its kind, for pixel differences the
// largest channel difference allowed, and why the two converters disagree.
struct KnownDifference {
  DifferenceKind kind;
  int largestChannelDelta;
  const char *reason;
};

// Ours widens an n-bit channel to 8 bits as round(v * 255 / (2^n - 1)), as
// the suite's reference pictures do; GDI shifts the value to the top of the
// byte and repeats its top bits once below it, which for 5 and 6-bit channels
// is off by at most 1, but gives 192 for a full 1-bit channel and 240 for a
// full 2-bit one.
const char *const WIDENING =
    "channel widening: GDI repeats the top bits (5 bits: 3 -> 24), ours rounds v * 255 / max (3 -> 25)";
const char *const NARROWING =
    "channels wider than 8 bits: GDI keeps the top 8 bits, ours rounds from the top 16 bits";

const std::map<std::string, KnownDifference> KNOWN_DIFFERENCES = {
    {"g/rgb16.bmp", {PIXELS, 1, WIDENING}},
    {"g/rgb16bfdef.bmp", {PIXELS, 1, WIDENING}},
    {"g/rgb16-565.bmp", {PIXELS, 1, WIDENING}},
    {"g/rgb16-565pal.bmp", {PIXELS, 1, WIDENING}},
    {"q/rgb16faketrns.bmp", {PIXELS, 1, WIDENING}},
    {"q/rgb16-231.bmp",
     {PIXELS, 63, "2-3-1 bit channels: GDI widens a full 1-bit channel to 192 and a full 2-bit one to 240, "
                  "ours to 255"}},
    {"q/rgb16-3103.bmp", {PIXELS, 3, "3-10-3 bit channels: GDI widens 3 bits to 252 at most, ours to 255"}},
    {"q/rgb32-111110.bmp", {PIXELS, 1, NARROWING}},
    {"q/rgb32-7187.bmp", {PIXELS, 1, "7-18-7 bit channels: widening of the 7-bit ones and narrowing of the 18-bit one"}},
    {"b/rgb16-880.bmp",
     {GDI_REFUSES, 0, "a bit-field picture with an empty blue mask: GDI refuses it, ours reads blue as 0"}},
};

std::vector<std::string> suiteFiles() {
  std::ifstream index(SUITE_DIR + "/INDEX.tsv");
  std::vector<std::string> files;
  std::string line;
  std::getline(index, line);  // column names
  while (std::getline(index, line)) {
    std::string path = line.substr(0, line.find('\t'));
    if (!path.empty()) files.push_back(path);
  }
  return files;
}

TEST(GdiAgainstPortableConverter, DifferOnlyWhereKnownOnTheBmpSuite) {
  struct stat info;
  if (stat((SUITE_DIR + "/INDEX.tsv").c_str(), &info) != 0) {
    GTEST_SKIP() << "BMP suite not found at " << SUITE_DIR << "; skipping";
  }
  std::vector<std::string> files = suiteFiles();
  ASSERT_FALSE(files.empty());

  int same = 0;
  for (const std::string &file : files) {
    SCOPED_TRACE(file);
    std::string path = SUITE_DIR + "/" + file;
    Difference difference = compare(loadWith(false, path), loadWith(true, path));
    auto known = KNOWN_DIFFERENCES.find(file);
    if (difference.kind == SAME) {
      ++same;
      EXPECT_TRUE(known == KNOWN_DIFFERENCES.end()) << "listed as a known difference, but both agree";
      continue;
    }
    std::cout << "difference: " << file << ": " << difference.text;
    if (known != KNOWN_DIFFERENCES.end()) std::cout << "\n  known: " << known->second.reason;
    std::cout << "\n";
    if (known == KNOWN_DIFFERENCES.end()) {
      ADD_FAILURE() << "unexpected difference: " << difference.text;
      continue;
    }
    EXPECT_EQ(difference.kind, known->second.kind) << difference.text;
    EXPECT_LE(difference.largestChannelDelta, known->second.largestChannelDelta) << difference.text;
  }
  std::cout << same << " of " << files.size() << " suite files convert the same with GDI and ours\n";
}

// The two pictures the viewer ships with convert identically.
TEST(GdiAgainstPortableConverter, AgreeOnTheBundledPictures) {
  for (const char *name : {"font.bmp", "THmap.bmp"}) {
    SCOPED_TRACE(name);
    std::string path = std::string(VIEWER_ASSETS_DIR) + "/" + name;
    Outcome gdi = loadWith(false, path);
    ASSERT_TRUE(gdi.loaded) << describeBoxes(gdi);
    Difference difference = compare(gdi, loadWith(true, path));
    EXPECT_EQ(difference.kind, SAME) << difference.text;
  }
}

}  // namespace
