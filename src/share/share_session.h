// Sharing from the desktop viewer ('Q', --share): the server on the local
// network behind the kept token (share_token.h), on port 8765 or a free one when that is
// taken, handing out whichever save the viewer shows. A thread of its own
// follows the save through the steady read, looking when the viewer says
// the save changed and a few times a second besides.
#pragma once

#include <string>

// Starts sharing the site in `site` (the map picture taken from mapPicture
// where that names one). Returns false with a one-line reason in *error.
// *address is the page's address on the local network.
bool startViewerShare(const std::string &site, const std::string &mapPicture, std::string *address,
                      std::string *error);

// The save the viewer shows now (an empty path: none). Main thread.
void shareViewerSave(const char *path);

// The viewer read a new version of its save: look now. Main thread.
void noteViewerSaveChanged();

// Ends the sharing, if it was started.
void stopViewerShare();
