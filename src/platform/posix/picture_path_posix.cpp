// The search for the pictures on POSIX systems (see picture_path.h).
#include "platform/posix/picture_path.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/platform.h"
#include "render/resources.h"

namespace {

bool exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

// The player's data folder for the map, which the viewer keeps there; empty
// for any other picture or when the player has no such folder.
std::string playersFolderFor(const char *name) {
  char folder[4096];
  if (std::strcmp(name, MAP_PICTURE) != 0 || !platformUserFolder(USER_DATA_FOLDER, false, folder, sizeof folder)) {
    return std::string();
  }
  return folder;
}

}  // namespace

std::string bundledPictureBeside(const char *name, const std::string &programFolder) {
  if (programFolder.empty()) return std::string();
  const std::filesystem::path folder(programFolder);
  const std::filesystem::path installed = folder.parent_path() / "share" / "package-viewer" / name;
  if (exists(installed.string())) return installed.string();
  const std::filesystem::path beside = folder / name;
  if (exists(beside.string())) return beside.string();
  return std::string();
}

std::string findPictureAmong(const char *name, const std::string &playerFolder, const std::string &programFolder) {
  if (exists(name)) return name;
  if (!playerFolder.empty()) {
    const std::string own = playerFolder + "/" + name;
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

std::string runningProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !program.is_absolute()) return std::string();
  return program.parent_path().string();
}
