// The search for the pictures on Windows (see win32_picture_path.h).
#include "platform/win32/win32_picture_path.h"

#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "render/resources.h"

namespace {

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The player's folder for the map, which the viewer keeps there; empty for
// any other picture or when the player has no such folder.
std::string playersFolderFor(const char *name) {
  char folder[MAX_PATH];
  if (std::strcmp(name, MAP_PICTURE) != 0 || !platformUserFolder(USER_DATA_FOLDER, false, folder, sizeof folder)) {
    return std::string();
  }
  return folder;
}

}  // namespace

std::string runningProgramFolder() {
  char program[4096];
  const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
  if (length == 0 || length >= sizeof program) return std::string();  // a full buffer means cut short
  const std::string path(program, length);
  const size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string bundledPictureBeside(const char *name, const std::string &programFolder) {
  if (programFolder.empty()) return std::string();
  const std::string beside = programFolder + "\\" + name;
  return exists(beside) ? beside : std::string();
}

std::string findPictureAmong(const char *name, const std::string &playerFolder, const std::string &programFolder) {
  if (exists(name)) return name;
  if (!playerFolder.empty()) {
    const std::string own = playerFolder + "\\" + name;
    if (exists(own)) return own;
  }
  const std::string bundled = bundledPictureBeside(name, programFolder);
  return bundled.empty() ? name : bundled;
}

std::string findPictureBeside(const char *name, const std::string &programFolder) {
  return findPictureAmong(name, std::string(), programFolder);
}

std::string findPicture(const char *name) {
  return findPictureAmong(name, playersFolderFor(name), runningProgramFolder());
}

std::string findBundledPicture(const char *name) { return bundledPictureBeside(name, runningProgramFolder()); }
