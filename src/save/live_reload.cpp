// Live reload of the shown save.
#include "save/live_reload.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/collected.h"
#include "app/collecting_route.h"
#include "app/viewer_state.h"
#include "save/open_dialog.h"
#include "save/savegame.h"

namespace {

// Milliseconds from `now` to the next check on the wrapping clock, or 0 when
// it is due. A check further off than one interval was scheduled so long ago
// that the clock has wrapped past it: it is due too.
uint32_t untilNextCheck(uint32_t now) {
  const uint32_t left = viewerState.nextReloadCheck - now;
  return left <= RELOAD_CHECK_INTERVAL_MS ? left : 0;
}

void discardMarkers(const SavegameMarkers &markers) {
  std::free(markers.packages);
  std::free(markers.rampages);
}

bool sameList(const PickupMarker *a, int32_t aCount, const PickupMarker *b, int32_t bCount) {
  return aCount == bCount && (aCount == 0 || std::memcmp(a, b, sizeof(PickupMarker) * aCount) == 0);
}

// Whether the lists on screen already are markers', bit for bit.
bool showsMarkers(const SavegameMarkers &markers) {
  return sameList(viewerState.packages, viewerState.packageCount, markers.packages, markers.packageCount) &&
         sameList(viewerState.rampages, viewerState.rampageCount, markers.rampages, markers.rampageCount);
}

// A newer version of the shown save takes the lists' place: what it no
// longer holds is kept as collected, and the route goes on from there.
void adoptReloadedMarkers(const SavegameMarkers &markers) {
  noteCollectedMarkers(markers);
  routeBeforeReload(markers);
  adoptSavegameMarkers(markers);
}

}  // namespace

bool sameFileStamp(const FileStamp &a, const FileStamp &b) {
  return a.exists == b.exists && a.size == b.size && a.modified == b.modified && a.changed == b.changed &&
         a.volume == b.volume && a.fileIndex == b.fileIndex;
}

void watchSavegame(const FileStamp &stamp) {
  viewerState.saveStamp = stamp;
  viewerState.reloadPending = 0;
  viewerState.reloadBusyWait = 0;
  // Without a watch the periodic look still finds every change.
  if (viewerState.saveFolder[0] != '\0') {
    watchSaveFolder();
  } else {
    platformWatchFile(viewerState.saveFileName);
  }
}

void watchSaveFolder() {
  const std::string pattern = std::string(viewerState.saveFolder) + "/" + SAVE_FOLDER_PATTERN;
  platformWatchFile(pattern.c_str());
}

bool followNewestSave() {
  ViewerState &state = viewerState;
  char newest[SAVE_PATH_SIZE];
  if (!platformNewestSave(state.saveFolder, newest, sizeof newest) || std::strcmp(newest, state.saveFileName) == 0) {
    return false;
  }
  // The game may be writing the slot right now: only a clean, steady read
  // counts, and a failed one is made again at the next look.
  const FileStamp stamp = platformFileStamp(newest);
  SavegameMarkers markers;
  if (readSteadySavegame(newest, stamp, &markers, nullptr) != STEADY_READ) return false;
  std::memcpy(state.saveFileName, newest, SAVE_PATH_SIZE);
  showOpenedSave(markers, stamp);
  return true;
}

bool reloadSavegameIfChanged(uint32_t now) {
  ViewerState &state = viewerState;
  if (state.saveFileName[0] == '\0' && state.saveFolder[0] == '\0') return false;
  const bool notified = platformTakeFileChange();
  if (!notified && untilNextCheck(now) > 0) return false;
  state.nextReloadCheck = now + RELOAD_CHECK_INTERVAL_MS;
  // In a followed folder another slot written takes the shown one's place.
  if (state.saveFolder[0] != '\0' && followNewestSave()) return true;
  if (state.saveFileName[0] == '\0') return false;

  const FileStamp before = platformFileStamp(state.saveFileName);
  // A notification is read even when the stamp stands still: a rewrite in
  // place that keeps the size and puts the write time back leaves a Windows
  // stamp as it was, and only the read shows whether anything changed.
  const bool onlyNotified = !state.reloadPending && sameFileStamp(before, state.saveStamp);
  if (onlyNotified && !notified) return false;
  state.saveStamp = before;
  state.reloadPending = 1;

  SavegameMarkers markers;
  const SteadyReadStatus status = readSteadySavegame(state.saveFileName, before, &markers, nullptr);
  // The game has the file open for writing: it is read soon after it is let
  // go, not a whole check later.
  if (status == STEADY_BUSY) {
    state.reloadBusyWait = state.reloadBusyWait == 0 ? RELOAD_BUSY_FIRST_MS
                                                     : std::min(2 * state.reloadBusyWait, RELOAD_RETRY_MS);
    state.nextReloadCheck = now + state.reloadBusyWait;
    return false;
  }
  state.reloadBusyWait = 0;
  if (status == STEADY_MOVED) state.nextReloadCheck = now + RELOAD_RETRY_MS;
  if (status != STEADY_READ) return false;

  state.reloadPending = 0;
  if (onlyNotified && showsMarkers(markers)) {
    discardMarkers(markers);
    return false;
  }
  adoptReloadedMarkers(markers);
  return true;
}

uint32_t millisecondsUntilReloadCheck(uint32_t now) {
  if (viewerState.saveFileName[0] == '\0' && viewerState.saveFolder[0] == '\0') return UINT32_MAX;
  return untilNextCheck(now);
}

bool reloadSavegameBytes(const unsigned char *bytes, size_t size) {
  SavegameMarkers markers;
  if (parseSavegame(bytes, size, &markers) != SAVEGAME_READ) return false;
  adoptReloadedMarkers(markers);
  return true;
}

SteadyReadStatus readSteadySavegame(const char *path, const FileStamp &before, SavegameMarkers *markers,
                                    std::string *bytes) {
  SavegameMarkers read;
  SavegameStatus status = SAVEGAME_OPEN_FAILED;
  if (!bytes) {
    status = readSavegameMarkers(path, &read);
  } else {
    int64_t size = 0;
    bool busy = false;
    FILE *file = platformOpenRegularFile(path, &size, &busy);
    if (busy) return STEADY_BUSY;
    // No save comes near this size; a file that does is not one to hold.
    constexpr int64_t MOST_SAVE_BYTES = 64 << 20;
    if (file && size > MOST_SAVE_BYTES) {
      std::fclose(file);
      status = SAVEGAME_DAMAGED;
    } else if (file) {
      bytes->resize(static_cast<size_t>(size));
      const bool whole = std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
      std::fclose(file);
      status = whole ? parseSavegame(reinterpret_cast<const unsigned char *>(bytes->data()), bytes->size(), &read)
                     : SAVEGAME_DAMAGED;
    }
  }
  if (status == SAVEGAME_BUSY) return STEADY_BUSY;
  if (status != SAVEGAME_READ) return STEADY_FAILED;
  // A write that landed during the read may have left half of one version and
  // half of the next in what was read, even when it parsed: only a file that
  // stood still counts.
  if (!sameFileStamp(platformFileStamp(path), before)) {
    discardMarkers(read);
    return STEADY_MOVED;
  }
  if (markers) {
    *markers = read;
  } else {
    discardMarkers(read);
  }
  return STEADY_READ;
}
