// The table of keys and the texts written from it.
#include "app/key_help.h"

#include <cstdio>
#include <cstring>

#include "app/collecting_route.h"
#include "app/viewer_state.h"
#include "render/marker_palette.h"

namespace {

constexpr bool everyHelpCellFits() {
  for (const KeyHelp &key : VIEWER_KEYS) {
    if (key.helpCell == nullptr) continue;
    int32_t length = 0;
    while (key.helpCell[length] != '\0') ++length;
    if (length != HELP_CELL_LENGTH) return false;
  }
  return true;
}
static_assert(everyHelpCellFits(), "each key's cell is half a help row");

// Below height 10, from 10 to 15, above 15, and a rampage: the four shapes
// the markers take.
constexpr char LEGEND_ROW[] = " # <10  # 10-15  # >15  # rampage ";
static_assert(sizeof LEGEND_ROW - 1 == HELP_ROW_LENGTH, "the legend is one help row");

// Copies text into a row, padded with spaces or cut to the row's length.
void setRow(char *row, const char *text) {
  const size_t length = std::strlen(text);
  std::memset(row, ' ', HELP_ROW_LENGTH);
  std::memcpy(row, text, length < HELP_ROW_LENGTH ? length : HELP_ROW_LENGTH);
  row[HELP_ROW_LENGTH] = '\0';
}

}  // namespace

const LegendShape LEGEND_SHAPES[LEGEND_SHAPE_COUNT] = {{5.0f, false}, {12.0f, false}, {20.0f, false}, {0.0f, true}};

bool keyWorksHere(const char *name) {
  for (const KeyHelp &key : VIEWER_KEYS) {
    if (std::strcmp(key.name, name) == 0) return (key.programs & THIS_PROGRAM) != 0;
  }
  return false;
}

int32_t composeHelpRows(char rows[HELP_ROW_CAPACITY][HELP_ROW_LENGTH + 1], int32_t capacity) {
  if (capacity > HELP_ROW_CAPACITY) capacity = HELP_ROW_CAPACITY;
  int32_t count = 0;
  const char *pending = nullptr;
  for (const KeyHelp &key : VIEWER_KEYS) {
    if (key.helpCell == nullptr || (key.programs & THIS_PROGRAM) == 0) continue;
    if (pending == nullptr) {
      pending = key.helpCell;
      continue;
    }
    if (count == capacity) return count;
    std::snprintf(rows[count++], HELP_ROW_LENGTH + 1, "%s%s", pending, key.helpCell);
    pending = nullptr;
  }
  if (pending != nullptr && count < capacity) setRow(rows[count++], pending);
  if (count < capacity) setRow(rows[count++], LEGEND_ROW);
  if (count < capacity) {
    static const char *const KINDS[SHOWN_KINDS_CHOICES] = {"Both kinds", "Packages only", "Rampages only"};
    const int32_t kinds = viewerState.shownKinds;
    char state[64];
    std::snprintf(state, sizeof state, "  %s, %s colours", KINDS[kinds >= 0 && kinds < SHOWN_KINDS_CHOICES ? kinds : 0],
                  viewerState.markerPalette == PALETTE_SAFE ? "safe" : "standard");
    setRow(rows[count++], state);
  }
  return count;
}

int32_t writeKeyList(char *text, int32_t size, uint32_t programs, const char *indent, int32_t nameWidth) {
  int32_t length = 0;
  for (const KeyHelp &key : VIEWER_KEYS) {
    if ((key.programs & programs) == 0) continue;
    const int32_t room = length < size ? size - length : 0;
    const int written = std::snprintf(room > 0 ? text + length : nullptr, static_cast<size_t>(room), "%s%-*s %s\n",
                                      indent, static_cast<int>(nameWidth), key.name, key.usage);
    if (written > 0) length += written;
  }
  if (size > 0 && length >= size) text[size - 1] = '\0';
  return length;
}
