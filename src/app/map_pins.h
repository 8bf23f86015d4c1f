// Where a picture of the game's map lies over the savegame's world, solved
// from pins: each pin ties a point of the picture to the savegame point it
// shows. The picture stays upright and keeps its proportions, so its place is
// three numbers (the savegame point of its top-left corner and the savegame
// units one of its pixels spans), and two pins fix them; more pins are fitted
// by least squares. Used by the viewer's align mode, the page and
// package-tool map --pin alike.
#pragma once

#include <cstdint>

// Savegame units from the centre of the map square to an edge: the map
// square stands for savegame -2000 .. 2000 on both axes.
constexpr double MAP_EXTENT = 2000.0;

// Pins must tie markers at least a tenth of the map apart: closer ones fix
// the scale too loosely to be worth solving.
constexpr double PIN_MIN_SEPARATION = 2 * MAP_EXTENT / 10;

struct MapPin {
  double pictureX;  // picture pixels from its left edge
  double pictureY;  // picture pixels from its top edge, downward
  double worldX;    // the savegame point it shows
  double worldY;
};

// A picture's place on the map: savegame x of its left edge, savegame y of its
// top edge and savegame units per picture pixel (above 0).
struct PicturePlacement {
  double left;
  double top;
  double unitsPerPixel;
};

// The savegame coordinates of a picture's edges.
struct WorldEdges {
  double left;
  double bottom;
  double right;
  double top;
};

WorldEdges placementEdges(const PicturePlacement &placement, int32_t width, int32_t height);

// The savegame point shown by picture pixel (x, y) and back.
void worldOfPicturePoint(const PicturePlacement &placement, double x, double y, double *worldX, double *worldY);
void pictureOfWorldPoint(const PicturePlacement &placement, double worldX, double worldY, double *x, double *y);

// A picture of width x height fitted into the map square: its longer side
// spans it, centred.
PicturePlacement fittedPlacement(int32_t width, int32_t height);

enum PinSolution : int32_t {
  PINS_SOLVED,
  PINS_TOO_FEW,        // fewer than two pins
  PINS_TOO_CLOSE,      // no two pins' savegame points PIN_MIN_SEPARATION apart
  PINS_SAME_PLACE,     // the pins' picture points all coincide
  PINS_MIRRORED,       // the best fit turns the picture over (a negative scale)
  PINS_NOT_FINITE,     // a pin holds an infinite or undefined number
};

// Solves the placement from `count` pins. On PINS_SOLVED fills *placement and,
// when given, *worstError with the largest distance, in savegame units,
// between a pin's savegame point and where the placement puts its picture
// point; otherwise leaves both alone.
PinSolution solvePins(const MapPin *pins, int32_t count, PicturePlacement *placement, double *worstError);

// Why the pins were refused, as a sentence for the player ("" for
// PINS_SOLVED).
const char *pinSolutionText(PinSolution solution);
