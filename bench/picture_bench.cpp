// Loading 4096 x 4096 map pictures in every storage the loader reads (RLE
// ones of the detailed map), beside stb_image decoding the same file and
// beside the bound of any loader that returns a fresh block: allocating a
// block of the picture's size, advised to use huge pages as the loader
// advises its own, and copying as many bytes into it (also on plain pages). Each loader result is checked against the picture
// drawn before it is timed; stb_image's is compared too, and a difference
// noted.
#include <benchmark/benchmark.h>
#include <stb/stb_image.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench_table.h"
#include "image/dib_loader.h"
#include "map_picture.h"
#include "support/savegame_writer.h"

namespace {

constexpr int MAP_SIDE = 4096;

[[noreturn]] void fail(const std::string &what) {
  std::fprintf(stderr, "picture benchmarks: %s\n", what.c_str());
  std::exit(1);
}

void checkLoader(const std::string &path, const std::vector<unsigned char> &expected) {
  ImageRecord *image = loadDibFile(path.c_str());
  if (!image) fail("loadDibFile refused " + path);
  bool same = image->width == MAP_SIDE && image->height == MAP_SIDE &&
              std::memcmp(image->pixels, expected.data(), expected.size()) == 0;
  releaseImageRecord(image);
  if (!same) fail("loadDibFile gave a different picture for " + path);
}

// stb_image returns the top row first; true when it decodes the file to the
// same picture (a peer that decodes differently is still timed, but noted).
bool stbAgrees(const std::string &path, const std::vector<unsigned char> &expected) {
  int width = 0, height = 0, channels = 0;
  unsigned char *pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
  if (!pixels) return false;
  bool same = width == MAP_SIDE && height == MAP_SIDE;
  size_t rowBytes = static_cast<size_t>(MAP_SIDE) * 3;
  for (int row = 0; same && row < MAP_SIDE; ++row) {
    same = std::memcmp(pixels + (MAP_SIDE - 1 - row) * rowBytes, expected.data() + row * rowBytes,
                       rowBytes) == 0;
  }
  stbi_image_free(pixels);
  return same;
}

bool stbReads(MapFormat format) { return format != MapFormat::RLE8 && format != MapFormat::RLE4; }

// The picture file of one storage, written (and its loaded result checked)
// the first time a benchmark needs it, so that a filtered run draws only the
// pictures it times.
const std::string &mapFile(MapFormat format) {
  static std::map<MapFormat, std::string> files;
  auto found = files.find(format);
  if (found != files.end()) return found->second;
  std::vector<uint8_t> indices = mapIndicesFor(format, MAP_SIDE);
  const char *name = "";
  for (const MapFormatInfo &info : mapFormats()) {
    if (info.format == format) name = info.name;
  }
  std::string path = benchTemporaryPath(std::string("map-") + name + ".bmp");
  writeBytes(path, makeMapBmp(format, MAP_SIDE, indices));
  std::vector<unsigned char> expected = expectedMapRgb(format, indices);
  checkLoader(path, expected);
  if (stbReads(format) && !stbAgrees(path, expected)) {
    std::fprintf(stderr, "note: stb_image decodes the %s map differently\n", name);
  }
  return files[format] = path;
}

void loadWithLoader(benchmark::State &state, MapFormat format, size_t outputBytes) {
  const std::string &path = mapFile(format);
  for (auto _ : state) {
    ImageRecord *image = loadDibFile(path.c_str());
    if (!image) {
      state.SkipWithError("loadDibFile failed");
      break;
    }
    benchmark::DoNotOptimize(image->pixels);
    state.PauseTiming();
    releaseImageRecord(image);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * outputBytes));
}

void loadWithStb(benchmark::State &state, MapFormat format, size_t outputBytes) {
  const std::string &path = mapFile(format);
  for (auto _ : state) {
    int width, height, channels;
    unsigned char *pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (!pixels) {
      state.SkipWithError("stb_image failed");
      break;
    }
    benchmark::DoNotOptimize(pixels);
    state.PauseTiming();
    stbi_image_free(pixels);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * outputBytes));
}

// The bound: a fresh block from malloc, filled by memcpy from a block that is
// already in memory. Freeing the result is left out of every timing here.
void copyIntoFreshBlock(benchmark::State &state, size_t outputBytes) {
  std::vector<unsigned char> source(outputBytes, 0x5A);
  for (auto _ : state) {
    unsigned char *block = static_cast<unsigned char *>(std::malloc(outputBytes));
    if (!block) {
      state.SkipWithError("malloc failed");
      break;
    }
    std::memcpy(block, source.data(), outputBytes);
    benchmark::DoNotOptimize(block);
    benchmark::ClobberMemory();
    state.PauseTiming();
    std::free(block);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * outputBytes));
}

// The same with the kernel advised to back the block with huge pages (where
// it can: the 2 MB-aligned part of the block), which spares most page faults.
void copyIntoAdvisedBlock(benchmark::State &state, size_t outputBytes) {
  std::vector<unsigned char> source(outputBytes, 0x5A);
  for (auto _ : state) {
    unsigned char *block = static_cast<unsigned char *>(std::malloc(outputBytes));
    if (!block) {
      state.SkipWithError("malloc failed");
      break;
    }
    const uintptr_t huge = uintptr_t{2} << 20;
    uintptr_t start = (reinterpret_cast<uintptr_t>(block) + huge - 1) & ~(huge - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(block) + outputBytes) & ~(huge - 1);
    if (end > start) madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
    std::memcpy(block, source.data(), outputBytes);
    benchmark::DoNotOptimize(block);
    benchmark::ClobberMemory();
    state.PauseTiming();
    std::free(block);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * outputBytes));
}

constexpr const char *HUGE_PAGE_COPY = "picture/huge-pages/malloc+madvise+memcpy";

}  // namespace

void registerPictureBenchmarks() {
  const size_t outputBytes = static_cast<size_t>(MAP_SIDE) * MAP_SIDE * 3;
  for (const MapFormatInfo &info : mapFormats()) {
    std::string prefix = std::string("picture/") + info.name + "/";
    TableRow row;
    row.label = std::string("loadDibFile ") + info.name;
    row.subject = prefix + "loadDibFile";
    // The loader advises its block for huge pages, so the copy into such a
    // block is its in-process bound. The goals are set against the
    // whole-process floor (scripts/bench), not here.
    row.reference = HUGE_PAGE_COPY;
    row.second = prefix + "malloc+memcpy";
    row.bytes = static_cast<double>(outputBytes);
    benchmark::RegisterBenchmark(row.subject.c_str(), loadWithLoader, info.format, outputBytes)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
    // stb_image reads no RLE pictures.
    if (stbReads(info.format)) {
      row.peer = prefix + "stb_image";
      benchmark::RegisterBenchmark(row.peer.c_str(), loadWithStb, info.format, outputBytes)
          ->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::RegisterBenchmark(row.second.c_str(), copyIntoFreshBlock, outputBytes)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
    addTableRow(row);
  }
  // What huge pages give the bound itself, beside the last plain copy.
  TableRow huge;
  huge.label = "copy, huge pages advised";
  huge.subject = HUGE_PAGE_COPY;
  huge.reference = std::string("picture/") + mapFormats().back().name + "/malloc+memcpy";
  huge.bytes = static_cast<double>(outputBytes);
  benchmark::RegisterBenchmark(huge.subject.c_str(), copyIntoAdvisedBlock, outputBytes)
      ->Unit(benchmark::kMillisecond)->UseRealTime();
  addTableRow(huge);
}
