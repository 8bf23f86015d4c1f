// F12's picture: the frame just drawn, saved as a PNG beside the save.
#pragma once

#include <ctime>
#include <string>

// Where the picture of a frame drawn at `when` (local time) goes: the folder
// of the save named saveFileName, or the working folder without one, under
// the save's name less its extension (or "package-viewer"), the date and the
// time, e.g. "saves/slot1-2026-12-07-203015.png". A name already taken gets
// "-2", "-3", ... so that no earlier picture is overwritten.
std::string screenshotPath(const char *saveFileName, const std::tm &when);

// When F12 asked for it (viewerState.screenshotWanted), reads the frame in
// the back buffer (call after drawing, before the swap) and writes it to
// screenshotPath, then says in the status line where ("Saved picture: PATH")
// or why not ("Picture not saved: PATH: REASON").
void saveScreenshotIfWanted();
