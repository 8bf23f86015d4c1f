// A line of news at the bottom left of the window for a few seconds: where
// F12's picture went, or why it could not be saved. The main loops keep its
// time with their millisecond clock, as they do for the save's reloads.
#pragma once

#include <cstdint>

constexpr uint32_t STATUS_LINE_MS = 3000;

// Shows text (cut to fit viewerState.statusLine) from the next frame on, for
// STATUS_LINE_MS counted from the next updateStatusLine call.
void showStatusLine(const char *text);

// Called by the main loops on every pass with the platform's millisecond
// clock (which may wrap): starts the time of a line just shown and takes away
// a line whose time is up. Returns true when it took one away (a frame is due).
bool updateStatusLine(uint32_t now);

// Milliseconds from `now` until updateStatusLine has something to do: 0 when
// it has, UINT32_MAX when no line is shown. A resting loop wakes by then.
uint32_t millisecondsUntilStatusLineChange(uint32_t now);
