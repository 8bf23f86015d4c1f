// The route planner: the exact program against every ordering, the search
// against the exact program and against sets whose optimum is known, and the
// same route on every run and platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include "route/route_planner.h"
#include "support/route_sets.h"

namespace {

bool visitsEachOnce(const std::vector<int32_t> &order, size_t count) {
  std::vector<int32_t> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  std::vector<int32_t> all(count);
  std::iota(all.begin(), all.end(), 0);
  return sorted == all;
}

double bruteForceLength(const std::vector<RoutePoint> &points, const RoutePoint *start) {
  std::vector<int32_t> order(points.size());
  std::iota(order.begin(), order.end(), 0);
  double best = INFINITY;
  do {
    best = std::min(best, routeLength(points, start, order));
  } while (std::next_permutation(order.begin(), order.end()));
  return best;
}

TEST(RoutePlanner, ExactProgramMatchesEveryOrdering) {
  const RoutePoint start{150.0, -40.0};
  for (int32_t count = 1; count <= 7; ++count) {
    for (uint64_t seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE(testing::Message() << count << " points, seed " << seed);
      const std::vector<RoutePoint> points = scatteredPoints(count, seed * 97 + count);
      for (const RoutePoint *from : {&start, static_cast<const RoutePoint *>(nullptr)}) {
        const std::vector<int32_t> order = planRouteExactly(points, from);
        ASSERT_TRUE(visitsEachOnce(order, points.size()));
        EXPECT_NEAR(routeLength(points, from, order), bruteForceLength(points, from), 1e-9);
      }
    }
  }
  EXPECT_TRUE(planRoute({}, &start).empty());
}

// The dummy node of the search and its fixed edge to the start: any slip
// shows as a route longer than the exact one, or one that does not leave
// from the start.
TEST(RoutePlanner, SearchFindsTheExactOptimumOnSetsTheProgramCanSolve) {
  const RoutePoint start{-1900.0, 1900.0};
  for (int32_t count : {13, 14, 16}) {
    for (uint64_t seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(testing::Message() << count << " points, seed " << seed);
      const std::vector<RoutePoint> points = scatteredPoints(count, seed * 31 + count);
      for (const RoutePoint *from : {&start, static_cast<const RoutePoint *>(nullptr)}) {
        const std::vector<int32_t> searched = planRouteBySearch(points, from);
        ASSERT_TRUE(visitsEachOnce(searched, points.size()));
        EXPECT_NEAR(routeLength(points, from, searched), routeLength(points, from, planRouteExactly(points, from)),
                    1e-9);
      }
    }
  }
}

// Sets of up to EXACT_ROUTE_LIMIT points take the exact program's route,
// larger ones the search's. Round a circle many routes are equally short and
// the two pick different ones, so the answer tells which one planned it.
TEST(RoutePlanner, TheExactProgramTakesSetsUpToItsLimitAndTheSearchTheRest) {
  const RoutePoint centre{0.0, 0.0};
  for (int32_t count : {EXACT_ROUTE_LIMIT, EXACT_ROUTE_LIMIT + 1}) {
    SCOPED_TRACE(testing::Message() << count << " points");
    const std::vector<RoutePoint> circle = circlePoints(count, 1000.0);
    const std::vector<int32_t> exact = planRouteExactly(circle, &centre);
    const std::vector<int32_t> searched = planRouteBySearch(circle, &centre);
    ASSERT_NE(exact, searched);
    EXPECT_EQ(planRoute(circle, &centre), count <= EXACT_ROUTE_LIMIT ? exact : searched);
  }
}

// Points on a circle: with a free start the route is the circle less one gap;
// from the centre, one radius more. A grid of unit steps: one step a point
// less one, from a corner or from anywhere.
TEST(RoutePlanner, KnownOptimaOfCirclesAndGrids) {
  const std::vector<RoutePoint> circle = circlePoints(90, 1500.0);
  const double chord = circleChord(90, 1500.0);
  const RoutePoint centre{0.0, 0.0};
  EXPECT_NEAR(routeLength(circle, nullptr, planRoute(circle, nullptr)), 89 * chord, 1e-6);
  EXPECT_NEAR(routeLength(circle, &centre, planRoute(circle, &centre)), 1500.0 + 89 * chord, 1e-6);

  const std::vector<RoutePoint> grid = gridPoints(9, 15, 100.0);
  for (const RoutePoint *from : {&centre, static_cast<const RoutePoint *>(nullptr)}) {
    const std::vector<int32_t> order = planRoute(grid, from);
    ASSERT_TRUE(visitsEachOnce(order, grid.size()));
    EXPECT_NEAR(routeLength(grid, from, order), 134 * 100.0, 1e-6);
  }
}

// The route of 135 scattered points, as a checksum of the visiting order:
// the Linux and the 32-bit Windows programs must print and find the same.
// (The value is this planner's answer; a change to the search that changes
// the route must change it here too.)
TEST(RoutePlanner, SameRouteOnEveryRunAndPlatform) {
  const std::vector<RoutePoint> points = scatteredPoints(135, 2026);
  const RoutePoint start{12.5, -700.25};
  const std::vector<int32_t> first = planRoute(points, &start);
  ASSERT_TRUE(visitsEachOnce(first, points.size()));
  EXPECT_EQ(planRoute(points, &start), first);
  uint64_t checksum = 14695981039346656037ULL;
  for (int32_t index : first) checksum = (checksum ^ static_cast<uint64_t>(index)) * 1099511628211ULL;
  std::printf("route checksum %016llx, length %.6f\n", static_cast<unsigned long long>(checksum),
              routeLength(points, &start, first));
  EXPECT_EQ(checksum, 0x98d840d7125387aeULL);
}

}  // namespace
