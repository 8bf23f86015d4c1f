// Following the shared save: see share_follow.h.
#include "share/share_follow.h"

#include <filesystem>
#include <system_error>

#include "save/live_reload.h"

namespace fs = std::filesystem;

namespace {

void follow(ShareFollower *follower, const std::string &save) {
  follower->current = save;
  follower->stamp = FileStamp{};
  follower->pending = true;
  follower->fresh = true;
  follower->last.reset();
  if (follower->watch && !save.empty()) follower->watch(save.c_str());
}

}  // namespace

std::string newestSaveIn(const std::string &folder) {
  // Longer than any path a save is opened by.
  char newest[4096];
  return platformNewestSave(folder.c_str(), newest, sizeof newest) ? std::string(newest) : std::string();
}

bool startShareFollower(ShareFollower *follower, const std::string &asked, std::string *error) {
  std::error_code failure;
  follower->asked = asked;
  follower->folder = platformIsFolder(asked.c_str());
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

ShareFollowStep followShareSave(ShareFollower *follower, bool notified, std::shared_ptr<const std::string> *bytes,
                                bool *fresh) {
  if (follower->folder) {
    const std::string newest = newestSaveIn(follower->asked);
    // Another slot written: it is opened afresh, nothing of the last one kept.
    if (!newest.empty() && newest != follower->current) follow(follower, newest);
  }
  if (follower->current.empty()) return SHARE_FOLLOW_IDLE;
  const FileStamp before = platformFileStamp(follower->current.c_str());
  const bool onlyNotified = !follower->pending && sameFileStamp(before, follower->stamp);
  if (onlyNotified && !notified) return SHARE_FOLLOW_IDLE;
  follower->stamp = before;
  follower->pending = true;
  auto read = std::make_shared<std::string>();
  const SteadyReadStatus status = readSteadySavegame(follower->current.c_str(), before, nullptr, read.get());
  if (status == STEADY_MOVED || status == STEADY_BUSY) return SHARE_FOLLOW_RETRY;
  if (status != STEADY_READ) return SHARE_FOLLOW_IDLE;
  follower->pending = false;
  if (onlyNotified && follower->last && *follower->last == *read) return SHARE_FOLLOW_IDLE;
  *fresh = follower->fresh;
  follower->fresh = false;
  follower->last = read;
  *bytes = std::move(read);
  return SHARE_FOLLOW_NEW;
}
