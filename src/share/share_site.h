// The site the share server hands out: where it is found and the fixed list
// of its files, read into memory once.
#pragma once

#include <string>

#include "share/share_table.h"

// The folder of the site: `asked` when given (--site); else, from the
// program's folder, ../share/package-viewer/web (installed), web (beside the
// program, as in the Windows zip) and, in a source tree's build, the
// build/web/site folder of the nearest folder above that has one. A folder
// counts when it holds index.html. Empty when none is found.
std::string findShareSite(const std::string &asked, const std::string &programFolder);

// The one line saying that no site was found and how to build one.
extern const char *const SHARE_SITE_MISSING;

// The map picture a shared page is to be handed instead of its own, the
// player's: `found`, the picture the viewer would load (the one in the folder
// it starts in, else the one the player aligned, kept in their data folder:
// findPicture's order), unless that is the program's bundled copy (the same
// file as `bundled`), which the page already has, compressed. Empty when the
// page's own is to be shown.
std::string playersOwnMap(const std::string &found, const std::string &bundled);

// Reads the site's files of the fixed list from `folder` into table->files
// (each also gzipped where that makes it smaller)
// (index.html also as the page's own name "", with <meta name="shared-save">
// added to its head, which makes the page follow the served save), taking the map picture from
// `mapPicture` instead when that names a readable file (the player's own).
// Returns false with a one-line reason when index.html cannot be read.
bool readShareSite(const std::string &folder, const std::string &mapPicture, ShareTable *table,
                   std::string *error);
