// The list of what is left, as the page shows it beside the map: one row per
// marker shown, then the collected outlines shown.
#pragma once

#include <cstdint>

struct MarkerListRow {
  int32_t kind;       // MARKER_PACKAGE or MARKER_RAMPAGE
  int32_t number;     // its index in its list, as package-tool list numbers it
  int32_t collected;  // 1 for a collected outline; `at` is then its place among them
  int32_t at;         // what centreOnMarker takes: the list index, or the collected one's place
  float x;
  float y;
  float z;
};

// The rows, at most `capacity`: the markers of the kinds shown in route order
// when a route is shown (those it could not place after it, in list order),
// else all packages then all rampages in list order; then the collected
// outlines shown, oldest first. Returns the number written.
constexpr int32_t MARKER_LIST_CAPACITY = 135 + 256;
int32_t listShownMarkers(MarkerListRow *rows, int32_t capacity);

// "package 3: 120, -45, 12": kind, number and position rounded to whole
// units ("nan", "inf", "-inf" for numbers that are not finite).
constexpr int32_t MARKER_ROW_TEXT_SIZE = 128;
void formatMarkerRow(const MarkerListRow &row, char text[MARKER_ROW_TEXT_SIZE]);
