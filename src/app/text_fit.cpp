// Breaking a line of text to a width (see text_fit.h).
#include "app/text_fit.h"

#include <cstring>

namespace {

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

// How many characters of `text` (which is longer than `width`) go on one
// line, and how many are skipped after them (the space broken at).
void findBreak(const char *text, int32_t width, int32_t *taken, int32_t *skipped) {
  for (int32_t i = width; i > 0; --i) {
    if (text[i] == ' ') {
      *taken = i;
      *skipped = 1;
      return;
    }
  }
  // A path breaks after a separator, unless that leaves the line less than
  // half full.
  for (int32_t i = width; i > width / 2; --i) {
    if (isPathSeparator(text[i - 1])) {
      *taken = i;
      *skipped = 0;
      return;
    }
  }
  *taken = width;
  *skipped = 0;
}

}  // namespace

int32_t fitTextLines(const char *text, int32_t width, char lines[][FITTED_LINE_SIZE], int32_t capacity) {
  if (width < 1) width = 1;
  if (width > FITTED_LINE_SIZE - 1) width = FITTED_LINE_SIZE - 1;
  int32_t count = 0;
  const char *lastStart = text;
  while (*text != '\0' && count < capacity) {
    lastStart = text;
    const int32_t left = static_cast<int32_t>(std::strlen(text));
    int32_t taken = left;
    int32_t skipped = 0;
    if (left > width) findBreak(text, width, &taken, &skipped);
    std::memcpy(lines[count], text, static_cast<size_t>(taken));
    lines[count][taken] = '\0';
    ++count;
    text += taken + skipped;
  }
  if (*text != '\0' && count > 0) {
    // Out of lines with text left: the last line shows the text's end, where
    // a name or a number ends, after "..." that says some was left out.
    char *last = lines[count - 1];
    const int32_t lengthLeft = static_cast<int32_t>(std::strlen(lastStart));
    const int32_t kept = width >= 4 ? width - 3 : width;
    const char *end = lastStart + (lengthLeft > kept ? lengthLeft - kept : 0);
    std::memcpy(last, "...", width >= 4 ? 3 : 0);
    std::strcpy(last + (width >= 4 ? 3 : 0), end);
  }
  return count;
}
