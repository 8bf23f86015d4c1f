// What 'Q' and --share start in both desktop programs, once: the sharing of
// the shown save and the overlay of its address.
#pragma once

#include <string>

// Serves the page found from siteAsked (--site, or empty) and programFolder,
// with the map picture at mapPicture, and the shown save on the local
// network; fills shareOverlay with the address and its QR code and returns
// the address. Empty after telling the user why it could not (one box).
std::string startDesktopShare(const std::string &siteAsked, const std::string &programFolder,
                              const std::string &mapPicture);

// --new-address: a new secret for the sharing address from now on, the old
// one forgotten (a phone that kept it is answered that it is no longer
// shared). False after telling the user why it could not be kept (one box).
bool renewDesktopShareAddress();
