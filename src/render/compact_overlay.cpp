// The compact layout's strip of counts and its help page, each line fitted
// to the canvas's width.
#include "render/compact_overlay.h"

#include <cstdio>

#include "app/collecting_route.h"
#include "app/gestures.h"
#include "app/text_fit.h"
#include "app/viewer_state.h"
#include "render/font.h"
#include "render/gl.h"
#include "render/marker_palette.h"

namespace {

constexpr int32_t GLYPH = 16;
constexpr int32_t MARGIN = 8;
constexpr int32_t STRIP_TEXT_TOP = 6;
constexpr int32_t HELP_LINE_CAPACITY = 48;

// The help page of the page's hand-held layout: what the fingers and the
// buttons below the map do. An empty line leaves a gap.
constexpr const char *HELP_TEXT[] = {
    "KZR Tern Haven Package Viewer",
    "",
    "One finger: move the map",
    "Two fingers: zoom",
    "Tap: what is there",
    "Hold: route from there",
    "",
    "Open: a savegame (.b)",
    "Route: from the centre",
    "Kinds: which are shown",
    "Palette: safe colours",
    "Info: the line below",
    "List: what is left",
    "Fit: the whole map",
    "+ and -: zoom",
    "Collected: outlines",
    "Help: this page",
};

int32_t columns() { return (layoutWidth() - 2 * MARGIN) / GLYPH; }

// The lines of the help page, fitted to the width, up to `capacity`.
int32_t helpLines(char lines[][FITTED_LINE_SIZE], int32_t capacity) {
  int32_t count = 0;
  for (const char *text : HELP_TEXT) {
    if (count == capacity) break;
    if (text[0] == '\0') {
      lines[count++][0] = '\0';
      continue;
    }
    count += fitTextLines(text, columns(), lines + count, capacity - count);
  }
  static const char *const KINDS[SHOWN_KINDS_CHOICES] = {"Both kinds", "Packages only", "Rampages only"};
  const int32_t kinds = viewerState.shownKinds;
  char state[64];
  std::snprintf(state, sizeof state, "Now: %s, %s colours", KINDS[kinds >= 0 && kinds < SHOWN_KINDS_CHOICES ? kinds : 0],
                viewerState.markerPalette == PALETTE_SAFE ? "safe" : "standard");
  if (count + 1 < capacity) {
    lines[count++][0] = '\0';
    count += fitTextLines(state, columns(), lines + count, capacity - count);
  }
  return count;
}

// The page's lines that fit between its margins.
int32_t helpRoom() {
  const int32_t room = (layoutHeight() - 4 * MARGIN) / GLYPH;
  return room < HELP_LINE_CAPACITY ? room : HELP_LINE_CAPACITY;
}

}  // namespace

void drawCompactBackground() {
  if (viewerState.showHelp) {
    glColor4f(0.3f, 0.3f, 0.3f, 1.0f);
    fillRectangle(MARGIN / 2, MARGIN / 2, layoutWidth() - MARGIN / 2, layoutHeight() - MARGIN / 2);
    return;
  }
  glColor4f(0.2f, 0.2f, 0.2f, 0.7f);
  fillRectangle(0, 0, layoutWidth(), COMPACT_STRIP_HEIGHT);
}

void drawCompactText() {
  if (viewerState.showHelp) {
    char lines[HELP_LINE_CAPACITY][FITTED_LINE_SIZE];
    const int32_t room = helpRoom();
    const int32_t count = room > 0 ? helpLines(lines, room) : 0;
    for (int32_t i = 0; i < count; ++i) drawText(MARGIN, 2 * MARGIN + i * GLYPH, lines[i]);
    return;
  }
  // The two counts on one line where it is wide enough, else one above the other.
  char packages[32];
  char rampages[32];
  std::snprintf(packages, sizeof packages, "%3d packages", static_cast<int>(viewerState.packageCount));
  std::snprintf(rampages, sizeof rampages, "%3d rampages left", static_cast<int>(viewerState.rampageCount));
  char both[72];
  std::snprintf(both, sizeof both, "%s %s", packages, rampages);
  int32_t length = 0;
  while (both[length] != '\0') ++length;
  if (length <= columns()) {
    drawText(MARGIN, STRIP_TEXT_TOP + GLYPH / 2, both);
    return;
  }
  std::snprintf(packages, sizeof packages, "%3d packages left", static_cast<int>(viewerState.packageCount));
  drawText(MARGIN, STRIP_TEXT_TOP, packages);
  drawText(MARGIN, STRIP_TEXT_TOP + GLYPH, rampages);
}
