// Map-like test pictures; see map_picture.h.
#include "map_picture.h"

#include <cmath>
#include <stdexcept>

#include "image/bmp_writer.h"

namespace {

// Sixteen map colours as 5-bit channels, so that the 16-bit picture holds
// exactly the colours of the others.
struct Colour5 {
  uint8_t red, green, blue;
};
const Colour5 MAP_COLOURS[16] = {
    {3, 8, 20},   {6, 14, 24},  {10, 20, 8},  {5, 14, 5},   {27, 25, 16}, {18, 18, 18},
    {14, 13, 12}, {12, 24, 10}, {29, 27, 20}, {16, 14, 12}, {24, 24, 24}, {30, 28, 10},
    {8, 8, 8},    {31, 31, 31}, {20, 6, 6},   {25, 10, 25}};

constexpr uint8_t ROAD = 10;
constexpr uint8_t MAJOR_ROAD = 11;
constexpr uint8_t RAIL = 12;
constexpr uint8_t GRID = 13;

uint8_t widen5(uint8_t value) { return static_cast<uint8_t>((value * 255 + 15) / 31); }

uint32_t rgb24(uint8_t index) {
  const Colour5 &c = MAP_COLOURS[index & 15];
  return (static_cast<uint32_t>(widen5(c.red)) << 16) | (widen5(c.green) << 8) | widen5(c.blue);
}

uint32_t rgb555(uint8_t index) {
  const Colour5 &c = MAP_COLOURS[index & 15];
  return (static_cast<uint32_t>(c.red) << 10) | (c.green << 5) | c.blue;
}

uint32_t hashCell(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}

// A straight road: the points where |a x + b y + c| < halfWidth.
struct Road {
  float a, b, c, halfWidth;
  uint8_t index;
};

// Run-length coding of one row of palette indices, as a BMP encoder writes
// it: runs of three or more pixels as one code, the rest as literal groups
// (single pixels where a group would be shorter than three).
class RleWriter {
 public:
  RleWriter(bool four, std::vector<unsigned char> *out) : four_(four), out_(out) {}

  void row(const uint8_t *pixels, int width) {
    int i = 0;
    while (i < width) {
      int run = runAt(pixels, i, width);
      if (run >= 3) {
        code(static_cast<unsigned>(run), pixels[i]);
        i += run;
        continue;
      }
      int end = i;
      while (end < width && end - i < 255) {
        int next = runAt(pixels, end, width);
        if (next >= 3) break;
        end += next;
        if (end - i > 255) end = i + 255;
      }
      literal(pixels + i, end - i);
      i = end;
    }
    out_->push_back(0);
    out_->push_back(0);
  }

  void end() {
    out_->push_back(0);
    out_->push_back(1);
  }

 private:
  static int runAt(const uint8_t *pixels, int i, int width) {
    int run = 1;
    while (i + run < width && run < 255 && pixels[i + run] == pixels[i]) ++run;
    return run;
  }

  void code(unsigned count, uint8_t index) {
    out_->push_back(static_cast<unsigned char>(count));
    out_->push_back(static_cast<unsigned char>(four_ ? (index << 4) | index : index));
  }

  void literal(const uint8_t *pixels, int count) {
    if (count < 3) {
      for (int k = 0; k < count; ++k) code(1, pixels[k]);
      return;
    }
    out_->push_back(0);
    out_->push_back(static_cast<unsigned char>(count));
    size_t bytes = 0;
    if (four_) {
      for (int k = 0; k < count; k += 2, ++bytes) {
        unsigned low = k + 1 < count ? pixels[k + 1] : 0;
        out_->push_back(static_cast<unsigned char>((pixels[k] << 4) | low));
      }
    } else {
      out_->insert(out_->end(), pixels, pixels + count);
      bytes = static_cast<size_t>(count);
    }
    if (bytes & 1) out_->push_back(0);
  }

  bool four_;
  std::vector<unsigned char> *out_;
};

std::vector<uint32_t> pixelValues(const std::vector<uint8_t> &indices, uint32_t (*value)(uint8_t)) {
  std::vector<uint32_t> values(indices.size());
  for (size_t i = 0; i < indices.size(); ++i) values[i] = value(indices[i]);
  return values;
}

uint32_t asIndex(uint8_t index) { return index; }
uint32_t asBit(uint8_t index) { return index & 1u; }

}  // namespace

const std::vector<MapFormatInfo> &mapFormats() {
  static const std::vector<MapFormatInfo> formats = {
      {MapFormat::RGB24, "24-bit"}, {MapFormat::RGB32, "32-bit"}, {MapFormat::RGB16, "16-bit"},
      {MapFormat::INDEXED8, "8-bit"}, {MapFormat::INDEXED4, "4-bit"}, {MapFormat::INDEXED1, "1-bit"},
      {MapFormat::RLE8, "RLE8"}, {MapFormat::RLE4, "RLE4"}};
  return formats;
}

std::vector<uint8_t> makeMapIndices(int side) {
  // Region borders wander by up to 55 pixels; regions are about 300 pixels across.
  std::vector<float> shiftX(side), shiftY(side);
  for (int i = 0; i < side; ++i) {
    shiftX[i] = 40.0f * std::sin(i * 0.0123f) + 15.0f * std::sin(i * 0.051f);
    shiftY[i] = 40.0f * std::sin(i * 0.0097f) + 15.0f * std::sin(i * 0.047f);
  }
  const float s = static_cast<float>(side);
  const Road roads[] = {
      {1.0f, 0.0f, -0.31f * s, 3.0f, MAJOR_ROAD},  {0.0f, 1.0f, -0.62f * s, 3.0f, MAJOR_ROAD},
      {0.7071f, 0.7071f, -0.55f * s, 2.0f, ROAD},  {0.7071f, -0.7071f, 0.1f * s, 2.0f, ROAD},
      {0.2588f, 0.9659f, -0.3f * s, 1.5f, ROAD},   {0.9659f, -0.2588f, -0.45f * s, 1.5f, ROAD},
      {0.4472f, 0.8944f, -0.8f * s, 1.0f, RAIL}};
  std::vector<uint8_t> indices(static_cast<size_t>(side) * side);
  for (int y = 0; y < side; ++y) {
    uint8_t *row = &indices[static_cast<size_t>(y) * side];
    for (int x = 0; x < side; ++x) {
      int cellX = static_cast<int>((x + shiftX[y]) / 300.0f + 1.0f);
      int cellY = static_cast<int>((y + shiftY[x]) / 300.0f + 1.0f);
      uint8_t index = static_cast<uint8_t>(hashCell(cellX, cellY) % 10);
      for (const Road &road : roads) {
        if (std::fabs(road.a * x + road.b * y + road.c) < road.halfWidth) index = road.index;
      }
      if (x % 512 == 0 || y % 512 == 0) index = GRID;
      row[x] = index;
    }
  }
  return indices;
}

std::vector<uint8_t> makeDetailedMapIndices(int side) {
  std::vector<uint8_t> indices = makeMapIndices(side);
  for (int y = 0; y < side; ++y) {
    uint8_t *row = &indices[static_cast<size_t>(y) * side];
    int x = 0;
    for (int segment = 0; x < side; ++segment) {
      uint32_t h = hashCell(segment, y);
      if (h % 100 < 10) {
        // A stretch of single pixels: no colour twice in a row.
        int length = 3 + static_cast<int>((h >> 8) % 10);
        for (int k = 0; k < length && x < side; ++k, ++x) row[x] = static_cast<uint8_t>((row[x] + 1 + k % 3) % 14);
      } else {
        // A field: the region's colour or its neighbour in the palette, in turn.
        int length = 3 + static_cast<int>((h >> 8) % 22);
        for (int k = 0; k < length && x < side; ++k, ++x) row[x] = static_cast<uint8_t>(row[x] ^ (segment & 1));
      }
    }
  }
  return indices;
}

std::vector<uint8_t> mapIndicesFor(MapFormat format, int side) {
  bool rle = format == MapFormat::RLE8 || format == MapFormat::RLE4;
  return rle ? makeDetailedMapIndices(side) : makeMapIndices(side);
}

std::vector<unsigned char> makeMapBmp(MapFormat format, int side, const std::vector<uint8_t> &indices) {
  if (indices.size() != static_cast<size_t>(side) * side) throw std::invalid_argument("makeMapBmp: size");
  BmpLayout layout;
  layout.width = side;
  layout.height = side;
  std::vector<uint32_t> palette16;
  for (uint8_t i = 0; i < 16; ++i) palette16.push_back(rgb24(i));
  switch (format) {
    case MapFormat::RGB24:
    case MapFormat::RGB32:
      layout.bitCount = format == MapFormat::RGB24 ? 24 : 32;
      layout.pixels = packPixelRows(side, side, layout.bitCount, pixelValues(indices, rgb24));
      break;
    case MapFormat::RGB16:
      layout.bitCount = 16;
      layout.pixels = packPixelRows(side, side, 16, pixelValues(indices, rgb555));
      break;
    case MapFormat::INDEXED8:
    case MapFormat::RLE8:
      // A full 256-entry table, as 8-bit files carry; the map uses its first 16.
      layout.bitCount = 8;
      layout.palette = palette16;
      for (uint32_t i = 16; i < 256; ++i) layout.palette.push_back(i * 0x010101u);
      break;
    case MapFormat::INDEXED4:
    case MapFormat::RLE4:
      layout.bitCount = 4;
      layout.palette = palette16;
      break;
    case MapFormat::INDEXED1:
      layout.bitCount = 1;
      layout.palette = {rgb24(0), rgb24(1)};
      layout.pixels = packPixelRows(side, side, 1, pixelValues(indices, asBit));
      break;
  }
  if (format == MapFormat::INDEXED8 || format == MapFormat::INDEXED4) {
    layout.pixels = packPixelRows(side, side, layout.bitCount, pixelValues(indices, asIndex));
  }
  if (format == MapFormat::RLE8 || format == MapFormat::RLE4) {
    layout.compression = format == MapFormat::RLE8 ? 1 : 2;
    RleWriter writer(format == MapFormat::RLE4, &layout.pixels);
    for (int y = 0; y < side; ++y) writer.row(&indices[static_cast<size_t>(y) * side], side);
    writer.end();
    layout.sizeImage = static_cast<uint32_t>(layout.pixels.size());
  }
  return makeBmp(layout);
}

std::vector<unsigned char> expectedMapRgb(MapFormat format, const std::vector<uint8_t> &indices) {
  std::vector<unsigned char> rgb(indices.size() * 3);
  for (size_t i = 0; i < indices.size(); ++i) {
    uint32_t colour = rgb24(format == MapFormat::INDEXED1 ? indices[i] & 1 : indices[i]);
    rgb[3 * i] = static_cast<unsigned char>(colour >> 16);
    rgb[3 * i + 1] = static_cast<unsigned char>(colour >> 8);
    rgb[3 * i + 2] = static_cast<unsigned char>(colour);
  }
  return rgb;
}
