// The services of platform.h in a web page. The page has no files of its
// own: the pictures are fetched and the saves read by the browser, and both
// reach the core as bytes (initGraphicsFromMemory, openSavegameBytes,
// reloadSavegameBytes). So every service that opens a file by name finds
// none, and the page follows a save through the file's handle instead of a
// stamp.
#include <cstdio>

#include "image/dib_convert.h"
#include "platform/platform.h"
#include "platform/web/web_page.h"

void platformShowMessageBox(MessageBoxOwner, const char *caption, const char *text) {
  // The page's box is modal to the canvas but cannot hold up the caller: it
  // returns at once, and the box stays until the user presses OK.
  webShowMessageBox(caption, text);
}

bool platformMapFile(const char *, FileView *) { return false; }

void platformUnmapFile(FileView *) {}

FILE *platformOpenRegularFile(const char *, int64_t *, bool *busy) {
  if (busy) *busy = false;
  return nullptr;
}

bool platformSeekFile(FILE *, int64_t) { return false; }

FileStamp platformFileStamp(const char *) { return {}; }

// No folder to watch: the page looks at the file's handle itself.
bool platformWatchFile(const char *) { return false; }

bool platformTakeFileChange() { return false; }

// A page is handed files, never folders.
bool platformIsFolder(const char *) { return false; }

bool platformNewestSave(const char *, char *, size_t) { return false; }

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return convertDibPortable(source, rgb);
}

// The browser shows what was drawn once the animation frame returns.
void platformSwapBuffers() { webFrameDrawn(); }

// The picker runs by itself; what the user picks arrives later through
// webOpenSave, so nothing is chosen now.
bool platformChooseSavegame(char *) {
  webChooseSavegame();
  return false;
}

// The picture chooser and the question are the own map's (web_own_map.cpp).

// The page keeps what it needs in the browser's own storage, not in files.
bool platformUserFolder(UserFolder, bool, char *, size_t) { return false; }

bool platformReplaceFile(const char *, const void *, size_t, bool, char *reason, size_t reasonSize) {
  if (reason && reasonSize > 0) std::snprintf(reason, reasonSize, "the page keeps no files");
  return false;
}
