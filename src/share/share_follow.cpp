// Following the shared save: see share_follow.h.
#include "share/share_follow.h"

#include <filesystem>
#include <system_error>

#include "save/live_reload.h"

namespace fs = std::filesystem;

namespace {

bool isSaveName(const fs::path &path) {
  const std::string name = path.filename().string();
  return name.size() > 2 && name[name.size() - 2] == '.' && (name.back() == 'b' || name.back() == 'B');
}

void follow(ShareFollower *follower, const std::string &save) {
  follower->current = save;
  follower->stamp = FileStamp{};
  follower->pending = true;
  follower->fresh = true;
  if (follower->watch && !save.empty()) follower->watch(save.c_str());
}

}  // namespace

std::string newestSaveIn(const std::string &folder) {
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  std::string newest;
  fs::file_time_type newestTime{};
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    std::error_code entryError;
    if (!isSaveName(entries->path()) || !entries->is_regular_file(entryError)) continue;
    const fs::file_time_type time = entries->last_write_time(entryError);
    if (entryError) continue;
    // Ties go to the name first in order, so the choice does not flicker.
    const std::string name = entries->path().string();
    if (newest.empty() || time > newestTime || (time == newestTime && name < newest)) {
      newest = name;
      newestTime = time;
    }
  }
  return newest;
}

bool startShareFollower(ShareFollower *follower, const std::string &asked, std::string *error) {
  std::error_code failure;
  follower->asked = asked;
  follower->folder = fs::is_directory(asked, failure);
  if (follower->folder) {
    fs::directory_iterator entries(asked, failure);
    if (failure) {
      *error = asked + ": " + failure.message();
      return false;
    }
    follow(follower, newestSaveIn(asked));
    return true;
  }
  int64_t size = 0;
  FILE *file = platformOpenRegularFile(asked.c_str(), &size);
  if (!file) {
    *error = asked + ": cannot be opened as a save";
    return false;
  }
  std::fclose(file);
  follow(follower, asked);
  return true;
}

ShareFollowStep followShareSave(ShareFollower *follower, std::shared_ptr<const std::string> *bytes, bool *fresh) {
  if (follower->folder) {
    const std::string newest = newestSaveIn(follower->asked);
    // Another slot written: it is opened afresh, nothing of the last one kept.
    if (!newest.empty() && newest != follower->current) follow(follower, newest);
  }
  if (follower->current.empty()) return SHARE_FOLLOW_IDLE;
  const FileStamp before = platformFileStamp(follower->current.c_str());
  if (!follower->pending && sameFileStamp(before, follower->stamp)) return SHARE_FOLLOW_IDLE;
  follower->stamp = before;
  follower->pending = true;
  auto read = std::make_shared<std::string>();
  const SteadyReadStatus status = readSteadySavegame(follower->current.c_str(), before, nullptr, read.get());
  if (status == STEADY_MOVED || status == STEADY_BUSY) return SHARE_FOLLOW_RETRY;
  if (status != STEADY_READ) return SHARE_FOLLOW_IDLE;
  follower->pending = false;
  *fresh = follower->fresh;
  follower->fresh = false;
  *bytes = std::move(read);
  return SHARE_FOLLOW_NEW;
}
