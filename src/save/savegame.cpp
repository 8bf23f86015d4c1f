// The savegame reader. A save holds, from offset 232, five blocks each led by
// its 32-bit byte count, two unused 32-bit values, the record count N and a
// table of N pickup records of 88 bytes. Every count is checked against the
// file's length before it is followed, so a short or damaged file is refused
// without a single allocation larger than the file. Positions and lengths are
// 64-bit: a save of 2 GiB or more is read like any other.
#include "save/savegame.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/viewer_state.h"
#include "platform/platform.h"

namespace {

constexpr int64_t SKIPPED_PREFIX = 232;
constexpr int SKIPPED_BLOCKS = 5;
constexpr int64_t RECORD_SIZE = 88;
constexpr size_t KIND_OFFSET = 0;
constexpr size_t X_OFFSET = 6;
constexpr size_t Y_OFFSET = 10;
constexpr size_t Z_OFFSET = 14;

const char *const ERROR_HEADING = "Error !";
const char *const OPEN_FAILED = "Error opening file !";
const char *const DAMAGED = "The savegame is truncated or damaged !";
const char *const OUT_OF_MEMORY = "Out of memory !";

// A file opened for reading, with the length that every count is checked against.
struct SaveFile {
  FILE *file;
  int64_t size;
  int64_t position;
};

bool readInt32(SaveFile &save, int32_t *value) {
  unsigned char bytes[4];
  if (save.size - save.position < 4 || std::fread(bytes, 1, 4, save.file) != 4) return false;
  save.position += 4;
  uint32_t raw = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                 (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  std::memcpy(value, &raw, sizeof raw);
  return true;
}

bool skipBytes(SaveFile &save, int32_t count) {
  if (count < 0 || count > save.size - save.position) return false;
  if (!platformSeekFile(save.file, save.position + count)) return false;
  save.position += count;
  return true;
}

// Reads exactly `bytes` bytes into buffer, asking each time for all that is
// still missing. A read that delivers nothing (end of file or an error) ends
// the loop with false, so it always ends.
bool readTable(SaveFile &save, unsigned char *buffer, size_t bytes) {
  size_t have = 0;
  while (have < bytes) {
    size_t got = std::fread(buffer + have, 1, bytes - have, save.file);
    if (got == 0) return false;
    have += got;
  }
  save.position += static_cast<int64_t>(bytes);
  return true;
}

PickupMarker markerFromRecord(const unsigned char *record) {
  // The floats sit at offsets 6, 10 and 14, which are not 4-byte aligned, so
  // each is copied out byte for byte.
  PickupMarker marker;
  std::memcpy(&marker.x, record + X_OFFSET, 4);
  std::memcpy(&marker.y, record + Y_OFFSET, 4);
  std::memcpy(&marker.z, record + Z_OFFSET, 4);
  return marker;
}

// Positions the file at the pickup table and returns its record count, or
// false when the layout does not fit inside the file.
bool seekPickupTable(SaveFile &save, int32_t *recordCount) {
  if (save.size < SKIPPED_PREFIX || !platformSeekFile(save.file, SKIPPED_PREFIX)) return false;
  save.position = SKIPPED_PREFIX;
  for (int block = 0; block < SKIPPED_BLOCKS; ++block) {
    int32_t length;
    if (!readInt32(save, &length) || !skipBytes(save, length)) return false;
  }
  int32_t unused;
  if (!readInt32(save, &unused) || !readInt32(save, &unused)) return false;
  if (!readInt32(save, recordCount)) return false;
  return *recordCount >= 0 && *recordCount * RECORD_SIZE <= save.size - save.position;
}

// Reads the table and builds fresh lists; on success they are in *packages
// and *rampages (both allocated, capacity 100 and 35) with their counts. On
// failure nothing stays allocated.
SavegameStatus readMarkers(SaveFile &save, PickupMarker **packages, int32_t *packageCount,
                           PickupMarker **rampages, int32_t *rampageCount) {
  int32_t recordCount;
  if (!seekPickupTable(save, &recordCount)) return SAVEGAME_DAMAGED;

  // A table that fits in the file may still not fit in memory: on 32-bit
  // Windows a table of 4 GiB or more cannot even be sized.
  int64_t tableLength = recordCount * RECORD_SIZE;
  if (static_cast<uint64_t>(tableLength) > SIZE_MAX) return SAVEGAME_OUT_OF_MEMORY;
  size_t tableBytes = static_cast<size_t>(tableLength);
  unsigned char *table = nullptr;
  if (tableBytes > 0) {
    table = static_cast<unsigned char *>(std::malloc(tableBytes));
    if (!table) return SAVEGAME_OUT_OF_MEMORY;
    if (!readTable(save, table, tableBytes)) {
      std::free(table);
      return SAVEGAME_DAMAGED;
    }
  }

  *packages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * PACKAGE_CAPACITY));
  *rampages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * RAMPAGE_CAPACITY));
  if (!*packages || !*rampages) {
    std::free(*packages);
    std::free(*rampages);
    std::free(table);
    return SAVEGAME_OUT_OF_MEMORY;
  }

  *packageCount = 0;
  *rampageCount = 0;
  for (int32_t i = 0; i < recordCount; ++i) {
    const unsigned char *record = table + i * RECORD_SIZE;
    unsigned char kind = record[KIND_OFFSET];
    if (kind == PICKUP_KIND_PACKAGE) {
      if (*packageCount < PACKAGE_CAPACITY) (*packages)[(*packageCount)++] = markerFromRecord(record);
    } else if (kind == PICKUP_KIND_RAMPAGE) {
      if (*rampageCount < RAMPAGE_CAPACITY) (*rampages)[(*rampageCount)++] = markerFromRecord(record);
    }
  }
  std::free(table);
  return SAVEGAME_READ;
}

}  // namespace

SavegameStatus readSavegameMarkers(const char *path, SavegameMarkers *markers) {
  // Only a regular file is opened: a folder, FIFO or device is refused at
  // once rather than read as a damaged save (or waited on for ever).
  SaveFile save{nullptr, 0, 0};
  save.file = platformOpenRegularFile(path, &save.size);
  if (!save.file) return SAVEGAME_OPEN_FAILED;

  SavegameMarkers read;
  SavegameStatus status =
      readMarkers(save, &read.packages, &read.packageCount, &read.rampages, &read.rampageCount);
  std::fclose(save.file);
  if (status == SAVEGAME_READ) *markers = read;
  return status;
}

void adoptSavegameMarkers(const SavegameMarkers &markers) {
  // Both lists and both counts change together, only once the whole table has
  // been read.
  std::free(viewerState.packages);
  std::free(viewerState.rampages);
  viewerState.packages = markers.packages;
  viewerState.packageCount = markers.packageCount;
  viewerState.rampages = markers.rampages;
  viewerState.rampageCount = markers.rampageCount;
}

bool loadSavegame() {
  SavegameMarkers markers;
  switch (readSavegameMarkers(viewerState.saveFileName, &markers)) {
    case SAVEGAME_READ:
      adoptSavegameMarkers(markers);
      return true;
    case SAVEGAME_OPEN_FAILED:
      showErrorBox(OPEN_FAILED, ERROR_HEADING);
      return false;
    case SAVEGAME_OUT_OF_MEMORY:
      showErrorBox(OUT_OF_MEMORY, ERROR_HEADING);
      return false;
    case SAVEGAME_DAMAGED:
      break;
  }
  showErrorBox(DAMAGED, ERROR_HEADING);
  return false;
}

void showErrorBox(const char *message, const char *heading) {
  char text[256];
  std::snprintf(text, sizeof text, "%s : %s", heading, message);
  platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, "KZR Package Viewer", text);
}
