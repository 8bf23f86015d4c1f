// The open-savegame dialog: the platform's file chooser, then the reader.
#pragma once

#include <cstddef>

#include "platform/platform.h"

struct SavegameMarkers;

// Shows the platform's open-file chooser (title "Open a File", one filter
// "KZR TH Savegames" for "*.b", an empty name every time). When the user
// confirms a file whose path fits in 259 bytes, the save is read at once, as
// loadSavegame reads it: when it reads cleanly, all 260 bytes of the chosen
// path (the path, its terminator and the zero bytes behind it) are copied
// into destination, a 260-byte buffer (the one caller passes saveFileName),
// its markers are shown and it is followed from then on. A save that does not
// read gets the reader's box and changes nothing, neither the markers nor the
// save followed; so do cancelling, a failed chooser or a longer path, without
// a box. Returns when the chooser has closed and any load has finished.
void openSavegameDialog(char *destination);

// What the user is told about a path too long for the 260-byte savegame name.
constexpr char PATH_TOO_LONG[] = "The path of the chosen file is too long !";

// Opens the save at path exactly as if it had been chosen in the dialog: read
// at once, with the reader's boxes on failure; only a save that read cleanly
// goes into saveFileName and is followed as the game rewrites it. A path
// longer than 259 bytes gets a box and changes nothing; an empty one changes
// nothing. Returns whether the lists were replaced. Used for a save named on
// the command line or dropped on the window.
// A path that names a folder follows that folder's saves (openSaveFolder).
bool openSavegameFile(const char *path);

// Follows the saves in `folder` (a path that fits in 259 bytes, else a box
// and nothing changes): its newest save (*.b) is read at once, quietly, and
// shown as a save opened afresh; whenever another of its saves becomes the
// newest (the game wrote another slot), that one is opened afresh in turn (see
// reloadSavegameIfChanged). A folder without a save yet says so on the status
// line, and what was shown stays until its first save. Returns whether the
// lists were replaced.
bool openSaveFolder(const char *folder);

// The status line of a folder that has no save yet, the folder's path behind.
constexpr char WAITING_FOR_FIRST_SAVE[] = "Waiting for the game's first save in ";

// Shows `markers`, just read from the save in saveFileName in its version
// `stamp`, as a save opened afresh: nothing collected is kept, the route is
// planned anew where one was shown, and the save is followed from now on.
void showOpenedSave(const SavegameMarkers &markers, const FileStamp &stamp);

// openSavegameFile for a save whose bytes the platform read itself (the
// browser's file picker or a drop): name is the file's name, the bytes are
// read at once with the reader's boxes on failure, and name goes into
// saveFileName only when the lists were replaced. The platform follows the
// file itself (see reloadSavegameBytes). Returns whether the lists were
// replaced.
bool openSavegameBytes(const char *name, const unsigned char *bytes, size_t size);

// Turns what a chooser printed into a path: the text, less one trailing line
// feed. On success path (260 bytes) holds it followed by zero bytes. Refuses,
// leaving path untouched, an empty path, one longer than 259 bytes and one
// with a NUL inside.
bool acceptChosenPath(const char *text, size_t length, char *path);

// What a platform's chooser tells the user, through showErrorBox under this
// heading, when it could not be opened or failed and when the chosen path is
// longer than 259 bytes: the same on every platform. A cancel tells nothing.
constexpr char CHOOSER_ERROR_HEADING[] = "Error !";
constexpr char CHOOSER_FAILED_MESSAGE[] = "The file dialog could not be opened !";
constexpr char CHOSEN_PATH_TOO_LONG_MESSAGE[] = "The path of the chosen file is too long !";
