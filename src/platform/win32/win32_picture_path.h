// Where the Windows program finds its pictures: the working directory first,
// then (the map alone) the player's own folder, then the folder of its .exe.
#pragma once

#include <string>

// The path to load the picture `name` (a bare file name) from: name itself
// when the working directory has it; else, for the map (THmap.bmp) alone, the
// one the viewer kept in the player's folder ("%APPDATA%\KZR Package Viewer");
// else the copy in the folder that holds the running .exe, when there is one;
// else name again, so that the loader looks in the working directory last and
// its box names the file as the user knows it.
std::string findPicture(const char *name);

// The same search with the player's folder and the program's folder given
// (either empty: none known; findPictureBeside: no player's folder).
std::string findPictureAmong(const char *name, const std::string &playerFolder, const std::string &programFolder);
std::string findPictureBeside(const char *name, const std::string &programFolder);

// The copy of the picture `name` in the folder of the running .exe, or an
// empty string when there is none. It stands in for a picture of the player's
// own that the loader refuses.
std::string findBundledPicture(const char *name);
std::string bundledPictureBeside(const char *name, const std::string &programFolder);

// The folder of the running .exe, or an empty string when its name does not
// fit or cannot be had.
std::string runningProgramFolder();
