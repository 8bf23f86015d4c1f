// Reading a 1 MB savegame through loadSavegame beside reading the same file
// into memory with one fread: the reader's cost over the file read itself.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "bench_table.h"
#include "save/savegame.h"
#include "support/savegame_writer.h"

namespace {

constexpr size_t SAVE_BYTES = 1 << 20;

// 100 packages and 35 rampages spread among pickups of other kinds, after
// five skipped blocks of assorted sizes, filling the file to about 1 MB.
std::vector<unsigned char> makeLargeSave() {
  SavegameLayout layout;
  layout.blockSizes = {2400, 16000, 640, 96, 9000};
  size_t records = (SAVE_BYTES - pickupTableOffset(layout)) / 88;
  const unsigned char otherKinds[] = {0, 3, 17, 64, 126, 128, 153, 155, 200, 255};
  std::vector<PickupRecord> pickups;
  for (size_t i = 0; i < records; ++i) {
    unsigned char kind = otherKinds[i % 10];
    if (i % 80 == 7 && i / 80 < 100) kind = PICKUP_KIND_PACKAGE;
    if (i % 80 == 41 && i / 80 < 35) kind = PICKUP_KIND_RAMPAGE;
    float x = static_cast<float>(i % 4000) - 2000.0f;
    pickups.push_back(pickup(kind, x, -x * 0.5f, static_cast<float>(i % 23)));
  }
  return makeSavegame(pickups, layout);
}

void readWithLoader(benchmark::State &state, const std::string &path, size_t size) {
  std::snprintf(viewerState.saveFileName, sizeof viewerState.saveFileName, "%s", path.c_str());
  for (auto _ : state) {
    loadSavegame();
    if (viewerState.packageCount != PACKAGE_CAPACITY || viewerState.rampageCount != RAMPAGE_CAPACITY) {
      state.SkipWithError("loadSavegame did not read the save");
      break;
    }
    benchmark::DoNotOptimize(viewerState.packages);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  resetViewerState();
}

// The bound: open, one fread of the whole file into a fresh buffer, close.
void readWithFread(benchmark::State &state, const std::string &path, size_t size) {
  for (auto _ : state) {
    FILE *file = std::fopen(path.c_str(), "rb");
    unsigned char *buffer = static_cast<unsigned char *>(std::malloc(size));
    if (!file || !buffer || std::fread(buffer, 1, size, file) != size) {
      state.SkipWithError("reading the save failed");
      if (file) std::fclose(file);
      std::free(buffer);
      break;
    }
    benchmark::DoNotOptimize(buffer);
    std::fclose(file);
    std::free(buffer);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

}  // namespace

void registerSavegameBenchmarks() {
  std::vector<unsigned char> save = makeLargeSave();
  std::string path = benchTemporaryPath("save-1mb.b");
  writeBytes(path, save);
  TableRow row;
  row.label = "loadSavegame 1 MB";
  row.subject = "savegame/loadSavegame";
  row.reference = "savegame/fread";
  row.bytes = static_cast<double>(save.size());
  row.goal = 1 / 1.5;
  benchmark::RegisterBenchmark(row.subject.c_str(), readWithLoader, path, save.size())
      ->Unit(benchmark::kMicrosecond)->UseRealTime();
  benchmark::RegisterBenchmark(row.reference.c_str(), readWithFread, path, save.size())
      ->Unit(benchmark::kMicrosecond)->UseRealTime();
  addTableRow(row);
}
