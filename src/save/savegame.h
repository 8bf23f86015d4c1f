// Reading the pickup table of a savegame into the marker lists.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr unsigned char PICKUP_KIND_PACKAGE = 154;
constexpr unsigned char PICKUP_KIND_RAMPAGE = 127;

struct PickupMarker;

// What reading a savegame came to.
enum SavegameStatus {
  SAVEGAME_READ,         // the lists hold the save's markers
  SAVEGAME_OPEN_FAILED,    // the file could not be opened, or is not a regular file
  SAVEGAME_DAMAGED,        // the file is truncated or its layout does not fit in it
  SAVEGAME_OUT_OF_MEMORY,  // the pickup table or the lists could not be allocated
  SAVEGAME_BUSY,           // another program has the file open for writing (Windows): not read,
                           // worth trying again shortly
};

// Marker lists read from one save, not yet in viewerState. Both lists come
// from malloc with room for 100 and 35 markers. The totals count every
// package and rampage record of the save's table, kept in a list or not.
struct SavegameMarkers {
  PickupMarker *packages = nullptr;
  int32_t packageCount = 0;
  PickupMarker *rampages = nullptr;
  int32_t rampageCount = 0;
  int32_t packageTotal = 0;
  int32_t rampageTotal = 0;
};

// Reads the markers of the save held in bytes[0, size), as readSavegameMarkers
// reads a file (SAVEGAME_OPEN_FAILED aside).
SavegameStatus parseSavegame(const unsigned char *bytes, size_t size, SavegameMarkers *markers);

// Reads the named savegame's markers, in file order (the first 100 packages
// and 35 rampages; any beyond are dropped), into fresh lists in *markers.
// Shows no box and touches no state; on any status but SAVEGAME_READ nothing
// is allocated and *markers is untouched. The file is open only while its
// bytes are copied (parsing comes after it is closed), and where the platform
// can keep writers out (Windows) no one writes it meanwhile: a file that
// another program is writing is not read at all (SAVEGAME_BUSY).
SavegameStatus readSavegameMarkers(const char *path, SavegameMarkers *markers);

// Replaces viewerState's lists and counts, together, with *markers (whose
// lists viewerState then owns), releasing the lists it held before.
void adoptSavegameMarkers(const SavegameMarkers &markers);

// Reads the savegame named by viewerState.saveFileName and replaces the
// package and rampage lists and counts with its markers. A file that cannot
// be opened or is not a regular file ("Error ! : Error opening file !"), that
// is truncated or damaged, or whose table does not fit in memory ("Error ! :
// Out of memory !") is reported in one message box and leaves the lists and
// counts exactly as they were. Returns whether the lists were replaced.
bool loadSavegame();

// The one box loadSavegame shows for a save that did not read (status is
// anything but SAVEGAME_READ, which shows nothing).
void showSavegameError(SavegameStatus status);

// loadSavegame for a save whose bytes[0, size) are already in memory (a file
// the browser read): the same lists, boxes and result. Null bytes stand for a
// file the platform could not read: the box of a file that cannot be opened.
bool loadSavegameBytes(const unsigned char *bytes, size_t size);

// Shows "heading : message" in a modal box owned by the main window, under
// the caption "KZR Package Viewer".
void showErrorBox(const char *message, const char *heading);
