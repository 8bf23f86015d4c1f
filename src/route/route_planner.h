// The collecting route: in what order to visit a set of points so that the
// walk is shortest. Pure computation in double precision on 2-D points, no
// state, no platform; the same points give the same route on every platform
// and every run.
#pragma once

#include <cstdint>
#include <vector>

struct RoutePoint {
  double x;
  double y;
};

// The straight-line distance between two points, the same on every platform.
double routeDistance(const RoutePoint &a, const RoutePoint &b);

// Sets of up to this many points are solved exactly; larger ones by the
// local search below.
constexpr int32_t EXACT_ROUTE_LIMIT = 12;
// The most points planRouteExactly takes (its table grows as 2^n x n).
constexpr int32_t EXACT_ROUTE_MAX = 16;

// The shortest open route through every point, by straight-line distance:
// from *start when start is given (the end is free), or with a free start
// when it is null. Every coordinate must be finite. Returns the indices of
// points in visiting order (empty for no points).
std::vector<int32_t> planRoute(const std::vector<RoutePoint> &points, const RoutePoint *start);

// The length of the walk that visits points in the given order, from *start
// when given (from the first point otherwise).
double routeLength(const std::vector<RoutePoint> &points, const RoutePoint *start,
                   const std::vector<int32_t> &order);

// The exact optimum by dynamic programming over subsets, for at most
// EXACT_ROUTE_MAX points (an empty route above that). Of equally short routes
// it keeps the one found first, so the answer is the same on every platform.
std::vector<int32_t> planRouteExactly(const std::vector<RoutePoint> &points, const RoutePoint *start);

// How much work the local search does: independent starts, and perturbations
// of each, followed by a local optimisation. Counted in steps, not time, so
// that the result never depends on the machine.
struct RouteSearchBudget {
  int32_t restarts = 3;
  int32_t kicksPerPoint = 8;  // perturbations of each start, per point of the set
  uint64_t seed = 0x5DEECE66DULL;
};

// The local search (2-opt and Or-opt on neighbour lists with don't-look bits,
// local double-bridge kicks, restarts) for any number of points.
std::vector<int32_t> planRouteBySearch(const std::vector<RoutePoint> &points, const RoutePoint *start,
                                       const RouteSearchBudget &budget = RouteSearchBudget{});
