// How the page draws the markers (viewerState.pageDrawing): each kind and
// style as one array in one call, because the browser's GL emulation pays
// dearly for every glBegin; the same shapes at the same places as the
// desktop's, which draws them one by one. In the compact layout the markers
// are drawn at least COMPACT_MARKER_CSS layout pixels across (the narrowest
// shape, with a pixel to spare for its edges' rounding), and collected
// outlines as a pale line on a dark edge, which one or the other sets apart
// from any map beneath. The picked marker (app/gestures.h) is ringed.
#pragma once

#include <cstdint>

constexpr int32_t COMPACT_MARKER_CSS = 9;

// In the scene's projection and model-view: the collected outlines shown,
// then the packages and the rampages of the kinds shown, then the ring of the
// picked marker. Leaves texturing off.
void drawPageMarkers();

// How many times a marker's shape is enlarged about its centre: 1, or what
// brings it to COMPACT_MARKER_CSS layout pixels across in the compact layout.
float pageMarkerScale();

// Vertices gathered for one glDrawArrays, the page's way of drawing many
// shapes at once: gathered one by one (in the scene's coordinates), then
// drawn and forgotten by drawGatheredVertices, with the colour and state set.
void gatherVertex(float x, float y, float z);
void drawGatheredVertices(uint32_t mode);
