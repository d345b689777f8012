#include "app/FrameClock.h"

#include <gtest/gtest.h>

namespace {

constexpr float rate = 60.0f;
const double step = static_cast<double>(1.0f / rate);

TEST(FrameClock, SteadyFramesPassTheirOwnDeltas)
{
    FrameClock clock(10.0, rate);
    FrameDeltas deltas = clock.tick(10.02);
    EXPECT_NEAR(deltas.realDt, 0.02, 1e-12);
    EXPECT_NEAR(deltas.gameDt, 0.02, 1e-12);
    EXPECT_FALSE(deltas.fpsReported);
}

TEST(FrameClock, LongStallIsRepairedOnceButTheGameClockKeepsIt)
{
    FrameClock clock(0.0, rate);
    testing::internal::CaptureStdout();
    FrameDeltas deltas = clock.tick(2.5);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Repairing delta time. Last frame took 2.5 sec\n");
    EXPECT_DOUBLE_EQ(deltas.gameDt, step);
    EXPECT_DOUBLE_EQ(deltas.realDt, step);
    EXPECT_DOUBLE_EQ(clock.timer().time, 2.5);

    testing::internal::CaptureStdout();
    clock.tick(2.51);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(FrameClock, ExactlyOneSecondIsNotRepaired)
{
    FrameClock clock(0.0, rate);
    testing::internal::CaptureStdout();
    FrameDeltas deltas = clock.tick(1.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_DOUBLE_EQ(deltas.realDt, 1.0);
}

TEST(FrameClock, PausedClockGivesZeroGameDeltaEvenThroughARepair)
{
    FrameClock clock(0.0, rate);
    clock.timer().setPaused(true);
    FrameDeltas deltas = clock.tick(0.016);
    EXPECT_EQ(deltas.gameDt, 0.0);
    EXPECT_DOUBLE_EQ(deltas.realDt, 0.016);

    testing::internal::CaptureStdout();
    deltas = clock.tick(3.0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(deltas.gameDt, 0.0);
    EXPECT_DOUBLE_EQ(deltas.realDt, step);

    // Resuming does not jump: the paused time never entered the game clock.
    clock.timer().setPaused(false);
    deltas = clock.tick(3.02);
    EXPECT_NEAR(deltas.gameDt, 0.02, 1e-12);
    EXPECT_NEAR(clock.timer().time, 0.02, 1e-12);
}

TEST(FrameClock, ReportsTheRateOncePerSecond)
{
    FrameClock clock(0.0, rate);
    int reports = 0;
    double lastFps = 0.0;
    for (int frame = 1; frame <= 120; ++frame) {
        FrameDeltas deltas = clock.tick(frame * 0.0125);
        if (deltas.fpsReported) {
            ++reports;
            lastFps = deltas.fps;
        }
    }
    EXPECT_EQ(reports, 1);
    EXPECT_DOUBLE_EQ(lastFps, 80.0);
}

TEST(FrameClock, MarkCatchesUpAfterAStall)
{
    FrameClock clock(0.0, rate);
    testing::internal::CaptureStdout();
    FrameDeltas stalled = clock.tick(3.0);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(stalled.fpsReported);
    EXPECT_DOUBLE_EQ(stalled.fps, 1.0 / 3.0);

    // The mark is now at 1 s, two behind: the next two frames each report one frame.
    FrameDeltas next = clock.tick(3.01);
    ASSERT_TRUE(next.fpsReported);
    EXPECT_DOUBLE_EQ(next.fps, 1.0 / 2.01);
    next = clock.tick(3.02);
    ASSERT_TRUE(next.fpsReported);
    EXPECT_DOUBLE_EQ(next.fps, 1.0 / 1.02);
    EXPECT_FALSE(clock.tick(3.03).fpsReported);
}

} // namespace
