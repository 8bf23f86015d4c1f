// When the main loop draws and when it rests.
#include "app/frame_schedule.h"

#include <algorithm>

#include "app/controls.h"
#include "app/status_line.h"
#include "save/live_reload.h"

bool frameWanted(FrameSchedule *schedule) {
  if (schedule->startupFrames > 0 || controlsActWhileHeld()) schedule->frameDue = true;
  return schedule->frameDue;
}

void noteFrameDrawn(FrameSchedule *schedule) {
  schedule->frameDue = false;
  if (schedule->startupFrames > 0) --schedule->startupFrames;
}

uint32_t millisecondsToRest(uint32_t now) {
  return std::min({millisecondsUntilReloadCheck(now), millisecondsUntilStatusLineChange(now), IDLE_WAKEUP_MS});
}
