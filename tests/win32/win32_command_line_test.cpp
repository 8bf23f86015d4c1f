// The Windows viewer's reading of its one-string command line.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_command_line.h"
#include "render/marker_palette.h"

namespace {

struct LineCase {
  const char *line;
  std::string path;
  bool share;
  std::string site;
  int32_t palette;  // -1: none given
  std::string error;
};

TEST(Win32CommandLine, OptionsBeforeThePathTheRestIsThePath) {
  const std::string tooLong = "C:\\" + std::string(300, 'a') + ".b";
  const LineCase cases[] = {
      {"", "", false, "", -1, ""},
      {"C:\\saves\\slot1.b", "C:\\saves\\slot1.b", false, "", -1, ""},
      {"  \"C:\\My Saves\\slot 1.b\"  ", "C:\\My Saves\\slot 1.b", false, "", -1, ""},
      // Explorer's drop, unquoted: the spaces are the name's.
      {"C:\\My Saves\\slot 1.b", "C:\\My Saves\\slot 1.b", false, "", -1, ""},
      {"\"C:\\My Saves\\\"", "C:\\My Saves\\", false, "", -1, ""},
      {"\"C:\\a.b\" \"C:\\b b.b\"", "C:\\a.b", false, "", -1, ""},
      {"--palette safe C:\\x.b", "C:\\x.b", false, "", PALETTE_SAFE, ""},
      {"--palette bogus C:\\x.b", "--palette bogus C:\\x.b", false, "", -1, ""},
      {"--palette", "--palette", false, "", -1, ""},
      {"--share --site \"C:\\web site\" --palette standard C:\\My Saves\\slot 1.b", "C:\\My Saves\\slot 1.b", true,
       "C:\\web site", PALETTE_STANDARD, ""},
      {"\t--site C:\\web --share", "", true, "C:\\web", -1, ""},
      // Options stop at the path; a name that merely starts like one is a path.
      {"C:\\x.b --share", "C:\\x.b --share", false, "", -1, ""},
      {"--shared.b", "--shared.b", false, "", -1, ""},
      {"--share \"--site\"", "--site", true, "", -1, ""},
      {"--site", "", false, "", -1, "--site needs a folder"},
      {"--site \"C:\\unclosed C:\\x.b", "", false, "", -1, "--site needs a folder"},
      // Kept whole for the opener to refuse as too long.
      {tooLong.c_str(), tooLong, false, "", -1, ""},
  };
  for (const LineCase &expected : cases) {
    SCOPED_TRACE(expected.line);
    const WindowsCommandLine read = readWindowsCommandLine(expected.line);
    EXPECT_EQ(read.path, expected.path);
    EXPECT_EQ(read.share, expected.share);
    EXPECT_EQ(read.site, expected.site);
    EXPECT_EQ(read.paletteGiven ? read.palette : -1, expected.palette);
    EXPECT_EQ(read.error, expected.error);
  }
  EXPECT_EQ(readWindowsCommandLine(nullptr).path, "");
  const WindowsCommandLine renewing = readWindowsCommandLine("--new-address --share C:\\x.b");
  EXPECT_TRUE(renewing.newAddress && renewing.share && renewing.path == "C:\\x.b");
  EXPECT_FALSE(readWindowsCommandLine("--share C:\\x.b").newAddress);
}

}  // namespace
