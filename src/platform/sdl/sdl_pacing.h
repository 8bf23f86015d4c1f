// Pacing of the frames the Linux program draws while something moves: at most
// one frame per refresh of the display, whether or not the buffer swap waits
// for it, so that a held arrow pans at the same speed everywhere.
#pragma once

#include <cstdint>

// Frames are started no closer together than one period, on a steady beat:
// while frames follow each other the next may start one period after the
// previous one was due, so their mean rate is the refresh rate; after a rest
// the beat starts again from the first new frame.
struct FramePacer {
  uint64_t period = 0;     // clock ticks per refresh
  uint64_t nextFrame = 0;  // earliest tick at which the next frame may start
  bool started = false;    // a frame has been drawn since the pacer was set up
};

// Refreshes per second to pace to: the display's rate, or 60 when it reports
// none (0) or nonsense.
int32_t pacedRefreshRate(int32_t reportedHz);

// A pacer for the given refresh rate on a clock of `ticksPerSecond`.
FramePacer makeFramePacer(int32_t refreshHz, uint64_t ticksPerSecond);

// Ticks to wait at `now` before the next frame may start; 0 when it may start.
uint64_t ticksBeforeNextFrame(const FramePacer &pacer, uint64_t now);

// Notes that a frame starts at `now`.
void noteFrameStarted(FramePacer *pacer, uint64_t now);
