// The Windows viewer's command line, read as a whole: WinMain gets it as one
// string, not split into arguments, and Explorer passes a dropped file's name
// sometimes with quotes and sometimes without, spaces and all.
#pragma once

#include <cstdint>
#include <string>

struct WindowsCommandLine {
  bool paletteGiven = false;
  int32_t palette = 0;  // the marker palette --palette named, when given
  bool share = false;   // --share
  bool newAddress = false;  // --new-address
  std::string site;     // --site DIR; empty when not given
  std::string path;     // the save or folder named; empty when none
  std::string error;    // a line for the user when the line cannot be read
};

// Options first, in any order: --palette NAME, --share, --new-address, --site DIR (NAME and
// DIR one word or quoted). The first word that is none of them starts the
// path, which is the rest of the line: a quoted name (the first of several,
// as Explorer quotes each dropped file) or the rest as it stands, spaces
// inside kept, blanks around it dropped. So a --palette with a name that is no
// palette is taken as the start of a path, as the opener will then say.
// A --site with no folder after it sets error.
WindowsCommandLine readWindowsCommandLine(const char *line);
