// libFuzzer target for the savegame reader: any bytes parsed in memory by
// parseSavegame, then read again as the savegame named in
// viewerState.saveFileName by loadSavegame, as the open dialog calls it.
// Beside the sanitizers it checks the reader's promises against a plain
// reading of the same bytes: a save whose layout fits inside the file gives
// exactly its first 100 packages and 35 rampages, from memory and from the
// file, and no box; any other gives SAVEGAME_DAMAGED from memory, and from the
// file one box that leaves the previous lists and counts untouched.
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

// Whether the lists hold exactly the table's first packages and rampages.
bool sameAsTable(const uint8_t *table, int64_t records, const PickupMarker *packages, int32_t packageCount,
                 const PickupMarker *rampages, int32_t rampageCount) {
  int32_t wantPackages = 0;
  int32_t wantRampages = 0;
  for (int64_t i = 0; i < records; ++i) {
    const uint8_t *record = table + i * 88;
    if (record[0] == PICKUP_KIND_PACKAGE && wantPackages < PACKAGE_CAPACITY) {
      if (wantPackages >= packageCount || !sameMarker(packages[wantPackages], record)) return false;
      ++wantPackages;
    } else if (record[0] == PICKUP_KIND_RAMPAGE && wantRampages < RAMPAGE_CAPACITY) {
      if (wantRampages >= rampageCount || !sameMarker(rampages[wantRampages], record)) return false;
      ++wantRampages;
    }
  }
  return packageCount == wantPackages && rampageCount == wantRampages;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  size_t table = 0;
  int64_t records = 0;
  const bool fits = locateTable(data, size, &table, &records);

  SavegameMarkers parsed;
  const SavegameStatus status = parseSavegame(data, size, &parsed);
  if (fits) {
    fuzzCheck(status == SAVEGAME_READ, "a save that fits its bytes was refused");
    fuzzCheck(sameAsTable(data + table, records, parsed.packages, parsed.packageCount, parsed.rampages,
                          parsed.rampageCount),
              "the parsed lists differ from the table");
    std::free(parsed.packages);
    std::free(parsed.rampages);
  } else {
    fuzzCheck(status == SAVEGAME_DAMAGED, "damaged bytes were not refused as damaged");
  }

  input->write(data, size);
  loadPreviousSave();
  PickupMarker *previousPackages = viewerState.packages;
  PickupMarker *previousRampages = viewerState.rampages;
  std::snprintf(viewerState.saveFileName, sizeof viewerState.saveFileName, "%s", input->path());
  headlessClearMessageBoxes();
  const bool loaded = loadSavegame();

  const auto &boxes = headlessMessageBoxes();
  if (fits) {
    fuzzCheck(loaded && boxes.empty(), "a save that fits its file was refused");
    fuzzCheck(sameAsTable(data + table, records, viewerState.packages, viewerState.packageCount,
                          viewerState.rampages, viewerState.rampageCount),
              "the loaded lists differ from the table");
  } else {
    fuzzCheck(!loaded && boxes.size() == 1, "a damaged save did not give exactly one box");
    fuzzCheck(boxes[0].caption == "KZR Package Viewer", "box caption");
    fuzzCheck(viewerState.packages == previousPackages && viewerState.rampages == previousRampages &&
                  viewerState.packageCount == 1 && viewerState.rampageCount == 1 &&
                  viewerState.packages[0].z == 3 && viewerState.rampages[0].x == 4,
              "a refused save changed the lists");
  }
  resetViewerState();
  return 0;
}
