// The kept share token: the same from one start to the next, replaced by a
// renewal or when the kept file is damaged, and written owner-only.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "share/share_token.h"
#include "support/savegame_writer.h"

namespace {

TEST(ShareTokenTest, KeptAcrossStartsUntilRenewedOrDamaged) {
  const std::string config = temporaryPath("config");
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  const std::string file = config + "/package-viewer/" + SHARE_TOKEN_FILE;
  std::string warning;

  const std::string first = keptShareToken(false, &warning);
  EXPECT_EQ(warning, "");
  EXPECT_EQ(first.size(), 32u);
  EXPECT_EQ(keptShareToken(false, &warning), first);
  struct stat info;
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  const std::string renewed = keptShareToken(true, &warning);
  EXPECT_NE(renewed, first);
  EXPECT_EQ(keptShareToken(false, &warning), renewed);

  for (const char *damaged : {"", "0123456789abcdef0123456789ABCDEF\n", "0123456789abcdef\n"}) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;
    const std::string replaced = keptShareToken(false, &warning);
    EXPECT_EQ(replaced.size(), 32u) << damaged;
    EXPECT_NE(replaced, renewed);
    EXPECT_EQ(keptShareToken(false, &warning), replaced) << "the replacement is kept";
  }

  // A settings folder that cannot be made: a token for this run alone, and why.
  const std::string blocked = temporaryPath("blocked");
  std::ofstream(blocked) << "a file, not a folder";
  setenv("XDG_CONFIG_HOME", blocked.c_str(), 1);
  EXPECT_EQ(keptShareToken(false, &warning).size(), 32u);
  EXPECT_NE(warning.find("cannot be kept"), std::string::npos);
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
