// What was just collected: markers that a quiet reload of the same save no
// longer holds stay on the map, drawn hollow, until a save is opened afresh
// (dialog, command line, drop) or the viewer ends. They live in
// viewerState.collected; the counts on the panel stay those of the lists.
#pragma once

#include "app/viewer_state.h"

struct SavegameMarkers;

// Called by the quiet reload just before `incoming` replaces the lists: each
// marker shown now that `incoming` lacks (same kind, same x, y and z bit for
// bit) is kept as collected with its number in the shown list; a collected
// marker that `incoming` holds again is live once more and leaves the
// collected ones. When more than COLLECTED_CAPACITY have gathered, the
// oldest give way. viewerState.justCollected counts, by kind, the markers
// this reload found collected.
void noteCollectedMarkers(const SavegameMarkers &incoming);

// Whether markers' list of that kind holds the marker, bit for bit (a NaN is
// the same as itself, 0.0 is not -0.0): how a reload tells a marker kept from
// one taken away.
bool savegameHoldsMarker(const SavegameMarkers &markers, int32_t kind, const PickupMarker &marker);

// Forgets every collected marker: the save now shown was opened afresh.
void forgetCollectedMarkers();

// Whether a collected marker's outline is drawn: while 'C' shows the
// outlines and 'K' shows its kind.
bool collectedMarkerShown(const CollectedMarker &collected);

// The shown collected marker whose centre lies nearest the pointer at client
// pixel (pointerX, pointerY), within MARKER_PICK_RADIUS pixels, with that
// distance; null when there is none.
const CollectedMarker *collectedMarkerNear(double pointerX, double pointerY, double *distance);
