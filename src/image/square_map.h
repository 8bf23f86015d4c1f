// The square map the programs load, made from a picture of the player's own:
// the picture stretched over where it lies on the square, cropped at the
// square's edges, and the chart's paper wherever it does not reach. Only
// pixels here: where the picture lies on the game's world is app/'s to say.
#pragma once

#include <cstdint>

#include "image/bmp_writer.h"
#include "image/picture.h"

// Where the picture's edges lie on the square, in the square's pixels: x from
// its left edge, y from its top edge downward.
struct SquareEdges {
  double left;
  double top;
  double right;
  double bottom;
};

// The whole pixels of the square the picture covers, [left, right) x
// [top, bottom): each edge rounded to the nearest pixel boundary and clamped to
// the square.
struct SquareCover {
  int32_t left, top, right, bottom;
  bool empty() const { return left >= right || top >= bottom; }
};

SquareCover squareCover(const SquareEdges &edges, int32_t side);

// Paints *map (a square canvas, its side its width) with the picture at
// `edges` (right of left, below top) over the chart's paper. The picture's
// part that covers the pixels of squareCover is scaled onto them in linear
// light, so its scale stays exact and a picture whose pixels meet the
// square's comes out as it is. False when memory runs out.
bool paintSquareMap(const Picture &picture, const SquareEdges &edges, Canvas *map);
