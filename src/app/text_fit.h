// Lines of text fitted to a width in characters: the lines the viewer adds
// at the bottom left (the information line, the status line) are broken or
// shortened to the room left of the panel, however narrow the window.
#pragma once

#include <cstdint>

constexpr int32_t FITTED_LINE_SIZE = 160;

// Breaks `text` into lines of at most `width` characters (and at most
// FITTED_LINE_SIZE - 1): after a space where one lies within the width (the
// space itself is dropped), else after a path separator ('/' or '\'), else
// after exactly `width` characters. When the text needs more than `capacity`
// lines, the last one is "..." and the text's last characters (where a file
// name or a count stands), or only those where the width is below 4. A width below 1 counts as 1. Returns the number of lines
// written (0 for an empty text).
int32_t fitTextLines(const char *text, int32_t width, char lines[][FITTED_LINE_SIZE], int32_t capacity);
