// Every key and pointer action the controls handle, once, with the programs
// it works in. The help page's added rows, package-viewer --help and the
// documents' key lists are written from this table or checked against it.
#pragma once

#include <cstdint>

// The programs a key works in, as bits.
enum KeyPrograms : uint32_t {
  IN_LINUX = 1,
  IN_WINDOWS = 2,
  IN_PAGE = 4,
  ON_DESKTOP = IN_LINUX | IN_WINDOWS,
  EVERYWHERE = IN_LINUX | IN_WINDOWS | IN_PAGE,
};

// The program this build makes.
#if defined(__EMSCRIPTEN__)
constexpr uint32_t THIS_PROGRAM = IN_PAGE;
#elif defined(_WIN32)
constexpr uint32_t THIS_PROGRAM = IN_WINDOWS;
#else
constexpr uint32_t THIS_PROGRAM = IN_LINUX;
#endif

// One key or pointer action:
// - name: as the documents name it in their key lists ("I", "F12", "W A S D");
// - helpCell: its half of a help page row (HELP_CELL_LENGTH characters), or
//   null for the keys the help page's first lines already name;
// - usage: what it does, in a few words, for --help and the documents.
struct KeyHelp {
  const char *name;
  const char *helpCell;
  const char *usage;
  uint32_t programs;
};

constexpr int32_t HELP_CELL_LENGTH = 17;
constexpr int32_t HELP_ROW_LENGTH = 2 * HELP_CELL_LENGTH;

inline constexpr KeyHelp VIEWER_KEYS[] = {
    {"O", nullptr, "open a savegame", EVERYWHERE},
    {"dropped save", "  Drop: open save", "opens at once, as one chosen with O does", EVERYWHERE},
    {"arrow keys", nullptr, "move the map", EVERYWHERE},
    {"W A S D", "  WASD: move     ", "move the map", EVERYWHERE},
    {"left-button drag", nullptr, "move the map", EVERYWHERE},
    {"+ and -", nullptr, "zoom (the keypad's or the main keyboard's)", EVERYWHERE},
    {"mouse wheel", nullptr, "zoom", EVERYWHERE},
    {"I", "  'I' : info     ", "map position and marker under the pointer, on and off", EVERYWHERE},
    {"R", "  'R' : route    ", "shortest route from the pointer through what is left, on and off", EVERYWHERE},
    {"K", "  'K' : kinds    ", "both kinds, packages only or rampages only, in turn", EVERYWHERE},
    {"P", "  'P' : colours  ", "colours that colour-blind players can tell apart, on and off", EVERYWHERE},
    {"C", "  'C' : collected", "outlines of what was just collected, hidden and shown", EVERYWHERE},
    {"M", "  'M' : own map  ", "align a picture of the game's map of your own under the markers", EVERYWHERE},
    {"L", "  'L' : list     ", "the list of what is left, on and off", IN_PAGE},
    {"F12", "  F12 : picture  ", "save the picture shown as a PNG beside the save", ON_DESKTOP},
    {"Q", "  'Q' : phone    ", "share the save with a phone: its address as a QR code, on and off", ON_DESKTOP},
    {"H", nullptr, "help page on and off", EVERYWHERE},
    {"Esc", nullptr, "quit", ON_DESKTOP},
};

// Whether the key the table names `name` works in this program.
bool keyWorksHere(const char *name);

// The help page's added rows for this program, top first, each exactly
// HELP_ROW_LENGTH characters: the keys the first lines leave out, two to a
// row; the legend of the marker shapes, whose LEGEND_SHAPE characters stand
// where the renderer draws a shape (helpLegendShape says which); and what 'K',
// 'P' and 'C' show now. Returns the number of rows written (at most
// `capacity`).
constexpr int32_t HELP_ROW_CAPACITY = 8;
constexpr char LEGEND_SHAPE = '#';
int32_t composeHelpRows(char rows[HELP_ROW_CAPACITY][HELP_ROW_LENGTH + 1], int32_t capacity);

// The legend row's shapes, left to right, as the markers they stand for: a
// package of that height, or a rampage (isRampage).
struct LegendShape {
  float height;
  bool isRampage;
};
constexpr int32_t LEGEND_SHAPE_COUNT = 4;
extern const LegendShape LEGEND_SHAPES[LEGEND_SHAPE_COUNT];

// The key list of --help and the documents for the given programs: one line
// per key, its name padded to `nameWidth` then its usage, each line starting
// with `indent`. Writes at most size - 1 characters and a terminating zero;
// returns the length it needed.
int32_t writeKeyList(char *text, int32_t size, uint32_t programs, const char *indent, int32_t nameWidth);
