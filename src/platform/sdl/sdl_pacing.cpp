// The arithmetic of frame pacing, apart from any clock so that it can be tested.
#include "platform/sdl/sdl_pacing.h"

namespace {
constexpr int32_t FALLBACK_REFRESH_HZ = 60;
// Displays report rates from about 24 Hz up; anything outside this range is
// taken for a driver's placeholder.
constexpr int32_t LOWEST_REFRESH_HZ = 20;
constexpr int32_t HIGHEST_REFRESH_HZ = 1000;
}  // namespace

int32_t pacedRefreshRate(int32_t reportedHz) {
  if (reportedHz < LOWEST_REFRESH_HZ || reportedHz > HIGHEST_REFRESH_HZ) return FALLBACK_REFRESH_HZ;
  return reportedHz;
}

FramePacer makeFramePacer(int32_t refreshHz, uint64_t ticksPerSecond) {
  FramePacer pacer;
  pacer.period = ticksPerSecond / static_cast<uint64_t>(pacedRefreshRate(refreshHz));
  return pacer;
}

uint64_t ticksBeforeNextFrame(const FramePacer &pacer, uint64_t now) {
  if (!pacer.started || now >= pacer.nextFrame) return 0;
  return pacer.nextFrame - now;
}

void noteFrameStarted(FramePacer *pacer, uint64_t now) {
  // Keep the beat while frames follow each other closely; after a rest (or a
  // frame so slow that a whole period was lost) start a new one from now.
  if (pacer->started && now - pacer->nextFrame < pacer->period) {
    pacer->nextFrame += pacer->period;
  } else {
    pacer->nextFrame = now + pacer->period;
  }
  pacer->started = true;
}
