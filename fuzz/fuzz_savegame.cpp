// libFuzzer target for the savegame reader: any bytes as the savegame named
// in viewerState.saveFileName, read by loadSavegame as the open dialog calls
// it. Beside the sanitizers it checks the reader's promises against a plain
// reading of the same bytes: a save whose layout fits inside the file gives
// exactly its first 100 packages and 35 rampages and no box; any other file
// gives one box and leaves the previous lists and counts untouched.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/viewer_state.h"
#include "fuzz_file.h"
#include "platform/headless/headless.h"
#include "save/savegame.h"

namespace {

FuzzFile *input;

int32_t readInt32(const uint8_t *p) {
  uint32_t raw = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  int32_t value;
  std::memcpy(&value, &raw, 4);
  return value;
}

// Where the pickup table starts and how many records it has, or false when
// the layout does not fit in the bytes.
bool locateTable(const uint8_t *data, size_t size, size_t *table, int64_t *records) {
  size_t at = 232;
  if (size < at) return false;
  for (int block = 0; block < 5; ++block) {
    if (size - at < 4) return false;
    int32_t length = readInt32(data + at);
    at += 4;
    if (length < 0 || static_cast<size_t>(length) > size - at) return false;
    at += static_cast<size_t>(length);
  }
  if (size - at < 12) return false;
  int32_t count = readInt32(data + at + 8);
  at += 12;
  if (count < 0 || static_cast<uint64_t>(count) * 88 > size - at) return false;
  *table = at;
  *records = count;
  return true;
}

bool sameMarker(const PickupMarker &marker, const uint8_t *record) {
  return std::memcmp(&marker.x, record + 6, 4) == 0 && std::memcmp(&marker.y, record + 10, 4) == 0 &&
         std::memcmp(&marker.z, record + 14, 4) == 0;
}

// Lists that a previous save left behind: one package and one rampage.
void loadPreviousSave() {
  resetViewerState();
  viewerState.packages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * PACKAGE_CAPACITY));
  viewerState.rampages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * RAMPAGE_CAPACITY));
  viewerState.packages[0] = PickupMarker{1, 2, 3};
  viewerState.rampages[0] = PickupMarker{4, 5, 6};
  viewerState.packageCount = 1;
  viewerState.rampageCount = 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  input = new FuzzFile;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  input->write(data, size);
  loadPreviousSave();
  PickupMarker *previousPackages = viewerState.packages;
  PickupMarker *previousRampages = viewerState.rampages;
  std::snprintf(viewerState.saveFileName, sizeof viewerState.saveFileName, "%s", input->path());
  headlessClearMessageBoxes();

  loadSavegame();

  size_t table = 0;
  int64_t records = 0;
  const auto &boxes = headlessMessageBoxes();
  if (locateTable(data, size, &table, &records)) {
    fuzzCheck(boxes.empty(), "a save that fits its file was refused");
    int32_t packages = 0;
    int32_t rampages = 0;
    for (int64_t i = 0; i < records; ++i) {
      const uint8_t *record = data + table + i * 88;
      if (record[0] == PICKUP_KIND_PACKAGE && packages < PACKAGE_CAPACITY) {
        fuzzCheck(sameMarker(viewerState.packages[packages++], record), "package differs from its record");
      } else if (record[0] == PICKUP_KIND_RAMPAGE && rampages < RAMPAGE_CAPACITY) {
        fuzzCheck(sameMarker(viewerState.rampages[rampages++], record), "rampage differs from its record");
      }
    }
    fuzzCheck(viewerState.packageCount == packages, "package count");
    fuzzCheck(viewerState.rampageCount == rampages, "rampage count");
  } else {
    fuzzCheck(boxes.size() == 1, "a damaged save did not give exactly one box");
    fuzzCheck(boxes[0].caption == "KZR Package Viewer", "box caption");
    fuzzCheck(viewerState.packages == previousPackages && viewerState.rampages == previousRampages &&
                  viewerState.packageCount == 1 && viewerState.rampageCount == 1 &&
                  viewerState.packages[0].z == 3 && viewerState.rampages[0].x == 4,
              "a refused save changed the lists");
  }
  resetViewerState();
  return 0;
}
