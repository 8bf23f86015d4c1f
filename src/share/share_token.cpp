// The kept share token: see share_token.h.
#include "share/share_token.h"

#include <fstream>
#include <iterator>

#include "platform/platform.h"
#include "share/share_table.h"

const char *const SHARE_TOKEN_FILE = "share-token";

namespace {

constexpr size_t TOKEN_DIGITS = 32;
constexpr size_t FOLDER_SIZE = 4096;

// The token in `text` (a line of 32 lowercase hex digits), or empty.
std::string tokenIn(std::string text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (text.size() != TOKEN_DIGITS) return std::string();
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::string();
  }
  return text;
}

}  // namespace

std::string keptShareToken(bool renew, std::string *warning) {
  warning->clear();
  char folder[FOLDER_SIZE];
  if (!platformUserFolder(USER_CONFIG_FOLDER, true, folder, sizeof folder)) {
    *warning = "the address cannot be kept for the next start: no settings folder could be made";
    return randomShareToken();
  }
  const std::string path = std::string(folder) + "/" + SHARE_TOKEN_FILE;
  if (!renew) {
    std::ifstream file(path, std::ios::binary);
    const std::string kept =
        tokenIn(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    if (!kept.empty()) return kept;
  }
  const std::string token = randomShareToken();
  if (token.empty()) return token;
  const std::string line = token + "\n";
  char reason[256] = "";
  if (!platformReplaceFile(path.c_str(), line.data(), line.size(), true, reason, sizeof reason)) {
    *warning = "the address cannot be kept for the next start: " + path + ": " + reason;
  }
  return token;
}
