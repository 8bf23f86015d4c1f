// Sets of points for the route planner's tests and benchmark, from a small
// generator of our own (the same sets on every platform), and sets whose
// shortest route is known.
#pragma once

#include <cstdint>
#include <vector>

#include "route/route_planner.h"

// Points spread evenly at random over the map, -2000 to 2000 on each axis.
std::vector<RoutePoint> scatteredPoints(int32_t count, uint64_t seed);

// Points in `clusters` random groups of about 300 units across, as packages
// gather around buildings.
std::vector<RoutePoint> clusteredPoints(int32_t count, int32_t clusters, uint64_t seed);

// `count` points evenly round a circle about the origin, not in visiting
// order. With a free start the shortest route is (count - 1) chords; from
// the centre, one radius more.
std::vector<RoutePoint> circlePoints(int32_t count, double radius);
double circleChord(int32_t count, double radius);

// A grid of columns x rows points `step` apart from the origin, not in
// visiting order: the shortest route, from a corner or free, is
// (columns x rows - 1) steps.
std::vector<RoutePoint> gridPoints(int32_t columns, int32_t rows, double step);
