// Map-like test pictures for the loader benchmarks: land regions with wavy
// borders, roads at several angles and a grid, so that runs of one colour are
// as long (and as often broken) as on a real map, in every BMP storage the
// loader reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class MapFormat { RGB24, RGB32, RGB16, INDEXED8, INDEXED4, INDEXED1, RLE8, RLE4 };

struct MapFormatInfo {
  MapFormat format;
  const char *name;  // short label used in benchmark names and file names
};

// Every format, in the order the benchmarks report them.
const std::vector<MapFormatInfo> &mapFormats();

// The palette index (0 to 15) of every pixel of a side x side map, bottom row
// first.
std::vector<uint8_t> makeMapIndices(int side);

// The same map with its land broken into fields of 3 to 24 pixels a row and
// short stretches of single pixels (about 6% of all), as a detailed map is
// drawn: what RLE pictures of real maps are like (runs of about 12 pixels,
// RLE8 about a quarter of the raw size). The RLE benchmarks use it.
std::vector<uint8_t> makeDetailedMapIndices(int side);

// The map a benchmark of the given storage uses: the detailed one for RLE.
std::vector<uint8_t> mapIndicesFor(MapFormat format, int side);

// The whole BMP file (with file header and info header) of the map in the
// given storage.
std::vector<unsigned char> makeMapBmp(MapFormat format, int side, const std::vector<uint8_t> &indices);

// The picture the loader should return for a map file: packed red, green,
// blue rows, bottom row first (1-bit maps keep only the lowest index bit,
// 16-bit maps keep 5 bits a channel, widened as the loader widens them).
std::vector<unsigned char> expectedMapRgb(MapFormat format, const std::vector<uint8_t> &indices);
