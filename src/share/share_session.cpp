// Sharing from the desktop viewer: see share_session.h.
#include "share/share_session.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "share/share_follow.h"
#include "share/share_server.h"
#include "share/share_site.h"

namespace {

// Milliseconds between the follower's own looks at the save.
constexpr int FOLLOW_LOOK_MS = 200;

struct Session {
  ShareServer *server = nullptr;
  std::thread thread;
  std::mutex lock;  // guards what follows
  std::condition_variable wake;
  std::string wanted;  // the save the viewer shows
  bool look = false;
  bool stop = false;
};

Session session;

void followLoop() {
  ShareFollower follower;
  std::string followed;
  for (;;) {
    std::string wanted;
    bool notified = false;
    {
      std::unique_lock<std::mutex> guard(session.lock);
      session.wake.wait_for(guard, std::chrono::milliseconds(FOLLOW_LOOK_MS),
                            [] { return session.look || session.stop; });
      if (session.stop) return;
      // The viewer read a new version, or shows another save: look now, at
      // the bytes too.
      notified = session.look;
      session.look = false;
      wanted = session.wanted;
    }
    if (wanted != followed) {
      followed = wanted;
      follower = ShareFollower{};
      std::string ignored;
      if (!wanted.empty()) startShareFollower(&follower, wanted, &ignored);
    }
    if (follower.asked.empty()) continue;
    std::shared_ptr<const std::string> bytes;
    bool fresh = false;
    if (followShareSave(&follower, notified, &bytes, &fresh) == SHARE_FOLLOW_NEW) {
      nameShareSave(session.server, shareSaveName(follower.current));
      publishShareSave(session.server, std::move(bytes), fresh);
    }
  }
}

}  // namespace

bool startViewerShare(const std::string &site, const std::string &mapPicture, std::string *address,
                      std::string *error) {
  if (session.server) return true;
  ShareTable table;
  if (site.empty()) {
    *error = SHARE_SITE_MISSING;
    return false;
  }
  if (!readShareSite(site, mapPicture, &table, error)) return false;
  table.token = randomShareToken();
  if (table.token.empty()) {
    *error = "no secure random numbers for the address's token";
    return false;
  }
  session.server = startShareServer(table, true, SHARE_DEFAULT_PORT, error);
  if (!session.server) session.server = startShareServer(table, true, 0, error);
  if (!session.server) return false;
  *address = "http://" + localNetworkAddress() + ":" + std::to_string(shareServerPort(session.server)) + "/" +
             table.token + "/";
  session.thread = std::thread(followLoop);
  return true;
}

void shareViewerSave(const char *path) {
  std::lock_guard<std::mutex> guard(session.lock);
  if (session.wanted == path) return;
  session.wanted = path;
  session.look = true;
  session.wake.notify_one();
}

void noteViewerSaveChanged() {
  std::lock_guard<std::mutex> guard(session.lock);
  session.look = true;
  session.wake.notify_one();
}

void stopViewerShare() {
  if (!session.server) return;
  {
    std::lock_guard<std::mutex> guard(session.lock);
    session.stop = true;
    session.wake.notify_one();
  }
  session.thread.join();
  stopShareServer(session.server);
  session.server = nullptr;
}
