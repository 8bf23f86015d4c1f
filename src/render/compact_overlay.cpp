// The compact layout's strip of counts and its help page, each line fitted
// to the canvas's width.
#include "render/compact_overlay.h"

#include <cstdio>
#include <cstring>

#include "app/collecting_route.h"
#include "app/gestures.h"
#include "app/key_help.h"
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
// The page's help ground: white text on it reaches 15:1.
constexpr float HELP_GROUND = 0.08f;

// The help page of the page's hand-held layout: what the fingers do, what the
// markers' shapes mean and what the buttons do. An empty line leaves a gap.
constexpr const char *HELP_TEXT[] = {
    "KZR Tern Haven Package Viewer",
    "",
    "One finger: move the map",
    "Two fingers: zoom",
    "Tap: what is there",
    "Hold: route from there",
};

// Then the legend, then what the buttons do.
constexpr const char *BUTTONS_TEXT[] = {
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

// The legend of the marker shapes, one a line, each LEGEND_SHAPE standing
// where its shape is drawn (in the order of LEGEND_SHAPES).
constexpr const char *LEGEND_TEXT[] = {
    "# package, under 10 up",
    "# package, 10 to 15 up",
    "# package, over 15 up",
    "# rampage",
};
static_assert(sizeof LEGEND_TEXT / sizeof LEGEND_TEXT[0] == LEGEND_SHAPE_COUNT, "one legend line a shape");

int32_t columns() { return (layoutWidth() - 2 * MARGIN) / GLYPH; }

template <size_t N>
int32_t addHelpText(const char *const (&texts)[N], char lines[][FITTED_LINE_SIZE], int32_t count, int32_t capacity) {
  for (const char *text : texts) {
    if (count == capacity) break;
    if (text[0] == '\0') {
      lines[count++][0] = '\0';
      continue;
    }
    count += fitTextLines(text, columns(), lines + count, capacity - count);
  }
  return count;
}

// The lines of the help page, fitted to the width, up to `capacity`.
int32_t helpLines(char lines[][FITTED_LINE_SIZE], int32_t capacity) {
  int32_t count = addHelpText(HELP_TEXT, lines, 0, capacity);
  // The legend's lines are short enough for the narrowest canvas; one that
  // would break is left out, since its shape would stand on the wrong line.
  if (count + 1 < capacity) lines[count++][0] = '\0';
  for (const char *text : LEGEND_TEXT) {
    if (count == capacity) break;
    if (static_cast<int32_t>(std::strlen(text)) <= columns()) count += fitTextLines(text, columns(), lines + count, 1);
  }
  count = addHelpText(BUTTONS_TEXT, lines, count, capacity);
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

// The page's lines that fit between its margins (on the page, above the
// strip along the canvas's bottom edge that its status takes in portrait).
int32_t helpRoom() {
  const int32_t status = viewerState.pageDrawing ? COMPACT_STRIP_HEIGHT : 0;
  const int32_t room = (layoutHeight() - 4 * MARGIN - status) / GLYPH;
  return room < HELP_LINE_CAPACITY ? room : HELP_LINE_CAPACITY;
}

}  // namespace

void drawCompactBackground() {
  if (viewerState.showHelp && viewerState.pageDrawing) {
    // The page's help stands on an opaque dark ground: its text reads
    // whatever the map beneath.
    glDisable(GL_BLEND);
    glColor4f(HELP_GROUND, HELP_GROUND, HELP_GROUND, 1.0f);
    fillRectangle(0, 0, layoutWidth(), layoutHeight());
    glEnable(GL_BLEND);
    return;
  }
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
    for (int32_t i = 0; i < count; ++i) {
      const int32_t y = 2 * MARGIN + i * GLYPH;
      char *shapeAt = std::strchr(lines[i], LEGEND_SHAPE);
      if (shapeAt == nullptr) {
        drawText(MARGIN, y, lines[i]);
        continue;
      }
      int32_t shape = 0;
      while (shape < LEGEND_SHAPE_COUNT && std::strcmp(lines[i], LEGEND_TEXT[shape]) != 0) ++shape;
      *shapeAt = ' ';
      drawText(MARGIN, y, lines[i]);
      *shapeAt = LEGEND_SHAPE;
      drawLegendShapes(MARGIN, y, lines[i], shape);
    }
    return;
  }
  // The page shows no counts before its first save: "0 left" would read as
  // all collected. It says in the page how to open one.
  if (viewerState.pageDrawing && viewerState.saveFileName[0] == '\0') return;
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
