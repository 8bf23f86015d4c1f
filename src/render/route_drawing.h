// Drawing the route of 'R' (render/frame.cpp calls these while a route is
// shown).
#pragma once

#include <cstdint>

// How many of the next stops carry their number, and where: a
// STOP_NUMBER_SIZE square up and to the right of the marker, its near corner
// STOP_NUMBER_OFFSET pixels from the marker's centre in x and in y.
constexpr int32_t NUMBERED_STOP_COUNT = 5;
constexpr int32_t STOP_NUMBER_SIZE = 16;
constexpr int32_t STOP_NUMBER_OFFSET = 6;

// In the scene's projection and model-view, in the plane of the map: the line
// from the route's start through its stops with its edge, the start ring and
// the arrowheads. Leaves texturing off.
void drawRouteLine();

// In the overlay's pixel coordinates, with blending on: the numbers 1 to
// NUMBERED_STOP_COUNT beside the route's first stops, each on a dark square.
// Leaves blending on with the text blend function, texturing off and the
// model-view matrix the identity.
void drawRouteStopNumbers();
