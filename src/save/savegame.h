// Reading the pickup table of a savegame into the marker lists.
#pragma once

constexpr unsigned char PICKUP_KIND_PACKAGE = 154;
constexpr unsigned char PICKUP_KIND_RAMPAGE = 127;

// Reads the savegame named by viewerState.saveFileName and replaces the
// package and rampage lists and counts with its markers, in file order (the
// first 100 packages and 35 rampages; any beyond are dropped). A file that
// cannot be opened, or that is truncated or damaged, is reported in one
// message box and leaves the lists and counts exactly as they were.
void loadSavegame();

// Shows "heading : message" in a modal box owned by the main window, under
// the caption "KZR Package Viewer".
void showErrorBox(const char *message, const char *heading);
