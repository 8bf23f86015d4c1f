// The few services the core asks of the platform it runs on. Each platform
// layer (win32, sdl, headless) provides every function declared here; the core
// calls nothing platform-specific except through this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Who owns a message box. The savegame reader's boxes belong to the main
// window; the image loader's boxes belong to whichever window has the keyboard
// focus at that moment (possibly none).
enum MessageBoxOwner {
  MESSAGE_OWNER_MAIN_WINDOW,
  MESSAGE_OWNER_FOCUS_WINDOW,
};

// Shows a modal box with the given caption and text and one OK button, and
// returns when the user has dismissed it. Never fails in a way the caller must
// handle; a platform that cannot show a box reports the text as best it can.
void platformShowMessageBox(MessageBoxOwner owner, const char *caption, const char *text);

// A read-only view of all the bytes of a file.
struct FileView {
  const unsigned char *bytes;  // first byte of the file; valid until platformUnmapFile
  size_t size;                 // number of readable bytes, never 0 for a mapped view
  intptr_t handles[3];         // platform bookkeeping (file, mapping, view)
};

// Makes every byte of the named file readable in memory without copying it.
// The name is an 8-bit path, opened unchanged (relative to the working
// directory). Returns false, with nothing left open, when the file cannot be
// opened or mapped; an empty file cannot be mapped and also gives false, and
// so does anything but a regular file (a folder, FIFO, device or socket), at
// once and without blocking.
bool platformMapFile(const char *name, FileView *view);

// Releases what platformMapFile obtained (view, then mapping, then file).
void platformUnmapFile(FileView *view);

// Opens the named file for binary reading ("rb") if it is a regular file, and
// stores its length in bytes in *size. A folder, FIFO, device or socket is
// refused at once, without blocking and without reading from it. Returns null,
// with nothing left open, when the file cannot be opened or is not a regular
// file; otherwise the caller closes the file with fclose, as soon as it can.
// On Windows no other program may write the file while it is open (reading
// stays shared), and a file that another program holds open for writing, or
// shares with no one, is not opened: null, with *busy (when given) set to
// true, since it is being written and worth trying again shortly. *busy is
// false in every other case, and always on POSIX, where readers keep no one
// out. A file that is missing or may not be read leaves errno saying so
// (ENOENT, EACCES); one that is there but not a regular file leaves it as it
// was.
FILE *platformOpenRegularFile(const char *name, int64_t *size, bool *busy = nullptr);

// Moves the read position of a file from platformOpenRegularFile to offset
// bytes from its start. Offsets of 2 GiB and more work on every platform
// (fseek takes a long, which is 32 bits on Windows). Returns false on failure.
bool platformSeekFile(FILE *file, int64_t offset);

// Outcome of converting a DIB to packed RGB rows.
enum DibConvertResult {
  DIB_CONVERTED,         // every row was written
  DIB_OUT_OF_MEMORY,     // the converter could not get the memory or objects it needs
  DIB_CONVERSION_ERROR,  // the source could not be decoded (0 lines converted)
};

struct DibHeader;

// The source handed to the DIB converter. Every pointer stays valid for the
// whole call; the converter copies nothing out of it that outlives the call.
struct DibSource {
  const DibHeader *header;          // the widened 40-byte header, followed by its colour entries
  uint32_t colourCount;             // colour entries that follow header in its block (the
                                    // header's biClrUsed may say more; never read past these)
  const unsigned char *colourMasks; // red, green and blue masks (3 x 32 bits, little-endian)
                                    // for bit-field images, else null
  const unsigned char *pixels;      // first byte of the pixel data inside the file view
  size_t pixelBytes;                // bytes readable from pixels up to the end of the file
};

// Decodes the source as the BMP format defines for its bit count and
// compression and writes |height| rows of width pixels, 3 bytes each in red,
// green, blue order, with no row padding, into rgb (|height| x width x 3 bytes,
// supplied by the caller, zero-filled). Rows are written bottom row first
// whatever the source's row order, so that a top-down source comes out the
// same as its bottom-up twin. Pixels that a compressed source skips come out
// black: they may be left unwritten. Palette indices beyond the colour entries come
// out black. Never reads outside [pixels, pixels + pixelBytes) nor past the
// colour entries. Pixel data that ends before the picture is complete (an RLE
// stream that runs out before its end-of-bitmap code while rows remain, too)
// is a conversion error, never a partly black picture. The caller has checked
// that width is 1 to DIB_MAX_SIDE and |height| 1 to DIB_MAX_SIDE; the rest of
// the header (planes, bit count, compression, masks) is the converter's to check.
DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb);

// Presents the frame just drawn into the back buffer of the main window.
void platformSwapBuffers();

// Shows the platform's open-file chooser, modal over the main window: title
// "Open a File", the one filter "KZR TH Savegames" for "*.b", an empty name
// field and no name kept from an earlier call. The folder it starts in is the
// platform's choice (on Linux that of viewerState.saveFileName, or the working
// directory). No existence check is asked for, so a typed name of a missing
// file is returned like any other. path is a 260-byte buffer, all zero bytes
// on entry. Returns true when the user confirmed a file whose full path fits
// in 259 bytes, with that path in path, NUL-terminated. Returns false for a
// cancel, silently; and for a chooser that failed or could not be started, a
// longer path, and an answer that cannot be the chosen file, after telling
// the user through showErrorBox (CHOOSER_FAILED_MESSAGE and
// CHOSEN_PATH_TOO_LONG_MESSAGE of save/open_dialog.h where they apply). While
// the chooser is open no controls run, but the main window is still redrawn
// when it needs it.
bool platformChooseSavegame(char *path);

// What tells one version of a file from the next (compared only for
// equality, in the platform's own units): the file's identity, so that a file
// renamed onto the name is another file even with the same size and times,
// its size and the time it was last written and, where the platform keeps
// one, the time its inode last changed (any write or rename moves it, even
// one that leaves the write time where it was).
struct FileStamp {
  bool exists;       // false when the file could not be looked at (missing, say)
  int64_t size;
  int64_t modified;
  int64_t changed;   // 0 where the platform has no such time
  int64_t volume;    // the device or volume the file lives on
  int64_t fileIndex; // the file's number on that volume (inode, file index)
};

// Looks at the named file's identity, size and times without reading it (one
// stat on POSIX; on Windows the file is opened for no access, sharing
// everything, and asked about, so that it never stands in a writer's way). A
// file that cannot be looked at gives a stamp with exists false and every
// other field zero.
FileStamp platformFileStamp(const char *name);

// Change notification for the followed save. Watches the folder of the named
// file for a write of that file that has ended and for a file renamed or
// moved onto its name, in place of any earlier watch; an empty name ends the
// watch (and whatever the platform runs for it; the program does so before it
// ends). When such a change happens the platform wakes its main loop (an
// event or a message that ends its wait, never a busy poll) and the next
// platformTakeFileChange returns true. A notification only says "look now":
// it may come for a change that leaves the save as it was, and a change may
// come without one (a network folder, a watch that could not be set up), so
// the caller still compares stamps and still looks now and then. A name whose
// last part is SAVE_FOLDER_PATTERN ("*.b") watches every save of its folder:
// any file whose name ends in ".b", any case. Returns false when the folder
// cannot be watched. Main thread only.
constexpr char SAVE_FOLDER_PATTERN[] = "*.b";
// Whether a file name of `length` characters (narrow or wide) is one that
// SAVE_FOLDER_PATTERN matches: it ends in ".b", any case.
template <class Char>
bool isSaveFileName(const Char *name, size_t length) {
  return length > 2 && name[length - 2] == '.' && (name[length - 1] == 'b' || name[length - 1] == 'B');
}
bool platformWatchFile(const char *name);

// Whether a change of the watched file was noticed since the last call;
// clears the note. Main thread only.
bool platformTakeFileChange();

// Whether `path` names a folder (through links).
bool platformIsFolder(const char *path);

// The newest save in `folder`: of its regular files whose names end in ".b"
// (any case), the one written last, a tie going to the name first in byte
// order. Its path (the folder, a separator, the name) goes into path, `size`
// bytes, zero-filled behind. False when the folder holds none, cannot be read
// or the path would not fit.
bool platformNewestSave(const char *folder, char *path, size_t size);

// The player's own folders, where a program keeps what it needs between runs
// (never beside the program, which may not be writable):
// - USER_DATA_FOLDER: what the player made, such as an aligned map of their
//   own ($XDG_DATA_HOME/package-viewer, ~/.local/share/package-viewer when
//   that is unset or not absolute);
// - USER_CONFIG_FOLDER: settings, such as the sharing address
//   ($XDG_CONFIG_HOME/package-viewer, ~/.config/package-viewer);
// both "%APPDATA%\KZR Package Viewer" on Windows.
enum UserFolder { USER_DATA_FOLDER, USER_CONFIG_FOLDER };

// The path of one of the player's folders, without a separator at its end, in
// path (`size` bytes, NUL-terminated). With create, the folder and its missing
// parents are made (the folder itself readable by its owner alone). False when
// the platform has no such folder (no home folder; the page, which keeps what
// it needs in the browser), the path does not fit, or, with create, the
// folder cannot be made.
bool platformUserFolder(UserFolder which, bool create, char *path, size_t size);

// Writes `size` bytes as the whole content of the file `path` in one step:
// into a new file beside it, flushed to the disk, which then takes its name
// and replaces what was there, so that a crash or a full disk never leaves a
// half-written file under that name. ownerOnly makes the file readable and
// writable by its owner alone (a secret); otherwise it gets the rights a new
// file gets there. On failure, nothing under `path` has changed, no temporary
// file is left, and `reason` (reasonSize bytes, when given) holds the
// system's words for what went wrong.
bool platformReplaceFile(const char *path, const void *bytes, size_t size, bool ownerOnly, char *reason,
                         size_t reasonSize);

// Shows the platform's open-file chooser for a picture of the game's map,
// modal over the main window: title "Choose a Picture of the Map", one filter
// "Pictures" for PNG, JPEG, GIF, TGA and BMP files (any case), starting where
// the platform likes. path is a 260-byte buffer, all zero bytes on entry.
// Returns true when the user confirmed a file whose full path fits in 259
// bytes, with that path in path; false for a cancel, silently, and for a
// chooser that failed, after telling the user. The page's picker answers later
// by itself and returns false here.
bool platformChoosePicture(char *path);

// Asks the player a question in a modal box with Yes and No buttons (No the
// default); true for Yes. A platform that cannot ask answers No.
bool platformAskQuestion(const char *caption, const char *text);
