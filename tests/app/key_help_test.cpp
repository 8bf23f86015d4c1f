// The key table and what is written from it (the help page's added rows, the
// key list of --help), the documents' key lists checked against it, and the
// breaking of added lines to a width.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/collecting_route.h"
#include "app/key_help.h"
#include "app/text_fit.h"
#include "app/viewer_state.h"
#include "render/marker_palette.h"

namespace {

class KeyHelpTest : public ::testing::Test {
 protected:
  void TearDown() override { resetViewerState(); }
};

std::vector<std::string> helpRows(int32_t capacity) {
  char rows[HELP_ROW_CAPACITY][HELP_ROW_LENGTH + 1];
  const int32_t count = composeHelpRows(rows, capacity);
  return std::vector<std::string>(rows, rows + count);
}

// Every key of this program that the page's first lines leave out has its
// cell in the added rows, each row a full 34 characters; the legend holds the
// four shapes; the last row follows 'K' and 'P'; a short box loses rows from
// the bottom.
TEST_F(KeyHelpTest, AddedHelpRowsNameEveryKeyTheFirstLinesLeaveOut) {
  const std::vector<std::string> rows = helpRows(HELP_ROW_CAPACITY);
  std::string all;
  for (const std::string &row : rows) {
    EXPECT_EQ(row.size(), static_cast<size_t>(HELP_ROW_LENGTH)) << "[" << row << "]";
    all += row;
  }
  for (const KeyHelp &key : VIEWER_KEYS) {
    if (key.helpCell == nullptr) continue;
    EXPECT_EQ(all.find(key.helpCell) != std::string::npos, (key.programs & THIS_PROGRAM) != 0) << key.name;
  }
  ASSERT_GE(rows.size(), 2u);
  const std::string legend = rows[rows.size() - 2];
  size_t shapes = 0;
  for (char c : legend) shapes += c == LEGEND_SHAPE ? 1 : 0;
  EXPECT_EQ(shapes, static_cast<size_t>(LEGEND_SHAPE_COUNT));
  EXPECT_NE(rows.back().find("Both kinds, standard colours"), std::string::npos) << rows.back();

  viewerState.shownKinds = SHOW_RAMPAGES_ONLY;
  viewerState.markerPalette = PALETTE_SAFE;
  EXPECT_NE(helpRows(HELP_ROW_CAPACITY).back().find("Rampages only, safe colours"), std::string::npos);

  const std::vector<std::string> shorter = helpRows(2);
  ASSERT_EQ(shorter.size(), 2u);
  EXPECT_EQ(shorter[0], rows[0]);
  EXPECT_EQ(shorter[1], rows[1]);
  EXPECT_TRUE(helpRows(0).empty());
}

// --help's key list: every key of the program, each on its line; none of
// another program's.
TEST_F(KeyHelpTest, KeyListNamesEveryKeyOfTheProgramsAsked) {
  char text[4096];
  const int32_t length = writeKeyList(text, sizeof text, IN_PAGE, "  ", 18);
  ASSERT_LT(length, static_cast<int32_t>(sizeof text));
  const std::string list = text;
  for (const KeyHelp &key : VIEWER_KEYS) {
    const std::string line = std::string("  ") + key.name + std::string(18 - std::strlen(key.name), ' ') + " ";
    EXPECT_EQ(list.find(line) != std::string::npos, (key.programs & IN_PAGE) != 0) << key.name;
  }
  // Cut short, the text still ends in its terminator.
  char small[16];
  EXPECT_EQ(writeKeyList(small, sizeof small, EVERYWHERE, "  ", 18), writeKeyList(text, sizeof text, EVERYWHERE, "  ", 18));
  EXPECT_EQ(std::strlen(small), sizeof small - 1);
}

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
// The text of a man page's font macro line: ".B" joins its words with
// spaces, the alternating macros (".RB", ".BR") run their arguments together.
std::string manHeading(const std::string &line) {
  std::vector<std::string> arguments;
  size_t i = line.find(' ');
  while (i != std::string::npos && i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size()) break;
    const bool quoted = line[i] == '"';
    const size_t end = quoted ? line.find('"', i + 1) : line.find(' ', i);
    arguments.push_back(line.substr(i + (quoted ? 1 : 0), end == std::string::npos ? std::string::npos
                                                                                     : end - i - (quoted ? 1 : 0)));
    i = end == std::string::npos ? end : end + (quoted ? 1 : 0);
  }
  std::string text;
  for (const std::string &argument : arguments) {
    if (!text.empty() && line.rfind(".B ", 0) == 0) text += ' ';
    text += argument;
  }
  for (size_t dash; (dash = text.find("\\-")) != std::string::npos;) text.erase(dash, 1);
  return text;
}

// The names a document's key list gives: for each entry, its heading (a man
// page's line after .TP without its markup, or a read-me line's words before
// the wide gap) split at ", ".
std::set<std::string> documentedKeys(const std::string &path, const std::string &from, const std::string &to,
                                     bool manPage) {
  std::ifstream file(path);
  EXPECT_TRUE(file) << path;
  std::string line;
  bool inside = false, heading = false;
  std::set<std::string> names;
  while (std::getline(file, line)) {
    if (!inside) {
      inside = line == from;
      continue;
    }
    if (line.rfind(to, 0) == 0) break;
    std::string entry;
    if (manPage) {
      if (heading) entry = manHeading(line);
      heading = line == ".TP";
    } else if (line.rfind("  ", 0) == 0 && line[2] != ' ') {
      entry = line.substr(2, line.find("   ", 2) - 2);
    }
    for (size_t start = 0; !entry.empty() && start <= entry.size();) {
      const size_t comma = entry.find(", ", start);
      names.insert(entry.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      start = comma == std::string::npos ? entry.size() + 1 : comma + 2;
    }
  }
  return names;
}

// The manual page and the Windows read-me list every key of their program.
TEST_F(KeyHelpTest, DocumentsListEveryKeyOfTheirProgram) {
  const std::string source = VIEWER_SOURCE_DIR;
  const std::set<std::string> manual = documentedKeys(source + "/docs/man/package-viewer.1", ".SH KEYS", ".SH", true);
  const std::set<std::string> readme =
      documentedKeys(source + "/scripts/release-windows", "--------------", "Your own map", false);
  for (const KeyHelp &key : VIEWER_KEYS) {
    EXPECT_EQ(manual.count(key.name), (key.programs & IN_LINUX) != 0 ? 1u : 0u) << key.name << " in the manual page";
    EXPECT_EQ(readme.count(key.name), (key.programs & IN_WINDOWS) != 0 ? 1u : 0u) << key.name << " in README.txt";
  }
}
#endif

// Lines break after a space (dropped), else after a path separator that
// leaves the line at least half full, else at the width; out of lines, the
// last one shows the text's end after "...".
TEST(TextFit, BreaksAtSpacesThenSeparatorsThenAnywhereAndKeepsTheEnd) {
  struct Case {
    const char *text;
    int32_t width, capacity;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"package 97: 1858.8, -460.0, 17.3, stop 1 of 37", 20, 4,
       {"package 97: 1858.8,", "-460.0, 17.3, stop 1", "of 37"}},
      {"short", 20, 4, {"short"}},
      {"", 20, 4, {}},
      {"/home/player/saves/slot1.png", 16, 4, {"/home/player/", "saves/slot1.png"}},
      {"/a/averyverylongname.png", 10, 4, {"/a/averyve", "rylongname", ".png"}},
      {"one two three four five six", 8, 2, {"one two", "...e six"}},
      {"abcdef", 0, 8, {"a", "b", "c", "d", "e", "f"}},
      {"abcdef", 2, 2, {"ab", "ef"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    char lines[8][FITTED_LINE_SIZE];
    const int32_t count = fitTextLines(c.text, c.width, lines, c.capacity);
    ASSERT_EQ(count, static_cast<int32_t>(c.lines.size()));
    for (int32_t i = 0; i < count; ++i) EXPECT_EQ(lines[i], c.lines[i]);
  }
}

}  // namespace
