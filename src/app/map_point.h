// Between the pixels of the client area and the savegame's world: where a
// savegame position is drawn, which position lies under a pixel, and the
// information line of 'I' built from that.
#pragma once

#include <cstdint>

#include "app/view.h"

// The scene's half-height at distance 1 from the eye: tan of half the field
// of view.
double halfHeightPerDistance();

// Scene units per client pixel in the plane of the map at the given zoom.
double scenePerPixel(double zoom);

// Client pixels (x to the right, y downward, (0, 0) the top-left pixel's
// corner) of the savegame position (x, y) in the plane of the map, for the
// camera, zoom and window size in viewerState.
void pixelOfSavegamePoint(double x, double y, double *pixelX, double *pixelY);

// The savegame position in the plane of the map under the centre of the
// client pixel (pixelX, pixelY): the inverse of pixelOfSavegamePoint.
void savegamePointAtPixel(int32_t pixelX, int32_t pixelY, double *x, double *y);

// Pixels between the pointer and a marker's centre within which the
// information line names the marker.
constexpr double MARKER_PICK_RADIUS = 6.0;

constexpr int32_t INFO_LINE_COUNT = 2;
constexpr int32_t INFO_LINE_SIZE = 160;

// The information line for the pointer at (mouseX, mouseY): first the map
// position under it, then, when a marker's centre lies within 6 pixels, that
// marker's kind, index in its list and x, y, z (the nearest one; packages
// before rampages at equal distance). Numbers have one decimal; non-finite
// ones read "nan", "inf" and "-inf". A collected marker (app/collected.h)
// nearer than any live one is named "package 3: collected", with the number
// it last had. A marker on the shown route adds its place on it (", stop 4 of
// 37"). Only markers of the kinds shown are named. Returns the number of lines
// written.
int32_t composeInfoLines(char lines[INFO_LINE_COUNT][INFO_LINE_SIZE]);
