// The watch of the followed save and the stamp hook, driven by tests instead
// of the system. Used by the headless platform and by the Windows test
// platform.
#include "platform/headless/headless.h"

namespace {
std::string watchedFile;
bool fileChanged = false;
HeadlessStampHook stampHook = nullptr;
}  // namespace

const std::string &headlessWatchedFile() { return watchedFile; }

void headlessNoteFileChange() { fileChanged = true; }

void headlessSetStampHook(HeadlessStampHook hook) { stampHook = hook; }

FileStamp headlessStampThroughHook(const char *name, FileStamp stamp) {
  if (stampHook) stampHook(name, &stamp);
  return stamp;
}

bool platformWatchFile(const char *name) {
  watchedFile = name;
  fileChanged = false;
  return true;
}

bool platformTakeFileChange() {
  const bool changed = fileChanged;
  fileChanged = false;
  return changed;
}
