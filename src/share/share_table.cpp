// The share server's decisions: see share_table.h.
#include "share/share_table.h"

#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <sys/random.h>
#endif

bool sameSecret(std::string_view given, std::string_view secret) {
  // Every byte of the secret is looked at whatever the given text holds, and
  // no branch depends on where they first differ.
  unsigned difference = given.size() == secret.size() ? 0u : 1u;
  for (size_t i = 0; i < secret.size(); ++i) {
    const unsigned char other = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
    difference |= other ^ static_cast<unsigned char>(secret[i]);
  }
  return difference == 0;
}

ShareRoute routeShareRequest(const ShareTable &table, bool getOrHead, std::string_view target) {
  ShareRoute route{ShareAnswer::NOT_FOUND, nullptr, {}};
  std::string_view path = target.substr(0, target.find('?'));
  if (!table.token.empty()) {
    if (path.empty() || path[0] != '/') return {ShareAnswer::FORBIDDEN, nullptr, {}};
    const size_t end = path.find('/', 1);
    const std::string_view segment = path.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
    if (!sameSecret(segment, table.token)) return {ShareAnswer::FORBIDDEN, nullptr, {}};
    if (!getOrHead) return {ShareAnswer::BAD_METHOD, nullptr, {}};
    if (end == std::string_view::npos) return {ShareAnswer::REDIRECT, nullptr, "/" + table.token + "/"};
    path.remove_prefix(end);
  } else if (!getOrHead) {
    return {ShareAnswer::BAD_METHOD, nullptr, {}};
  }
  if (path.empty() || path[0] != '/') return route;
  const std::string_view name = path.substr(1);
  if (name == "save") return {ShareAnswer::SAVE, nullptr, {}};
  if (name == "events") return {ShareAnswer::EVENTS, nullptr, {}};
  for (const ShareFile &file : table.files) {
    if (file.name == name) return {ShareAnswer::FILE, &file, {}};
  }
  return route;
}

std::string randomShareToken() {
  unsigned char bytes[16];
#ifdef _WIN32
  if (BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) return std::string();
#else
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return std::string();
#endif
  std::string token;
  char digits[3];
  for (unsigned char byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", byte);
    token += digits;
  }
  return token;
}

const char *const SHARE_FORBIDDEN_PAGE =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<title>No longer shared</title>\n</head>\n<body>\n"
    "<h1>This address is no longer shared</h1>\n"
    "<p>Scan the code on the PC's screen to see the map again.</p>\n</body>\n</html>\n";

const char *shareContentType(std::string_view name) {
  const struct {
    std::string_view ending;
    const char *type;
  } TYPES[] = {{".html", "text/html; charset=utf-8"},
               {".css", "text/css; charset=utf-8"},
               {".js", "text/javascript; charset=utf-8"},
               {".wasm", "application/wasm"},
               {".bmp", "image/bmp"},
               {".svg", "image/svg+xml"},
               {".png", "image/png"},
               {".json", "application/json"},
               {".webmanifest", "application/manifest+json"}};
  for (const auto &entry : TYPES) {
    if (name.size() >= entry.ending.size() && name.substr(name.size() - entry.ending.size()) == entry.ending) {
      return entry.type;
    }
  }
  return "application/octet-stream";
}
