// Savegame bytes for tests.
#include "support/savegame_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>

namespace {

void putLe32(std::vector<unsigned char> &out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void putPattern(std::vector<unsigned char> &out, size_t count, unsigned seed) {
  for (size_t i = 0; i < count; ++i) out.push_back(static_cast<unsigned char>((i * 37 + seed) & 0xff));
}

}  // namespace

uint32_t floatBits(const float &value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

PickupRecord pickup(unsigned char kind, float x, float y, float z) {
  return PickupRecord{kind, floatBits(x), floatBits(y), floatBits(z)};
}

size_t pickupTableOffset(const SavegameLayout &layout) {
  size_t offset = 232 + 5 * 4 + 3 * 4;
  for (uint32_t size : layout.blockSizes) offset += size;
  return offset;
}

std::vector<unsigned char> makeSavegame(const std::vector<PickupRecord> &pickups, const SavegameLayout &layout) {
  std::vector<unsigned char> out;
  putPattern(out, 232, 11);
  for (size_t block = 0; block < layout.blockSizes.size(); ++block) {
    putLe32(out, layout.blockSizes[block]);
    // A block's content is made to look like a record of kind 154, so that a
    // reader that does not skip it would pick up a false package.
    std::vector<unsigned char> content;
    putPattern(content, std::min<size_t>(layout.blockSizes[block], layout.blockContentLimit), static_cast<unsigned>(block));
    for (size_t i = 0; i < content.size(); i += 88) content[i] = 154;
    out.insert(out.end(), content.begin(), content.end());
  }
  putLe32(out, 0xDEADBEEF);
  putLe32(out, 0x0BADF00D);
  putLe32(out, layout.overrideRecordCount ? static_cast<uint32_t>(layout.recordCount)
                                          : static_cast<uint32_t>(pickups.size()));
  for (size_t i = 0; i < pickups.size(); ++i) {
    const PickupRecord &p = pickups[i];
    std::vector<unsigned char> record;
    putPattern(record, 88, static_cast<unsigned>(i * 5 + 3));
    record[0] = p.kind;
    std::memcpy(&record[6], &p.xBits, 4);
    std::memcpy(&record[10], &p.yBits, 4);
    std::memcpy(&record[14], &p.zBits, 4);
    out.insert(out.end(), record.begin(), record.end());
  }
  return out;
}

void writeBytes(const std::string &path, const std::vector<unsigned char> &bytes) {
  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::fclose(file);
    throw std::runtime_error("short write to " + path);
  }
  std::fclose(file);
}

std::vector<unsigned char> readBytes(const std::string &path) {
  std::vector<unsigned char> bytes;
  FILE *file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  unsigned char block[65536];
  for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) bytes.insert(bytes.end(), block, block + got);
  std::fclose(file);
  return bytes;
}

namespace {

bool writeAt(FILE *file, uint64_t offset, const unsigned char *bytes, size_t count) {
#ifdef _WIN32
  if (fseeko64(file, static_cast<int64_t>(offset), SEEK_SET) != 0) return false;
#else
  if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
#endif
  return std::fwrite(bytes, 1, count, file) == count;
}

}  // namespace

void writeSparseSavegame(const std::string &path, const std::vector<PickupRecord> &pickups,
                         const SavegameLayout &layout, uint64_t minimumLength) {
  SavegameLayout counted = layout;
  counted.blockContentLimit = 0;
  const std::vector<unsigned char> bytes = makeSavegame(pickups, counted);
  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  // The bytes up to and including each block's count, then from the last
  // count on; each piece lies behind the content of the blocks before it.
  const size_t ends[] = {236, 240, 244, 248, 252, bytes.size()};
  bool written = true;
  uint64_t skipped = 0;
  size_t from = 0;
  for (size_t piece = 0; piece < 6; ++piece) {
    written = written && writeAt(file, from + skipped, bytes.data() + from, ends[piece] - from);
    if (piece < 5) skipped += layout.blockSizes[piece];
    from = ends[piece];
  }
  const unsigned char zero = 0;
  if (minimumLength > bytes.size() + skipped) written = written && writeAt(file, minimumLength - 1, &zero, 1);
  if (std::fclose(file) != 0 || !written) throw std::runtime_error("short write to " + path);
}

std::string temporaryPath(const std::string &name) {
  const char *base = std::getenv("TMPDIR");
  std::string folder = base && *base ? base : "/tmp";
#ifdef __EMSCRIPTEN__
  // Every WebAssembly program has process number 42: a number drawn once per
  // program keeps the files of tests that run side by side apart.
  static const std::string process = "42." + std::to_string(std::random_device{}());
#else
  static const std::string process = std::to_string(getpid());
#endif
  return folder + "/viewer-test-" + process + "-" + name;
}
