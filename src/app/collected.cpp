// The markers collected since the save was opened (see collected.h).
#include "app/collected.h"

#include <cmath>
#include <cstring>

#include "app/collecting_route.h"
#include "app/map_point.h"
#include "save/savegame.h"

namespace {

// Bit for bit, so that a NaN is the same marker as itself and 0.0 is not -0.0.
bool sameMarker(const PickupMarker &a, const PickupMarker &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool listHolds(const PickupMarker *list, int32_t count, const PickupMarker &marker) {
  for (int32_t i = 0; i < count; ++i) {
    if (sameMarker(list[i], marker)) return true;
  }
  return false;
}

void removeCollected(int32_t index) {
  ViewerState &state = viewerState;
  std::memmove(&state.collected[index], &state.collected[index + 1],
               sizeof state.collected[0] * static_cast<size_t>(state.collectedCount - index - 1));
  --state.collectedCount;
}

void keepCollected(const PickupMarker &marker, MarkerKind kind, int32_t number) {
  ViewerState &state = viewerState;
  if (state.collectedCount == COLLECTED_CAPACITY) removeCollected(0);
  state.collected[state.collectedCount++] = CollectedMarker{marker, kind, number};
}

void keepDropped(const PickupMarker *shown, int32_t shownCount, const PickupMarker *incoming,
                 int32_t incomingCount, MarkerKind kind) {
  int32_t dropped = 0;
  for (int32_t i = 0; i < shownCount; ++i) {
    if (listHolds(incoming, incomingCount, shown[i])) continue;
    keepCollected(shown[i], kind, i);
    ++dropped;
  }
  viewerState.justCollected[kind] = dropped;
}

}  // namespace

void noteCollectedMarkers(const SavegameMarkers &incoming) {
  ViewerState &state = viewerState;
  for (int32_t i = state.collectedCount - 1; i >= 0; --i) {
    const CollectedMarker &collected = state.collected[i];
    if (savegameHoldsMarker(incoming, collected.kind, collected.marker)) removeCollected(i);
  }
  keepDropped(state.packages, state.packageCount, incoming.packages, incoming.packageCount, MARKER_PACKAGE);
  keepDropped(state.rampages, state.rampageCount, incoming.rampages, incoming.rampageCount, MARKER_RAMPAGE);
}

bool savegameHoldsMarker(const SavegameMarkers &markers, int32_t kind, const PickupMarker &marker) {
  return kind == MARKER_PACKAGE ? listHolds(markers.packages, markers.packageCount, marker)
                                : listHolds(markers.rampages, markers.rampageCount, marker);
}

void forgetCollectedMarkers() { viewerState.collectedCount = 0; }

bool collectedMarkerShown(const CollectedMarker &collected) {
  if (!viewerState.showCollected) return false;
  return collected.kind == MARKER_PACKAGE ? packagesShown() : rampagesShown();
}

const CollectedMarker *collectedMarkerNear(double pointerX, double pointerY, double *distance) {
  const CollectedMarker *nearest = nullptr;
  for (int32_t i = 0; i < viewerState.collectedCount; ++i) {
    const CollectedMarker &collected = viewerState.collected[i];
    if (!collectedMarkerShown(collected)) continue;
    double x;
    double y;
    pixelOfSavegamePoint(collected.marker.x, collected.marker.y, &x, &y);
    const double away = std::hypot(x - pointerX, y - pointerY);
    // A non-finite position gives a NaN distance, which never compares below.
    if (away <= MARKER_PICK_RADIUS && (!nearest || away < *distance)) {
      nearest = &collected;
      *distance = away;
    }
  }
  return nearest;
}
