// Where the Linux programs find their pictures: the working directory first,
// then (the map alone) the player's own data folder, then the program's data
// folder, found from where the program itself lies.
#pragma once

#include <string>

// The path to load the picture `name` (a bare file name) from, looking in
// this order:
//   1. the working directory: name itself, when an entry of that name is there;
//   2. for the map (THmap.bmp) alone, the player's own data folder
//      (platformUserFolder), where the viewer keeps a map the player aligned;
//   3. PROGRAM/../share/package-viewer/name, the installed layout (bin/ and
//      share/ side by side under one prefix, whichever it is);
//   4. PROGRAM/name, the copy the build puts beside each program;
// PROGRAM being the folder that holds the running program. Found nowhere, it
// is name again: the loader then looks in the working directory last, and its
// box names the file as the user knows it.
std::string findPicture(const char *name);

// The same search with the player's folder and the program's folder given
// (either empty: none known; findPictureBeside: no player's folder).
std::string findPictureAmong(const char *name, const std::string &playerFolder, const std::string &programFolder);
std::string findPictureBeside(const char *name, const std::string &programFolder);

// The program's own copy of the picture `name`: steps 2 and 3 above, the
// working directory left out; an empty string when there is none. It stands
// in for a picture of the player's own that the loader refuses.
std::string findBundledPicture(const char *name);
std::string bundledPictureBeside(const char *name, const std::string &programFolder);

// The folder that holds the running program's file (from /proc/self/exe,
// links resolved), or an empty string when it cannot be told.
std::string runningProgramFolder();
