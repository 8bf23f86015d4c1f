// The player's own map in the page: what the page's script (web_own_map.js)
// does for it, and the call the page's frame makes (web_own_map.cpp).
#pragma once

#include <cstdint>

extern "C" {
// Wires the Map button's picker, the align bar and the question, and starts
// reading the map kept in the browser, which the fetched pictures wait for.
void webInstallOwnMap();
// Opens the browser's picker for a picture; what the player picks arrives
// through webAlignPicture.
void webChoosePicture();
// Asks a yes/no question in the page (No the default); Yes calls webForgetOwnMap.
void webAskQuestion(const char *caption, const char *text);
// Aligning began or ended, a picture was kept (kept 1, at the placement
// given) or the align mode's status line changed.
void webOwnMapChanged(int aligning, int kept, double left, double top, double unitsPerPixel, const char *status);
}

// Tells the page what changed in the align mode since it was last told;
// called on every frame after the controls acted.
void webSyncOwnMap();
