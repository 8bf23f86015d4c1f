// The character sets around the Linux chooser. zenity, a GTK program, prints
// the chosen name in UTF-8, converted from the file name encoding that GLib
// assumes, and then converted to the locale's character set, where every
// character that does not fit becomes '?'.
#pragma once

#include <string>
#include <vector>

// This program's environment, one "NAME=value" an entry.
std::vector<std::string> currentEnvironment();

// zenity's environment: this program's, but where the locale's character set
// is not UTF-8, with UTF-8 text (the language and other settings kept) and
// with the file name encoding named outright in G_FILENAME_ENCODING, since
// "@locale" would otherwise mean UTF-8 to zenity too.
std::vector<std::string> zenityEnvironment();

// The name zenity printed (UTF-8) in the file system's encoding, as GLib
// takes it: the first entry of G_FILENAME_ENCODING ("@locale" for the
// locale's), the locale's when G_BROKEN_FILENAMES is set, else UTF-8. False
// when the name has no form in that encoding.
bool fromZenityEncoding(const std::string &utf8, std::string *name);
