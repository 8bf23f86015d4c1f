// The square map made from a picture (see square_map.h), scaled by
// stb_image_resize.
#include "image/square_map.h"

#include <stb_image_resize.h>

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "image/chart_colours.h"

namespace {

// Mitchell's filter where a side shrinks: smooth, with little ringing.
// Catmull-Rom where it grows or keeps its length: it passes through the
// source pixels, so a picture that already has the size comes out unchanged
// (stb_image_resize would otherwise pick Mitchell's, which blurs it).
stbir_filter filterFor(double sourceLength, int32_t length) {
  return sourceLength > length ? STBIR_FILTER_MITCHELL : STBIR_FILTER_CATMULLROM;
}

}  // namespace

SquareCover squareCover(const SquareEdges &edges, int32_t side) {
  auto pixelOf = [&](double at) { return static_cast<int32_t>(std::fmin(std::fmax(std::round(at), 0.0), side)); };
  return {pixelOf(edges.left), pixelOf(edges.top), pixelOf(edges.right), pixelOf(edges.bottom)};
}

bool paintSquareMap(const Picture &picture, const SquareEdges &edges, Canvas *map) {
  for (size_t i = 0; i < map->rgb.size(); i += 3) std::memcpy(&map->rgb[i], CHART_PAPER, 3);
  const SquareCover cover = squareCover(edges, map->width);
  if (cover.empty() || picture.width < 1 || picture.height < 1) return true;
  // The part of the picture (in the scaler's 0..1 picture coordinates) that
  // covers those whole pixels.
  const double width = edges.right - edges.left;
  const double height = edges.bottom - edges.top;
  const float s0 = static_cast<float>((cover.left - edges.left) / width);
  const float s1 = static_cast<float>((cover.right - edges.left) / width);
  const float t0 = static_cast<float>((cover.top - edges.top) / height);
  const float t1 = static_cast<float>((cover.bottom - edges.top) / height);
  const int32_t columns = cover.right - cover.left;
  const int32_t rows = cover.bottom - cover.top;
  std::vector<unsigned char> covered;
  try {
    covered.resize(static_cast<size_t>(columns) * rows * 4);
  } catch (const std::bad_alloc &) {
    return false;
  }
  // Outside the picture its edge pixels repeat, so the border keeps its colour.
  if (!stbir_resize_region(picture.rgba.data(), picture.width, picture.height, 0, covered.data(), columns, rows, 0,
                           STBIR_TYPE_UINT8, 4, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                           filterFor((s1 - s0) * picture.width, columns), filterFor((t1 - t0) * picture.height, rows),
                           STBIR_COLORSPACE_SRGB, nullptr, s0, t0, s1, t1)) {
    return false;
  }
  for (int32_t y = 0; y < rows; ++y) {
    unsigned char *to = map->at(cover.left, cover.top + y);
    const unsigned char *from = &covered[static_cast<size_t>(y) * columns * 4];
    for (int32_t x = 0; x < columns; ++x) std::memcpy(to + x * 3, from + x * 4, 3);
  }
  return true;
}
