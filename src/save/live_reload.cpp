// Live reload of the loaded save.
#include "save/live_reload.h"

#include <cstdint>

#include "app/viewer_state.h"
#include "platform/platform.h"
#include "save/savegame.h"

namespace {

bool sameStamp(const FileStamp &a, const FileStamp &b) {
  return a.exists == b.exists && a.size == b.size && a.modified == b.modified;
}

// Milliseconds from `now` to the next check on the wrapping clock, or 0 when
// it is due. A check further off than one interval was scheduled so long ago
// that the clock has wrapped past it: it is due too.
uint32_t untilNextCheck(uint32_t now) {
  const uint32_t left = viewerState.nextReloadCheck - now;
  return left <= RELOAD_CHECK_INTERVAL_MS ? left : 0;
}

}  // namespace

void watchSavegame() {
  viewerState.saveStamp = platformFileStamp(viewerState.saveFileName);
  viewerState.reloadPending = 0;
}

bool reloadSavegameIfChanged(uint32_t now) {
  ViewerState &state = viewerState;
  if (state.saveFileName[0] == '\0' || untilNextCheck(now) > 0) return false;
  state.nextReloadCheck = now + RELOAD_CHECK_INTERVAL_MS;

  // The stamp is taken before the read: a write that lands during the read
  // changes the stamp again and is read at the next check.
  const FileStamp stamp = platformFileStamp(state.saveFileName);
  if (!state.reloadPending && sameStamp(stamp, state.saveStamp)) return false;
  state.saveStamp = stamp;
  state.reloadPending = 1;

  SavegameMarkers markers;
  if (readSavegameMarkers(state.saveFileName, &markers) != SAVEGAME_READ) return false;
  adoptSavegameMarkers(markers);
  state.reloadPending = 0;
  return true;
}

uint32_t millisecondsUntilReloadCheck(uint32_t now) {
  if (viewerState.saveFileName[0] == '\0') return UINT32_MAX;
  return untilNextCheck(now);
}

bool reloadSavegameBytes(const unsigned char *bytes, size_t size) {
  SavegameMarkers markers;
  if (parseSavegame(bytes, size, &markers) != SAVEGAME_READ) return false;
  adoptSavegameMarkers(markers);
  return true;
}
