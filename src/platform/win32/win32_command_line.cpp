// The Windows viewer's command line: see win32_command_line.h.
#include "platform/win32/win32_command_line.h"

#include <cstring>

#include "render/marker_palette.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

const char *skipBlanks(const char *at) {
  while (isBlank(*at)) ++at;
  return at;
}

// The option `name` at `at`, followed by a blank or the end: the text after
// it, or null.
const char *afterOption(const char *at, const char *name) {
  const size_t length = std::strlen(name);
  if (std::strncmp(at, name, length) != 0) return nullptr;
  if (at[length] != '\0' && !isBlank(at[length])) return nullptr;
  return at + length;
}

// One word at `at` (after blanks): up to the next blank, or between quotes
// (which Windows file names never hold). Returns the text after it, or null
// when there is no word, its closing quote is missing or more text sticks to
// that quote.
const char *readWord(const char *at, std::string *word) {
  at = skipBlanks(at);
  if (*at == '"') {
    const char *end = std::strchr(at + 1, '"');
    if (!end || end == at + 1 || (end[1] != '\0' && !isBlank(end[1]))) return nullptr;
    word->assign(at + 1, end);
    return end + 1;
  }
  const char *end = at;
  while (*end != '\0' && !isBlank(*end)) ++end;
  if (end == at) return nullptr;
  word->assign(at, end);
  return end;
}

// The path that is the rest of the line (see readWindowsCommandLine).
std::string readPath(const char *at) {
  at = skipBlanks(at);
  size_t length = std::strlen(at);
  while (length > 0 && isBlank(at[length - 1])) --length;
  if (length >= 2 && at[0] == '"') {
    const char *end = static_cast<const char *>(std::memchr(at + 1, '"', length - 1));
    if (end) return std::string(at + 1, end);
  }
  return std::string(at, length);
}

}  // namespace

WindowsCommandLine readWindowsCommandLine(const char *line) {
  WindowsCommandLine read;
  if (!line) return read;
  const char *at = skipBlanks(line);
  for (;;) {
    const char *after = nullptr;
    std::string word;
    int32_t palette = 0;
    if ((after = afterOption(at, "--share"))) {
      read.share = true;
    } else if ((after = afterOption(at, "--new-address"))) {
      read.newAddress = true;
    } else if ((after = afterOption(at, "--site"))) {
      after = readWord(after, &read.site);
      if (!after) {
        read.error = "--site needs a folder";
        return read;
      }
    } else if ((after = afterOption(at, "--palette")) && (after = readWord(after, &word)) &&
               markerPaletteNamed(word.c_str(), &palette)) {
      read.paletteGiven = true;
      read.palette = palette;
    } else {
      break;
    }
    at = skipBlanks(after);
  }
  read.path = readPath(at);
  return read;
}
