// The rows of the list of what is left, in the order the player walks them.
#include "app/marker_list.h"

#include <cmath>
#include <cstdio>

#include "app/collected.h"
#include "app/collecting_route.h"
#include "app/viewer_state.h"

namespace {

struct RowSink {
  MarkerListRow *rows;
  int32_t capacity;
  int32_t count;
};

void add(RowSink *sink, int32_t kind, int32_t number, const PickupMarker &marker, int32_t collected, int32_t at) {
  if (sink->count >= sink->capacity) return;
  sink->rows[sink->count++] = {kind, number, collected, at, marker.x, marker.y, marker.z};
}

void addList(RowSink *sink, int32_t kind, const PickupMarker *markers, int32_t count, bool skipRouted) {
  for (int32_t i = 0; i < count; ++i) {
    if (skipRouted && routeStopNumber(kind, i) > 0) continue;
    add(sink, kind, i, markers[i], 0, i);
  }
}

void formatWhole(float value, char *text, size_t size) {
  if (std::isnan(value)) {
    std::snprintf(text, size, "nan");
  } else if (std::isinf(value)) {
    std::snprintf(text, size, value > 0 ? "inf" : "-inf");
  } else {
    std::snprintf(text, size, "%.0f", static_cast<double>(std::round(value)) + 0.0);
  }
}

}  // namespace

int32_t listShownMarkers(MarkerListRow *rows, int32_t capacity) {
  const ViewerState &state = viewerState;
  RowSink sink{rows, capacity, 0};
  const bool routed = state.showRoute != 0;
  if (routed) {
    for (int32_t i = 0; i < state.routeStopCount; ++i) {
      const RouteStop &stop = state.routeStops[i];
      const PickupMarker marker{stop.x, stop.y, stop.z};
      add(&sink, stop.kind, stop.index, marker, 0, stop.index);
    }
  }
  if (packagesShown()) addList(&sink, MARKER_PACKAGE, state.packages, state.packageCount, routed);
  if (rampagesShown()) addList(&sink, MARKER_RAMPAGE, state.rampages, state.rampageCount, routed);
  for (int32_t i = 0; i < state.collectedCount; ++i) {
    const CollectedMarker &collected = state.collected[i];
    if (collectedMarkerShown(collected)) add(&sink, collected.kind, collected.number, collected.marker, 1, i);
  }
  return sink.count;
}

void formatMarkerRow(const MarkerListRow &row, char text[MARKER_ROW_TEXT_SIZE]) {
  char numbers[3][32];
  formatWhole(row.x, numbers[0], sizeof numbers[0]);
  formatWhole(row.y, numbers[1], sizeof numbers[1]);
  formatWhole(row.z, numbers[2], sizeof numbers[2]);
  std::snprintf(text, MARKER_ROW_TEXT_SIZE, "%s %d: %s, %s, %s", row.kind == MARKER_PACKAGE ? "package" : "rampage",
                static_cast<int>(row.number), numbers[0], numbers[1], numbers[2]);
}
