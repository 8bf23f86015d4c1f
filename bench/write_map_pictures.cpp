// write-map-pictures FOLDER [SIDE]: writes the benchmarks' map picture in
// every storage (map-24-bit.bmp, ..., map-RLE4.bmp; SIDE x SIDE, 4096 by
// default; the RLE ones of the detailed map) into FOLDER, for timing the
// loader from outside with bmp-load-time and for measuring its heap.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "map_picture.h"
#include "support/savegame_writer.h"

int main(int argc, char **argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: write-map-pictures FOLDER [SIDE]\n");
    return 2;
  }
  int side = argc == 3 ? std::atoi(argv[2]) : 4096;
  if (side < 1 || side > 16384) {
    std::fprintf(stderr, "write-map-pictures: SIDE must be 1 to 16384\n");
    return 2;
  }
  for (const MapFormatInfo &info : mapFormats()) {
    std::string path = std::string(argv[1]) + "/map-" + info.name + ".bmp";
    writeBytes(path, makeMapBmp(info.format, side, mapIndicesFor(info.format, side)));
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
