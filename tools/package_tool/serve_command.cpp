// package-tool serve: hands the page and a followed save to browsers (see
// src/share/). The first line on stdout is the page's address; it runs until
// the user stops it (Ctrl+C; SIGTERM on Linux, Ctrl+Break on Windows) and
// then ends with status 0. How it waits is the system's (serve_waiting.h).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "package_tool/commands.h"
#include "package_tool/serve_waiting.h"
#include "package_tool/tool_arguments.h"
#include "save/live_reload.h"
#include "share/share_follow.h"
#include "share/share_qr.h"
#include "share/share_server.h"
#include "share/share_site.h"

namespace {

// Milliseconds between looks at which save of a folder is newest: another
// slot written has no watch of its own.
constexpr int FOLDER_CHECK_MS = 250;

bool parsePort(const char *text, uint16_t *port) {
  char *end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno || end == text || *end != '\0' || value < 0 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

// Hands a new version of the save to the server; returns the milliseconds
// until the next look.
int lookAtSave(ShareFollower *follower, ShareServer *server, int checkMs, bool written) {
  std::shared_ptr<const std::string> bytes;
  bool fresh = false;
  const ShareFollowStep step = followShareSave(follower, written, &bytes, &fresh);
  if (step == SHARE_FOLLOW_NEW) {
    nameShareSave(server, shareSaveName(follower->current));
    publishShareSave(server, std::move(bytes), fresh);
  }
  return step == SHARE_FOLLOW_RETRY ? static_cast<int>(RELOAD_RETRY_MS) : checkMs;
}

int serveFailure(const std::string &message) {
  std::fprintf(stderr, "package-tool serve: %s\n", message.c_str());
  return 1;
}

}  // namespace

int runServeCommand(int argc, char **argv) {
  const char *asked = nullptr;
  std::string siteAsked;
  uint16_t port = SHARE_DEFAULT_PORT;
  bool lan = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--port") == 0) {
      if (!parsePort(argv[++i], &port)) return usageError("serve", "--port takes 0 to 65535, not '%s'", argv[i]);
    } else if (std::strcmp(argv[i], "--site") == 0) {
      siteAsked = argv[++i];
    } else if (std::strcmp(argv[i], "--lan") == 0) {
      lan = true;
    } else if (asked) {
      return usageError("serve", "one SAVE or FOLDER only: '%s'", argv[i]);
    } else {
      asked = argv[i];
    }
  }
  if (!asked) {
    printCommandUsage("serve", stderr);
    return 2;
  }

  const std::string site = findShareSite(siteAsked, servedProgramFolder());
  if (site.empty()) return serveFailure(SHARE_SITE_MISSING);
  ShareTable table;
  std::string error;
  if (!readShareSite(site, servedMapPicture(), &table, &error)) return serveFailure(error);

  if (!startServeWaiting(&error)) return serveFailure(error);
  ShareFollower follower;
  follower.watch = watchServedSave;
  if (!startShareFollower(&follower, asked, &error)) {
    endServeWaiting();
    return serveFailure(error);
  }

  if (lan) table.token = randomShareToken();
  ShareServer *server = nullptr;
  if (lan && table.token.empty()) {
    error = "no secure random numbers for the address's token";
  } else {
    server = startShareServer(table, lan, port, &error);
  }
  if (!server) {
    endServeWaiting();
    return serveFailure(error);
  }
  catchServeStop();
  if (follower.folder) awaitShareSaveIn(server, asked);

  // One look at the save before the address is given out, so that a browser
  // opening it at once finds the save.
  const int checkMs = follower.folder ? FOLDER_CHECK_MS : static_cast<int>(RELOAD_CHECK_INTERVAL_MS);
  int waitMs = lookAtSave(&follower, server, checkMs, false);
  const std::string address = "http://" + (lan ? localNetworkAddress() : std::string("127.0.0.1")) + ":" +
                              std::to_string(shareServerPort(server)) + "/" +
                              (table.token.empty() ? "" : table.token + "/");
  std::printf("%s\n", address.c_str());
  if (lan) std::printf("%s\n", shareQrTerminalText(encodeShareQr(address)).c_str());
  if (follower.current.empty()) std::printf("Waiting for the first save in %s\n", asked);
  std::fflush(stdout);
  bool written = false;
  while (!waitServe(waitMs, &written)) waitMs = lookAtSave(&follower, server, checkMs, written);

  stopShareServer(server);
  endServeWaiting();
  return 0;
}
