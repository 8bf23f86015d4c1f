// The route of 'R' and the kinds of 'K', kept in viewerState.
#include "app/collecting_route.h"

#include <cmath>

#include "app/collected.h"
#include "app/map_point.h"
#include "app/viewer_state.h"
#include "route/route_planner.h"
#include "save/savegame.h"

namespace {

void collect(int32_t kind, const PickupMarker *markers, int32_t count, std::vector<RouteStop> *placed,
             std::vector<RoutePoint> *points, std::vector<RouteStop> *unplaced) {
  for (int32_t i = 0; i < count; ++i) {
    const PickupMarker &marker = markers[i];
    const RouteStop stop{kind, i, marker.x, marker.y, marker.z};
    if (std::isfinite(marker.x) && std::isfinite(marker.y)) {
      placed->push_back(stop);
      points->push_back(RoutePoint{marker.x, marker.y});
    } else {
      unplaced->push_back(stop);
    }
  }
}

// Plans the shown route through the shown kinds of the given lists, from the
// stored start, and stores it.
void planShownRoute(const PickupMarker *packages, int32_t packageCount, const PickupMarker *rampages,
                    int32_t rampageCount) {
  ViewerState &state = viewerState;
  RouteMarkers markers;
  if (packagesShown()) {
    markers.packages = packages;
    markers.packageCount = packageCount;
  }
  if (rampagesShown()) {
    markers.rampages = rampages;
    markers.rampageCount = rampageCount;
  }
  const RoutePoint start{state.routeStartX, state.routeStartY};
  const MarkerRoute route = planMarkerRoute(markers, &start);
  state.routeStopCount = 0;
  for (const RouteStop &stop : route.stops) {
    if (state.routeStopCount == ROUTE_STOP_CAPACITY) break;
    state.routeStops[state.routeStopCount++] = stop;
  }
}

void planShownRouteThroughLists() {
  const ViewerState &state = viewerState;
  planShownRoute(state.packages, state.packageCount, state.rampages, state.rampageCount);
}

}  // namespace

MarkerRoute planMarkerRoute(const RouteMarkers &markers, const RoutePoint *start) {
  MarkerRoute route;
  std::vector<RouteStop> placed;
  std::vector<RoutePoint> points;
  collect(MARKER_PACKAGE, markers.packages, markers.packageCount, &placed, &points, &route.unplaced);
  collect(MARKER_RAMPAGE, markers.rampages, markers.rampageCount, &placed, &points, &route.unplaced);
  for (int32_t index : planRoute(points, start)) route.stops.push_back(placed[index]);
  return route;
}

bool packagesShown() { return viewerState.shownKinds != SHOW_RAMPAGES_ONLY; }

bool rampagesShown() { return viewerState.shownKinds != SHOW_PACKAGES_ONLY; }

void showRouteFrom(const RoutePoint *start) {
  ViewerState &state = viewerState;
  RoutePoint from{0.0, 0.0};
  if (start) {
    from = *start;
  } else {
    RouteMarkers markers;
    if (packagesShown()) {
      markers.packages = state.packages;
      markers.packageCount = state.packageCount;
    }
    if (rampagesShown()) {
      markers.rampages = state.rampages;
      markers.rampageCount = state.rampageCount;
    }
    const MarkerRoute best = planMarkerRoute(markers, nullptr);
    if (!best.stops.empty()) from = RoutePoint{best.stops.front().x, best.stops.front().y};
  }
  state.routeStartX = from.x;
  state.routeStartY = from.y;
  state.showRoute = 1;
  planShownRouteThroughLists();
}

void toggleRoute() {
  ViewerState &state = viewerState;
  if (state.showRoute) {
    state.showRoute = 0;
    state.routeStopCount = 0;
    return;
  }
  RoutePoint pointer{0.0, 0.0};
  savegamePointAtPixel(state.mouseX, state.mouseY, &pointer.x, &pointer.y);
  showRouteFrom(&pointer);
}

void cycleShownKinds() {
  viewerState.shownKinds = (viewerState.shownKinds + 1) % SHOWN_KINDS_CHOICES;
  if (viewerState.showRoute) planShownRouteThroughLists();
}

void routeBeforeReload(const SavegameMarkers &incoming) {
  ViewerState &state = viewerState;
  if (!state.showRoute) return;
  for (int32_t i = state.routeStopCount - 1; i >= 0; --i) {
    const RouteStop &stop = state.routeStops[i];
    if (savegameHoldsMarker(incoming, stop.kind, PickupMarker{stop.x, stop.y, stop.z})) continue;
    state.routeStartX = stop.x;
    state.routeStartY = stop.y;
    break;
  }
  planShownRoute(incoming.packages, incoming.packageCount, incoming.rampages, incoming.rampageCount);
}

void routeAfterOpen() {
  if (viewerState.showRoute) planShownRouteThroughLists();
}

int32_t routeStopNumber(int32_t kind, int32_t index) {
  const ViewerState &state = viewerState;
  if (!state.showRoute) return 0;
  for (int32_t i = 0; i < state.routeStopCount; ++i) {
    if (state.routeStops[i].kind == kind && state.routeStops[i].index == index) return i + 1;
  }
  return 0;
}
