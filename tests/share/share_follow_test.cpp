// The share server's follower of a save: a version is handed out once, and a
// version whose stamp stands still (a rewrite in place that kept the size and
// put the write time back) is still handed out when the watch saw the save
// written, but never twice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "share/share_follow.h"
#include "support/savegame_writer.h"

namespace {

void frozenStamp(const char *, FileStamp *stamp) { *stamp = FileStamp{true, 1, 2, 3, 4, 5}; }

TEST(ShareFollowTest, ANotifiedRewriteIsHandedOutEvenWhenItsStampStandsStill) {
  const std::string save = temporaryPath("shared.b");
  const std::vector<unsigned char> first = makeSavegame({pickup(154, 1, 2, 3)});
  const std::vector<unsigned char> second = makeSavegame({pickup(154, 1, 2, 3), pickup(127, 4, 5, 6)});
  writeBytes(save, first);
  headlessSetStampHook(frozenStamp);
  ShareFollower follower;
  std::string error;
  ASSERT_TRUE(startShareFollower(&follower, save, &error)) << error;

  std::shared_ptr<const std::string> bytes;
  bool fresh = false;
  ASSERT_EQ(followShareSave(&follower, false, &bytes, &fresh), SHARE_FOLLOW_NEW);
  EXPECT_TRUE(fresh);
  EXPECT_EQ(*bytes, std::string(first.begin(), first.end()));

  writeBytes(save, second);
  EXPECT_EQ(followShareSave(&follower, false, &bytes, &fresh), SHARE_FOLLOW_IDLE);  // the stamp says nothing
  ASSERT_EQ(followShareSave(&follower, true, &bytes, &fresh), SHARE_FOLLOW_NEW);    // the watch did
  EXPECT_FALSE(fresh);
  EXPECT_EQ(*bytes, std::string(second.begin(), second.end()));
  // A notification for a write that changed nothing hands out nothing.
  EXPECT_EQ(followShareSave(&follower, true, &bytes, &fresh), SHARE_FOLLOW_IDLE);
  headlessSetStampHook(nullptr);
  std::remove(save.c_str());
}

}  // namespace
