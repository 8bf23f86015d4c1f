// The collecting route through the markers that are left ('R'), and which
// kinds of marker the map shows ('K'). The route is planned when something
// asks for it (the key, a reload, an opened save, another choice of kinds),
// never per frame; the renderer only draws what is stored in viewerState.
#pragma once

#include <cstdint>
#include <vector>

struct PickupMarker;
struct RoutePoint;
struct SavegameMarkers;

// The choices of 'K', in the order it steps through them.
enum ShownKinds : int32_t { SHOW_BOTH_KINDS = 0, SHOW_PACKAGES_ONLY = 1, SHOW_RAMPAGES_ONLY = 2 };
constexpr int32_t SHOWN_KINDS_CHOICES = 3;

// One marker on (or left off) a route: its kind (MARKER_PACKAGE or
// MARKER_RAMPAGE, app/viewer_state.h), its index in its list, and its
// position copied from the list.
struct RouteStop {
  int32_t kind;
  int32_t index;
  float x;
  float y;
  float z;
};

// The marker lists a route is planned through: either list may be left out
// (null, 0).
struct RouteMarkers {
  const PickupMarker *packages = nullptr;
  int32_t packageCount = 0;
  const PickupMarker *rampages = nullptr;
  int32_t rampageCount = 0;
};

// A planned route: the markers in visiting order, then those whose x or y is
// not finite and which therefore cannot be placed on it (in list order).
struct MarkerRoute {
  std::vector<RouteStop> stops;
  std::vector<RouteStop> unplaced;
};

// Plans the shortest route through the given markers, from *start (the end
// free) or, with start null, from wherever is best. Heights are ignored.
MarkerRoute planMarkerRoute(const RouteMarkers &markers, const RoutePoint *start);

bool packagesShown();
bool rampagesShown();

// Shows the route through the markers of the kinds shown, from *start or,
// with start null, from wherever is best: the first stop is then taken as
// the start, so that later plans (a reload, 'K') go on from there.
void showRouteFrom(const RoutePoint *start);

// 'R': shows the route through the markers of the kinds shown, from the map
// point under the pointer; pressed again, hides it.
void toggleRoute();

// 'K': steps to the next choice of kinds shown; a shown route then goes
// through the kinds now shown, from the same start.
void cycleShownKinds();

// Called with a quiet reload's markers just before they replace the lists:
// a shown route is planned again through them. When markers that were on it
// are gone (collected), it starts again where the latest of them on the old
// route stood: the player was there.
void routeBeforeReload(const SavegameMarkers &incoming);

// Called when a save opened by the user ('O', the command line, a drop) has
// replaced the lists: a shown route is planned through its markers, from the
// same start.
void routeAfterOpen();

// The place (1 for the first stop) of a marker on the shown route, or 0 when
// it is not on it.
int32_t routeStopNumber(int32_t kind, int32_t index);
