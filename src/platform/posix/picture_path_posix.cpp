// The search for the pictures on POSIX systems (see picture_path.h).
#include "platform/posix/picture_path.h"

#include <unistd.h>

#include <filesystem>

namespace {

bool exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

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

std::string findPictureBeside(const char *name, const std::string &programFolder) {
  if (exists(name)) return name;
  const std::string bundled = bundledPictureBeside(name, programFolder);
  return bundled.empty() ? name : bundled;
}

std::string findPicture(const char *name) { return findPictureBeside(name, runningProgramFolder()); }

std::string findBundledPicture(const char *name) { return bundledPictureBeside(name, runningProgramFolder()); }

std::string runningProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !program.is_absolute()) return std::string();
  return program.parent_path().string();
}
