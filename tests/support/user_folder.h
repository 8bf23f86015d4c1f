// A data folder of the test's own for what the programs keep between runs,
// so that no test writes into the machine's: the environment variable the
// platform reads for it points into `base`.
#pragma once

#include <cstdlib>
#include <string>

// Points the player's data folder into base and returns the program's folder
// within it (where the programs keep their files).
inline std::string useUserDataFolderIn(const std::string &base) {
#ifdef _WIN32
  _putenv_s("APPDATA", base.c_str());
  return base + "\\KZR Package Viewer";
#else
  setenv("XDG_DATA_HOME", base.c_str(), 1);
  return base + "/package-viewer";
#endif
}
