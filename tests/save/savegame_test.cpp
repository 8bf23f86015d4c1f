// Savegame reader: layout, kinds, capacities and bit-exact positions, read
// from bytes in memory; saves beyond 2 GiB; and the refusal of missing, short
// and damaged files (from memory and from a file), of what is not a regular
// file and of tables that do not fit in memory, without losing what was
// loaded.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "save/savegame.h"
#include "support/savegame_writer.h"
#include "support/irregular_files.h"
#ifndef _WIN32
#include "support/address_space_cap.h"
#endif

namespace {

const char *const DAMAGED_TEXT = "Error ! : The savegame is truncated or damaged !";

// What parseSavegame makes of some bytes; the lists are freed with it.
struct Parsed {
  SavegameMarkers markers;
  SavegameStatus status;

  explicit Parsed(const std::vector<unsigned char> &bytes)
      : status(parseSavegame(bytes.data(), bytes.size(), &markers)) {}
  Parsed(const Parsed &) = delete;
  Parsed &operator=(const Parsed &) = delete;
  ~Parsed() {
    std::free(markers.packages);
    std::free(markers.rampages);
  }
};

class SavegameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    headlessClearMessageBoxes();
    path = temporaryPath("save.b");
  }
  void TearDown() override {
    std::remove(path.c_str());
    resetViewerState();
  }

  void load(const std::vector<unsigned char> &bytes) {
    writeBytes(path, bytes);
    loadPath(path);
  }
  bool loadPath(const std::string &name) {
    std::snprintf(viewerState.saveFileName, sizeof viewerState.saveFileName, "%s", name.c_str());
    return loadSavegame();
  }

  // Loads a known save and returns a copy of what it put in the lists, so that
  // a later refused load can be checked to have left everything in place.
  void loadReference() {
    load(makeSavegame({pickup(154, 1, 2, 3), pickup(127, 4, 5, 6), pickup(154, 7, 8, 9)}));
    ASSERT_EQ(viewerState.packageCount, 2);
    ASSERT_EQ(viewerState.rampageCount, 1);
    referencePackages = viewerState.packages;
    referenceRampages = viewerState.rampages;
    headlessClearMessageBoxes();
  }

  void expectReferenceKept() {
    EXPECT_EQ(viewerState.packages, referencePackages);
    EXPECT_EQ(viewerState.rampages, referenceRampages);
    ASSERT_EQ(viewerState.packageCount, 2);
    ASSERT_EQ(viewerState.rampageCount, 1);
    EXPECT_EQ(viewerState.packages[1].x, 7.0f);
    EXPECT_EQ(viewerState.rampages[0].z, 6.0f);
  }

  // Damaged bytes are refused from memory, and from a file with one box and
  // the reference lists kept.
  void expectRefused(const std::vector<unsigned char> &bytes) {
    Parsed parsed(bytes);
    EXPECT_EQ(parsed.status, SAVEGAME_DAMAGED);
    EXPECT_EQ(parsed.markers.packages, nullptr);
    headlessClearMessageBoxes();
    load(bytes);
    expectOneBox(DAMAGED_TEXT);
    expectReferenceKept();
  }

  void expectOneBox(const std::string &text) {
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].caption, "KZR Package Viewer");
    EXPECT_EQ(headlessMessageBoxes()[0].text, text);
    EXPECT_EQ(headlessMessageBoxes()[0].owner, MESSAGE_OWNER_MAIN_WINDOW);
  }

  std::string path;
  PickupMarker *referencePackages = nullptr;
  PickupMarker *referenceRampages = nullptr;
};

void expectMarker(const PickupMarker &marker, float x, float y, float z) {
  EXPECT_EQ(marker.x, x);
  EXPECT_EQ(marker.y, y);
  EXPECT_EQ(marker.z, z);
}

TEST_F(SavegameTest, FollowsTheBlockCountsToThePickupTable) {
  // Empty blocks put the count at 260 and the first record at 264.
  std::vector<unsigned char> bytes = makeSavegame({pickup(154, 10, 20, 30)});
  ASSERT_EQ(pickupTableOffset(), 264u);
  ASSERT_EQ(bytes[260], 1);
  Parsed plain(bytes);
  ASSERT_EQ(plain.status, SAVEGAME_READ);
  ASSERT_EQ(plain.markers.packageCount, 1);
  expectMarker(plain.markers.packages[0], 10, 20, 30);

  // Blocks with content (which itself looks like package records) are skipped.
  SavegameLayout layout;
  layout.blockSizes = {88, 1, 300, 0, 7};
  Parsed blocks(makeSavegame({pickup(127, -5, 6, 7), pickup(154, 1.5f, 2.5f, 3.5f)}, layout));
  ASSERT_EQ(blocks.status, SAVEGAME_READ);
  ASSERT_EQ(blocks.markers.packageCount, 1);
  ASSERT_EQ(blocks.markers.rampageCount, 1);
  expectMarker(blocks.markers.packages[0], 1.5f, 2.5f, 3.5f);
  expectMarker(blocks.markers.rampages[0], -5, 6, 7);
}

TEST_F(SavegameTest, KeepsOnlyPackagesAndRampagesInFileOrder) {
  std::vector<PickupRecord> pickups;
  for (int kind = 0; kind < 256; ++kind) pickups.push_back(pickup(static_cast<unsigned char>(kind), kind, -kind, 0.5f));
  pickups.push_back(pickup(154, 1000, 1001, 1002));
  pickups.push_back(pickup(127, 2000, 2001, 2002));
  Parsed parsed(makeSavegame(pickups));

  ASSERT_EQ(parsed.markers.packageCount, 2);
  ASSERT_EQ(parsed.markers.rampageCount, 2);
  expectMarker(parsed.markers.packages[0], 154, -154, 0.5f);
  expectMarker(parsed.markers.packages[1], 1000, 1001, 1002);
  expectMarker(parsed.markers.rampages[0], 127, -127, 0.5f);
  expectMarker(parsed.markers.rampages[1], 2000, 2001, 2002);
}

TEST_F(SavegameTest, FillsBothListsAndDropsTheSurplus) {
  std::vector<PickupRecord> pickups;
  for (int i = 0; i < 150; ++i) pickups.push_back(pickup(154, i, 0, 12));
  for (int i = 0; i < 50; ++i) pickups.push_back(pickup(127, 0, i, 1));
  Parsed parsed(makeSavegame(pickups));

  ASSERT_EQ(parsed.status, SAVEGAME_READ);
  ASSERT_EQ(parsed.markers.packageCount, PACKAGE_CAPACITY);
  ASSERT_EQ(parsed.markers.rampageCount, RAMPAGE_CAPACITY);
  for (int i = 0; i < PACKAGE_CAPACITY; ++i) EXPECT_EQ(parsed.markers.packages[i].x, static_cast<float>(i));
  for (int i = 0; i < RAMPAGE_CAPACITY; ++i) EXPECT_EQ(parsed.markers.rampages[i].y, static_cast<float>(i));
}

TEST_F(SavegameTest, EachLoadReplacesTheListsWhole) {
  std::vector<unsigned char> bytes = makeSavegame({pickup(154, 1, 2, 3), pickup(127, 4, 5, 6)});
  load(bytes);
  load(bytes);
  ASSERT_EQ(viewerState.packageCount, 1);
  ASSERT_EQ(viewerState.rampageCount, 1);
  expectMarker(viewerState.packages[0], 1, 2, 3);

  // A save with no records empties both lists.
  load(makeSavegame({}));
  EXPECT_TRUE(headlessMessageBoxes().empty());
  EXPECT_EQ(viewerState.packageCount, 0);
  EXPECT_EQ(viewerState.rampageCount, 0);
}

TEST_F(SavegameTest, CopiesPositionsBitForBit) {
  const uint32_t quietNanWithPayload = 0x7fc12345;
  const uint32_t signallingNan = 0xff800001;
  const uint32_t negativeZero = 0x80000000;
  Parsed parsed(
      makeSavegame({PickupRecord{154, quietNanWithPayload, floatBits(std::numeric_limits<float>::infinity()),
                                 signallingNan},
                    PickupRecord{127, negativeZero, floatBits(-std::numeric_limits<float>::infinity()), 0x00000001}}));
  const SavegameMarkers &read = parsed.markers;
  ASSERT_EQ(read.packageCount, 1);
  ASSERT_EQ(read.rampageCount, 1);
  EXPECT_EQ(floatBits(read.packages[0].x), quietNanWithPayload);
  EXPECT_EQ(floatBits(read.packages[0].y), 0x7f800000u);
  EXPECT_EQ(floatBits(read.packages[0].z), signallingNan);
  EXPECT_EQ(floatBits(read.rampages[0].x), negativeZero);
  EXPECT_EQ(floatBits(read.rampages[0].y), 0xff800000u);
  EXPECT_EQ(floatBits(read.rampages[0].z), 1u);
}

TEST_F(SavegameTest, MissingFileShowsOneBoxAndKeepsTheLists) {
  loadReference();
  std::remove(path.c_str());
  loadSavegame();
  expectOneBox("Error ! : Error opening file !");
  expectReferenceKept();
}

// Neither read as a damaged save nor waited on: refused as it is opened.
TEST_F(SavegameTest, RefusesAnythingButARegularFileAtOnce) {
  loadReference();
  forEachIrregularFile([&](const std::string &what, const std::string &irregular) {
    SCOPED_TRACE(what);
    headlessClearMessageBoxes();
    EXPECT_FALSE(loadPath(irregular));
    expectOneBox("Error ! : Error opening file !");
    expectReferenceKept();
  });
}

// The first two blocks push the table past 2 GiB, beyond what a 32-bit file
// position (a long on Windows) can reach.
TEST_F(SavegameTest, ReadsASaveLargerThan2GiB) {
  SavegameLayout layout;
  layout.blockSizes = {0x7FFFFFF0u, 0x10000000u, 0, 0, 0};
  writeSparseSavegame(path, {pickup(127, 1, 2, 3), pickup(154, 4, 5, 6)}, layout);
  EXPECT_TRUE(loadPath(path));
  EXPECT_TRUE(headlessMessageBoxes().empty());
  ASSERT_EQ(viewerState.packageCount, 1);
  ASSERT_EQ(viewerState.rampageCount, 1);
  expectMarker(viewerState.packages[0], 4, 5, 6);
  expectMarker(viewerState.rampages[0], 1, 2, 3);
}

// A table of 4.5 GB that the file really holds: no 32-bit process can hold it
// (nor size it: the byte count exceeds 32 bits), and on Linux the address
// space is capped below it.
TEST_F(SavegameTest, TableTooLargeForMemoryIsOutOfMemory) {
  loadReference();
  SavegameLayout layout;
  layout.overrideRecordCount = true;
  layout.recordCount = 51000000;
  writeSparseSavegame(path, {pickup(154, 1, 1, 1)}, layout,
                      pickupTableOffset(layout) + 88ull * static_cast<uint32_t>(layout.recordCount));
#ifndef _WIN32
  AddressSpaceCap cap(1ull << 30);
  ASSERT_TRUE(cap.active());
#endif
  EXPECT_FALSE(loadPath(path));
  expectOneBox("Error ! : Out of memory !");
  expectReferenceKept();
}

TEST_F(SavegameTest, RefusesASaveCutAtAnyByte) {
  SavegameLayout layout;
  layout.blockSizes = {5, 0, 9, 0, 3};
  const std::vector<unsigned char> whole =
      makeSavegame({pickup(154, 1, 1, 1), pickup(127, 2, 2, 2), pickup(0, 3, 3, 3)}, layout);
  loadReference();
  for (size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    expectRefused(std::vector<unsigned char>(whole.begin(), whole.begin() + static_cast<long>(length)));
  }
  headlessClearMessageBoxes();
  load(whole);
  EXPECT_TRUE(headlessMessageBoxes().empty());
  EXPECT_EQ(viewerState.packageCount, 1);
}

TEST_F(SavegameTest, RefusesAbsurdCounts) {
  struct Case {
    const char *what;
    SavegameLayout layout;
  };
  auto blocks = [](uint32_t first) {
    SavegameLayout layout;
    layout.blockSizes = {first, 0, 0, 0, 0};
    layout.blockContentLimit = 16;
    return layout;
  };
  auto count = [](int32_t n) {
    SavegameLayout layout;
    layout.overrideRecordCount = true;
    layout.recordCount = n;
    return layout;
  };
  std::vector<Case> cases = {
      {"negative block count", blocks(0x80000000u)},
      {"block count of -1", blocks(0xffffffffu)},
      {"block count past the end of the file", blocks(100000)},
      {"negative record count", count(-1)},
      {"most negative record count", count(std::numeric_limits<int32_t>::min())},
      {"record count one beyond the table", count(3)},
      {"record count whose table would not fit in memory", count(std::numeric_limits<int32_t>::max())},
  };
  loadReference();
  for (Case &c : cases) {
    SCOPED_TRACE(c.what);
    expectRefused(makeSavegame({pickup(154, 9, 9, 9), pickup(127, 9, 9, 9)}, c.layout));
  }
}

TEST_F(SavegameTest, IgnoresWhateverFollowsTheTable) {
  std::vector<unsigned char> bytes = makeSavegame({pickup(154, 1, 2, 3)});
  std::vector<unsigned char> trailer = makeSavegame({pickup(154, 4, 5, 6)});
  bytes.insert(bytes.end(), trailer.begin(), trailer.end());
  Parsed parsed(bytes);
  ASSERT_EQ(parsed.markers.packageCount, 1);
  expectMarker(parsed.markers.packages[0], 1, 2, 3);
}

}  // namespace
