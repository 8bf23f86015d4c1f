// Point sets for the route planner's tests and benchmark.
#include "support/route_sets.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr double PI = 3.14159265358979323846;

// A 64-bit linear congruential generator; 24 bits of each step, as a number
// from 0 to 1.
double nextUnit(uint64_t *state) {
  *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<double>(*state >> 40) / 16777216.0;
}

// Moves points out of their natural order, the same way every time.
void scramble(std::vector<RoutePoint> *points) {
  const ptrdiff_t size = static_cast<ptrdiff_t>(points->size());
  std::rotate(points->begin(), points->begin() + size * 3 / 8, points->end());
  std::reverse(points->begin() + size / 5, points->end() - size / 4);
}

}  // namespace

std::vector<RoutePoint> scatteredPoints(int32_t count, uint64_t seed) {
  std::vector<RoutePoint> points;
  for (int32_t i = 0; i < count; ++i) {
    const double x = nextUnit(&seed) * 4000.0 - 2000.0;
    points.push_back({x, nextUnit(&seed) * 4000.0 - 2000.0});
  }
  return points;
}

std::vector<RoutePoint> clusteredPoints(int32_t count, int32_t clusters, uint64_t seed) {
  std::vector<RoutePoint> centres = scatteredPoints(clusters, seed);
  for (RoutePoint &centre : centres) {
    centre.x *= 0.9;
    centre.y *= 0.9;
  }
  std::vector<RoutePoint> points;
  for (int32_t i = 0; i < count; ++i) {
    const RoutePoint &centre = centres[static_cast<size_t>(i % clusters)];
    const double x = centre.x + (nextUnit(&seed) - 0.5) * 300.0;
    points.push_back({x, centre.y + (nextUnit(&seed) - 0.5) * 300.0});
  }
  return points;
}

std::vector<RoutePoint> circlePoints(int32_t count, double radius) {
  std::vector<RoutePoint> points;
  for (int32_t i = 0; i < count; ++i) {
    const double angle = 2.0 * PI * i / count;
    points.push_back({radius * std::cos(angle), radius * std::sin(angle)});
  }
  scramble(&points);
  return points;
}

double circleChord(int32_t count, double radius) { return 2.0 * radius * std::sin(PI / count); }

std::vector<RoutePoint> gridPoints(int32_t columns, int32_t rows, double step) {
  std::vector<RoutePoint> points;
  for (int32_t i = 0; i < columns * rows; ++i) points.push_back({(i % columns) * step, (i / columns) * step});
  scramble(&points);
  return points;
}
