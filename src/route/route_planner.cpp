// The planner's front: the exact dynamic program for small sets, the local
// search for the others, and the length of a route.
#include "route/route_planner.h"

#include <cmath>
#include <limits>

// sqrt is correctly rounded everywhere; hypot is not, and differs between C
// libraries, so it is not used.
double routeDistance(const RoutePoint &a, const RoutePoint &b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  return std::sqrt(dx * dx + dy * dy);
}

std::vector<int32_t> planRoute(const std::vector<RoutePoint> &points, const RoutePoint *start) {
  if (static_cast<int32_t>(points.size()) <= EXACT_ROUTE_LIMIT) return planRouteExactly(points, start);
  return planRouteBySearch(points, start);
}

double routeLength(const std::vector<RoutePoint> &points, const RoutePoint *start,
                   const std::vector<int32_t> &order) {
  double length = 0.0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (i > 0) {
      length += routeDistance(points[order[i - 1]], points[order[i]]);
    } else if (start) {
      length += routeDistance(*start, points[order[0]]);
    }
  }
  return length;
}

// Held-Karp: best[mask][last] is the shortest walk that starts at the start
// point (anywhere, for a free start), visits exactly the points of mask and
// ends at last.
std::vector<int32_t> planRouteExactly(const std::vector<RoutePoint> &points, const RoutePoint *start) {
  const int32_t n = static_cast<int32_t>(points.size());
  if (n == 0 || n > EXACT_ROUTE_MAX) return {};
  const uint32_t full = (1u << n) - 1u;
  const double unreached = std::numeric_limits<double>::infinity();
  std::vector<double> best(static_cast<size_t>(full + 1) * n, unreached);
  std::vector<int8_t> previous(best.size(), -1);
  std::vector<double> between(static_cast<size_t>(n) * n);
  for (int32_t a = 0; a < n; ++a) {
    for (int32_t b = 0; b < n; ++b) between[a * n + b] = routeDistance(points[a], points[b]);
  }
  for (int32_t j = 0; j < n; ++j) best[(1u << j) * n + j] = start ? routeDistance(*start, points[j]) : 0.0;

  for (uint32_t mask = 1; mask <= full; ++mask) {
    for (int32_t last = 0; last < n; ++last) {
      const double here = best[mask * n + last];
      if (!(mask & (1u << last)) || here == unreached) continue;
      for (int32_t next = 0; next < n; ++next) {
        if (mask & (1u << next)) continue;
        const uint32_t grown = mask | (1u << next);
        const double length = here + between[last * n + next];
        if (length < best[grown * n + next]) {
          best[grown * n + next] = length;
          previous[grown * n + next] = static_cast<int8_t>(last);
        }
      }
    }
  }

  int32_t last = 0;
  for (int32_t j = 1; j < n; ++j) {
    if (best[full * n + j] < best[full * n + last]) last = j;
  }
  std::vector<int32_t> order(n);
  uint32_t mask = full;
  for (int32_t i = n - 1; i >= 0; --i) {
    order[i] = last;
    const int32_t before = previous[mask * n + last];
    mask &= ~(1u << last);
    last = before;
  }
  return order;
}
