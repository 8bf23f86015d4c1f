// When the main loop of a desktop program draws and when it rests. A frame is
// drawn after any input or window event, after a reload, during the first
// frames after start and on every pass while a key that acts while held is
// down; otherwise the loop sleeps until the next event, the next look at the
// save or, at the latest, a second later. The platform owns the waiting and
// the clock; this is the part both desktop loops share.
#pragma once

#include <cstdint>

// Frames drawn after start whatever happens, while the window manager maps
// and exposes the window.
constexpr int32_t STARTUP_FRAMES = 3;
// The longest rest, even with nothing to look at (it costs nothing).
constexpr uint32_t IDLE_WAKEUP_MS = 1000;

struct FrameSchedule {
  int32_t startupFrames = STARTUP_FRAMES;
  bool frameDue = true;  // set by the loop when an event was handled or the save reloaded
};

// Whether this pass draws a frame: one is due, the first frames are not all
// drawn yet, or a held key moves the map on every frame.
bool frameWanted(FrameSchedule *schedule);

// Notes that the frame this pass wanted has been drawn.
void noteFrameDrawn(FrameSchedule *schedule);

// Milliseconds the loop may sleep at `now` (the platform's millisecond clock)
// when no frame is wanted: until the next look at the save or the end of the
// status line, at most IDLE_WAKEUP_MS.
uint32_t millisecondsToRest(uint32_t now);
