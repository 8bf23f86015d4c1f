// The pacing of the Linux program's frames: one per refresh on a steady beat,
// whatever the display reports and however late a frame starts.
#include <gtest/gtest.h>

#include "platform/sdl/sdl_pacing.h"

namespace {

TEST(SdlPacingTest, RefreshRateFallsBackTo60WhereNoneIsReported) {
  EXPECT_EQ(pacedRefreshRate(0), 60);
  EXPECT_EQ(pacedRefreshRate(-1), 60);
  EXPECT_EQ(pacedRefreshRate(100000), 60);
  EXPECT_EQ(pacedRefreshRate(75), 75);
  EXPECT_EQ(pacedRefreshRate(144), 144);
}

// Frames that start as soon as they may keep one period apart on average,
// even when each starts up to almost a period late; after a rest the first
// frame starts at once and the beat starts again from it.
TEST(SdlPacingTest, FramesKeepTheBeatAndStartAtOnceAfterARest) {
  FramePacer pacer = makeFramePacer(50, 1000000);  // 20000 ticks a frame
  ASSERT_EQ(pacer.period, 20000u);
  uint64_t now = 5000000;
  EXPECT_EQ(ticksBeforeNextFrame(pacer, now), 0u);

  // 100 frames, each one starting `lateness` ticks after it may.
  const uint64_t first = now;
  for (int frame = 0; frame < 100; ++frame) {
    now += ticksBeforeNextFrame(pacer, now);
    now += static_cast<uint64_t>(frame % 7) * 2000;  // late by up to 12000 ticks
    noteFrameStarted(&pacer, now);
    EXPECT_GT(ticksBeforeNextFrame(pacer, now), 0u);
  }
  // The 100th frame started 99 periods after the first, give or take its own
  // lateness: none of the lateness accumulated.
  EXPECT_LE(now - first, 99u * 20000 + 12000);
  EXPECT_GE(now - first, 99u * 20000);

  // A rest of a second: the next frame may start at once, and the one after
  // a full period later.
  now += 1000000;
  EXPECT_EQ(ticksBeforeNextFrame(pacer, now), 0u);
  noteFrameStarted(&pacer, now);
  EXPECT_EQ(ticksBeforeNextFrame(pacer, now), 20000u);
  EXPECT_EQ(ticksBeforeNextFrame(pacer, now + 5000), 15000u);
}

// A frame that starts a whole period late has lost that period: the beat
// starts again from it, so the next frame waits a full period rather than
// starting at once to catch up. One tick less late, the beat is kept.
TEST(SdlPacingTest, AFrameAWholePeriodLateStartsANewBeat) {
  FramePacer pacer = makeFramePacer(50, 1000000);
  noteFrameStarted(&pacer, 1000000);
  const uint64_t due = 1020000;
  ASSERT_EQ(ticksBeforeNextFrame(pacer, 1000000), due - 1000000);

  FramePacer almost = pacer;
  noteFrameStarted(&almost, due + 19999);
  EXPECT_EQ(ticksBeforeNextFrame(almost, due + 19999), 1u);
  noteFrameStarted(&pacer, due + 20000);
  EXPECT_EQ(ticksBeforeNextFrame(pacer, due + 20000), 20000u);
}

}  // namespace
