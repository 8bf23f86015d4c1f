// The savegame reader. A save holds, from offset 232, five blocks each led by
// its 32-bit byte count, two unused 32-bit values, the record count N and a
// table of N pickup records of 88 bytes. Every count is checked against the
// save's length before it is followed, so a short or damaged save is refused
// without a single allocation larger than the save. One walk serves a save in
// memory and a file read piece by piece; in a file, positions and lengths are
// 64-bit, so a save of 2 GiB or more is read like any other.
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
// The largest save copied whole before it is parsed: far more than a game
// writes, far less than a 32-bit process can spare.
constexpr int64_t COPIED_SAVE_LIMIT = 64 << 20;

const char *const ERROR_HEADING = "Error !";
const char *const OPEN_FAILED = "Error opening file !";
const char *const DAMAGED = "The savegame is truncated or damaged !";
const char *const OUT_OF_MEMORY = "Out of memory !";

// The save's bytes, read from a file piece by piece, so that a save too large
// to copy costs only its table in memory. The length is the file's, taken when
// it was opened; every count is checked against it before it is followed.
struct FileBytes {
  FILE *file;
  int64_t size;
  int64_t position = 0;
  unsigned char *table = nullptr;  // owned, released with the source

  FileBytes(FILE *opened, int64_t length) : file(opened), size(length) {}
  FileBytes(const FileBytes &) = delete;
  FileBytes &operator=(const FileBytes &) = delete;
  ~FileBytes() { std::free(table); }

  // Reads exactly `count` bytes, asking each time for all that is still
  // missing. A read that delivers nothing (end of file or an error) ends the
  // loop with false, so it always ends.
  bool read(unsigned char *into, size_t count) {
    size_t have = 0;
    while (have < count) {
      size_t got = std::fread(into + have, 1, count - have, file);
      if (got == 0) return false;
      have += got;
    }
    position += static_cast<int64_t>(count);
    return true;
  }

  bool seek(int64_t offset) {
    if (!platformSeekFile(file, offset)) return false;
    position = offset;
    return true;
  }

  // The next `count` bytes, read into a block of their own.
  SavegameStatus readTable(size_t count, const unsigned char **records) {
    if (count == 0) return SAVEGAME_READ;
    table = static_cast<unsigned char *>(std::malloc(count));
    if (!table) return SAVEGAME_OUT_OF_MEMORY;
    if (!read(table, count)) return SAVEGAME_DAMAGED;
    *records = table;
    return SAVEGAME_READ;
  }
};

// The save's bytes, already in memory: the table is read where it lies.
struct MemoryBytes {
  const unsigned char *bytes;
  int64_t size;
  int64_t position = 0;

  bool read(unsigned char *into, size_t count) {
    std::memcpy(into, bytes + position, count);
    position += static_cast<int64_t>(count);
    return true;
  }

  bool seek(int64_t offset) {
    position = offset;
    return true;
  }

  SavegameStatus readTable(size_t count, const unsigned char **records) {
    *records = bytes + position;
    position += static_cast<int64_t>(count);
    return SAVEGAME_READ;
  }
};

template <class Bytes>
bool readInt32(Bytes &save, int32_t *value) {
  unsigned char bytes[4];
  if (save.size - save.position < 4 || !save.read(bytes, 4)) return false;
  uint32_t raw = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                 (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  std::memcpy(value, &raw, sizeof raw);
  return true;
}

template <class Bytes>
bool skipBytes(Bytes &save, int32_t count) {
  if (count < 0 || count > save.size - save.position) return false;
  return save.seek(save.position + count);
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

// Moves to the pickup table and returns its record count, or false when the
// layout does not fit inside the save.
template <class Bytes>
bool findPickupTable(Bytes &save, int32_t *recordCount) {
  if (save.size < SKIPPED_PREFIX || !save.seek(SKIPPED_PREFIX)) return false;
  for (int block = 0; block < SKIPPED_BLOCKS; ++block) {
    int32_t length;
    if (!readInt32(save, &length) || !skipBytes(save, length)) return false;
  }
  int32_t unused;
  if (!readInt32(save, &unused) || !readInt32(save, &unused)) return false;
  if (!readInt32(save, recordCount)) return false;
  return *recordCount >= 0 && *recordCount * RECORD_SIZE <= save.size - save.position;
}

// Reads the table and builds fresh lists in *markers (both allocated, with
// room for 100 and 35). On failure nothing stays allocated and *markers is
// untouched.
template <class Bytes>
SavegameStatus readMarkers(Bytes &save, SavegameMarkers *markers) {
  int32_t recordCount;
  if (!findPickupTable(save, &recordCount)) return SAVEGAME_DAMAGED;

  // A table that fits in the file may still not fit in memory: on 32-bit
  // Windows a table of 4 GiB or more cannot even be sized.
  int64_t tableLength = recordCount * RECORD_SIZE;
  if (static_cast<uint64_t>(tableLength) > SIZE_MAX) return SAVEGAME_OUT_OF_MEMORY;
  const unsigned char *table = nullptr;
  SavegameStatus status = save.readTable(static_cast<size_t>(tableLength), &table);
  if (status != SAVEGAME_READ) return status;

  SavegameMarkers read;
  read.packages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * PACKAGE_CAPACITY));
  read.rampages = static_cast<PickupMarker *>(std::malloc(sizeof(PickupMarker) * RAMPAGE_CAPACITY));
  if (!read.packages || !read.rampages) {
    std::free(read.packages);
    std::free(read.rampages);
    return SAVEGAME_OUT_OF_MEMORY;
  }
  for (int32_t i = 0; i < recordCount; ++i) {
    const unsigned char *record = table + i * RECORD_SIZE;
    unsigned char kind = record[KIND_OFFSET];
    if (kind == PICKUP_KIND_PACKAGE) {
      if (read.packageCount < PACKAGE_CAPACITY) read.packages[read.packageCount++] = markerFromRecord(record);
      ++read.packageTotal;
    } else if (kind == PICKUP_KIND_RAMPAGE) {
      if (read.rampageCount < RAMPAGE_CAPACITY) read.rampages[read.rampageCount++] = markerFromRecord(record);
      ++read.rampageTotal;
    }
  }
  *markers = read;
  return SAVEGAME_READ;
}

}  // namespace

SavegameStatus parseSavegame(const unsigned char *bytes, size_t size, SavegameMarkers *markers) {
  MemoryBytes save{bytes, static_cast<int64_t>(size)};
  return readMarkers(save, markers);
}

SavegameStatus readSavegameMarkers(const char *path, SavegameMarkers *markers) {
  // Only a regular file is opened: a folder, FIFO or device is refused at
  // once rather than read as a damaged save (or waited on for ever).
  int64_t size = 0;
  bool busy = false;
  FILE *file = platformOpenRegularFile(path, &size, &busy);
  if (!file) return busy ? SAVEGAME_BUSY : SAVEGAME_OPEN_FAILED;
  // While the file is open the game cannot write it (on Windows), so a save
  // of any size a game writes is copied and the file let go before the copy
  // is parsed. Only a larger file, or one whose copy finds no memory, is read
  // piece by piece while it is parsed.
  unsigned char *copy = size <= COPIED_SAVE_LIMIT ? static_cast<unsigned char *>(std::malloc(size ? size : 1))
                                                   : nullptr;
  if (copy) {
    size_t have = 0;
    for (size_t got = 1; have < static_cast<size_t>(size) && got > 0; have += got) {
      got = std::fread(copy + have, 1, static_cast<size_t>(size) - have, file);
    }
    std::fclose(file);
    // A file cut short since it was opened is parsed as what could be read.
    const SavegameStatus status = parseSavegame(copy, have, markers);
    std::free(copy);
    return status;
  }
  SavegameStatus status;
  {
    FileBytes save(file, size);
    status = readMarkers(save, markers);
  }
  std::fclose(file);
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
  const SavegameStatus status = readSavegameMarkers(viewerState.saveFileName, &markers);
  if (status != SAVEGAME_READ) {
    showSavegameError(status);
    return false;
  }
  adoptSavegameMarkers(markers);
  return true;
}

void showSavegameError(SavegameStatus status) {
  switch (status) {
    case SAVEGAME_READ:
      return;
    case SAVEGAME_OPEN_FAILED:
    case SAVEGAME_BUSY:
      showErrorBox(OPEN_FAILED, ERROR_HEADING);
      return;
    case SAVEGAME_OUT_OF_MEMORY:
      showErrorBox(OUT_OF_MEMORY, ERROR_HEADING);
      return;
    case SAVEGAME_DAMAGED:
      break;
  }
  showErrorBox(DAMAGED, ERROR_HEADING);
}

bool loadSavegameBytes(const unsigned char *bytes, size_t size) {
  SavegameMarkers markers;
  const SavegameStatus status = bytes ? parseSavegame(bytes, size, &markers) : SAVEGAME_OPEN_FAILED;
  if (status != SAVEGAME_READ) {
    showSavegameError(status);
    return false;
  }
  adoptSavegameMarkers(markers);
  return true;
}

void showErrorBox(const char *message, const char *heading) {
  char text[256];
  std::snprintf(text, sizeof text, "%s : %s", heading, message);
  platformShowMessageBox(MESSAGE_OWNER_MAIN_WINDOW, "KZR Package Viewer", text);
}
