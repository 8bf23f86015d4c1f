// The status line's text and time (see status_line.h).
#include "app/status_line.h"

#include <cstdio>

#include "app/viewer_state.h"

namespace {

// Milliseconds left of the line's time on the wrapping clock; a line timed
// further off than its whole time has been passed by the clock: none left.
uint32_t timeLeft(uint32_t now) {
  const uint32_t left = viewerState.statusLineEnds - now;
  return left <= STATUS_LINE_MS ? left : 0;
}

}  // namespace

void showStatusLine(const char *text) {
  std::snprintf(viewerState.statusLine, sizeof viewerState.statusLine, "%s", text);
  viewerState.statusLineTimed = 0;
}

bool updateStatusLine(uint32_t now) {
  ViewerState &state = viewerState;
  if (state.statusLine[0] == '\0') return false;
  if (!state.statusLineTimed) {
    state.statusLineTimed = 1;
    state.statusLineEnds = now + STATUS_LINE_MS;
    return false;
  }
  if (timeLeft(now) > 0) return false;
  state.statusLine[0] = '\0';
  return true;
}

uint32_t millisecondsUntilStatusLineChange(uint32_t now) {
  if (viewerState.statusLine[0] == '\0') return UINT32_MAX;
  return viewerState.statusLineTimed ? timeLeft(now) : 0;
}
