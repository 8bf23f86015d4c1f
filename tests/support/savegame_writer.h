// Builds savegame bytes for tests, fuzz seeds and benchmarks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PickupRecord {
  unsigned char kind;
  uint32_t xBits;
  uint32_t yBits;
  uint32_t zBits;
};

// The bits of a float, read from where it is stored: on 32-bit x86 a float
// passed by value may travel through the x87 unit, which quiets a signalling
// NaN.
uint32_t floatBits(const float &value);
PickupRecord pickup(unsigned char kind, float x, float y, float z);

struct SavegameLayout {
  std::array<uint32_t, 5> blockSizes{};  // byte counts of the five skipped blocks
  size_t blockContentLimit = SIZE_MAX;   // content bytes actually written per block (to fake huge counts)
  bool overrideRecordCount = false;      // write recordCount instead of the real count
  int32_t recordCount = 0;
};

// A save that holds the given pickups in its table, in order. Skipped bytes
// and unused record bytes are filled with a varying pattern, so that a reader
// that looks in the wrong place sees garbage rather than zeros.
std::vector<unsigned char> makeSavegame(const std::vector<PickupRecord> &pickups,
                                        const SavegameLayout &layout = SavegameLayout{});

// Offset of the first pickup record in a save built with the given layout.
size_t pickupTableOffset(const SavegameLayout &layout = SavegameLayout{});

void writeBytes(const std::string &path, const std::vector<unsigned char> &bytes);

// The whole of a file; empty when it cannot be read.
std::vector<unsigned char> readBytes(const std::string &path);

// Writes the save makeSavegame would build, except that each skipped block's
// content is left as a hole (zero bytes, sparse where the file system allows),
// and the file is made at least minimumLength bytes long with a hole at its
// end. Saves of several GiB then cost next to no disk space or time.
void writeSparseSavegame(const std::string &path, const std::vector<PickupRecord> &pickups,
                         const SavegameLayout &layout, uint64_t minimumLength = 0);

// A fresh path under the test's temporary folder (not created).
std::string temporaryPath(const std::string &name);
