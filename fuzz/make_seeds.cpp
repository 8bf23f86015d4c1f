// fuzz-seeds FOLDER: writes the fuzzers' seed corpus, made by the project's
// own writers: FOLDER/savegame/ holds saves of assorted layouts (empty table,
// full lists, surplus markers, odd block sizes, a cut-off table) and
// FOLDER/bmp/ small pictures in every storage the loader reads (both header
// forms, with and without the file header, top-down, bit fields, RLE with
// every escape), so that fuzzing starts from each path of both readers.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "map_picture.h"
#include "image/bmp_writer.h"
#include "support/savegame_writer.h"

namespace {

std::string folder;
int written = 0;

void seed(const std::string &kind, const std::string &name, const std::vector<unsigned char> &bytes) {
  writeBytes(folder + "/" + kind + "/" + name, bytes);
  ++written;
}

void writeSaveSeeds() {
  seed("savegame", "empty-table", makeSavegame({}));
  seed("savegame", "three", makeSavegame({pickup(154, 1, 2, 3), pickup(127, 4, 5, 6), pickup(9, 7, 8, 9)}));
  std::vector<PickupRecord> many;
  for (int i = 0; i < 110; ++i) many.push_back(pickup(154, i * 10.0f, -i * 10.0f, i % 20));
  for (int i = 0; i < 40; ++i) many.push_back(pickup(127, i * 5.0f, i * 7.0f, 0));
  seed("savegame", "surplus", makeSavegame(many));
  std::vector<PickupRecord> mixed;
  const unsigned char kinds[] = {0, 126, 127, 128, 153, 154, 155, 255};
  for (int i = 0; i < 16; ++i) mixed.push_back(pickup(kinds[i % 8], NAN, INFINITY, -0.0f));
  SavegameLayout blocks;
  blocks.blockSizes = {1, 17, 0, 88, 3};
  seed("savegame", "blocks", makeSavegame(mixed, blocks));
  std::vector<unsigned char> cut = makeSavegame({pickup(154, 1, 2, 3), pickup(127, 4, 5, 6)});
  cut.resize(cut.size() - 40);
  seed("savegame", "cut-table", cut);
  SavegameLayout huge;
  huge.overrideRecordCount = true;
  huge.recordCount = 0x7FFFFFFF;
  seed("savegame", "huge-count", makeSavegame({pickup(154, 1, 2, 3)}, huge));
}

BmpLayout picture(int width, int height, uint16_t bitCount, const std::vector<uint32_t> &palette) {
  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bitCount = bitCount;
  layout.palette = palette;
  int rows = height < 0 ? -height : height;
  std::vector<uint32_t> values;
  for (int i = 0; i < width * rows; ++i) {
    values.push_back(bitCount >= 16 ? i * 0x10305u : static_cast<uint32_t>(i) % palette.size());
  }
  layout.pixels = packPixelRows(width, rows, bitCount, values);
  return layout;
}

void writeBmpSeeds() {
  const std::vector<uint32_t> two = {0x000000, 0xFFFFFF};
  std::vector<uint32_t> sixteen, full;
  for (uint32_t i = 0; i < 256; ++i) (i < 16 ? sixteen : full).push_back(i * 0x0F0B07u);
  full.insert(full.begin(), sixteen.begin(), sixteen.end());
  const int widths[] = {3, 5};
  for (int width : widths) {
    std::string w = std::to_string(width);
    seed("bmp", "rgb24-" + w, makeBmp(picture(width, 3, 24, {})));
    seed("bmp", "rgb32-" + w, makeBmp(picture(width, 3, 32, {})));
    seed("bmp", "rgb16-" + w, makeBmp(picture(width, 3, 16, {})));
    seed("bmp", "index8-" + w, makeBmp(picture(width, 3, 8, full)));
    seed("bmp", "index4-" + w, makeBmp(picture(width, 3, 4, sixteen)));
    seed("bmp", "index1-" + w, makeBmp(picture(width, 3, 1, two)));
  }
  BmpLayout layout = picture(4, -3, 24, {});
  seed("bmp", "top-down", makeBmp(layout));
  layout = picture(6, 2, 8, sixteen);
  layout.clrUsed = 16;
  layout.fileHeader = false;
  seed("bmp", "headerless-8", makeBmp(layout));
  layout.fileHeader = true;
  layout.gap = 6;
  seed("bmp", "gap-8", makeBmp(layout));
  layout = picture(5, 2, 4, sixteen);
  layout.coreHeader = true;
  seed("bmp", "core-4", makeBmp(layout));
  layout.fileHeader = false;
  seed("bmp", "core-4-headerless", makeBmp(layout));
  layout = picture(3, 2, 24, {});
  layout.coreHeader = true;
  seed("bmp", "core-24", makeBmp(layout));
  layout = picture(4, 2, 16, {});
  layout.compression = 3;
  layout.masks = {0xF800, 0x07E0, 0x001F};
  seed("bmp", "bitfields-565", makeBmp(layout));
  layout = picture(4, 2, 32, {});
  layout.compression = 3;
  layout.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
  seed("bmp", "bitfields-101010", makeBmp(layout));

  // RLE streams with every escape: runs, literals (odd and even length),
  // a delta, end of line and end of picture.
  layout = BmpLayout{};
  layout.width = 8;
  layout.height = 4;
  layout.bitCount = 8;
  layout.compression = 1;
  layout.palette = sixteen;
  layout.pixels = {3, 1, 0, 3, 4, 5, 6, 0, 0, 0, 0, 2, 2, 1, 2, 7, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1};
  seed("bmp", "rle8-escapes", makeBmp(layout));
  layout.bitCount = 4;
  layout.compression = 2;
  layout.pixels = {5, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 2, 1, 1, 2, 0x77, 0, 0, 0, 4, 0x12, 0x34, 0, 1};
  seed("bmp", "rle4-escapes", makeBmp(layout));

  // Small map pictures, whose RLE streams have the runs and single pixels of
  // real maps.
  for (const MapFormatInfo &info : mapFormats()) {
    seed("bmp", std::string("map-") + info.name, makeMapBmp(info.format, 24, mapIndicesFor(info.format, 24)));
  }
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz-seeds FOLDER\n");
    return 2;
  }
  folder = argv[1];
  for (const char *kind : {"", "/savegame", "/bmp"}) mkdir((folder + kind).c_str(), 0777);
  writeSaveSeeds();
  writeBmpSeeds();
  std::printf("%d seeds in %s\n", written, folder.c_str());
  return 0;
}
