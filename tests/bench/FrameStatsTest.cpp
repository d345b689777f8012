#include "FrameStats.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<double> oneTo(int count)
{
    std::vector<double> values(std::size_t(count), 0.0);
    std::iota(values.begin(), values.end(), 1.0);
    return values;
}

TEST(FrameStatsTest, MedianAndNearestRankPercentiles)
{
    EXPECT_EQ(median({}), 0.0);
    EXPECT_EQ(median({7.0}), 7.0);
    EXPECT_EQ(median({3.0, 1.0, 2.0}), 2.0);
    EXPECT_EQ(median({4.0, 1.0, 3.0, 2.0}), 2.5);

    EXPECT_EQ(percentile({}, 0.95), 0.0);
    EXPECT_EQ(percentile({5.0}, 0.95), 5.0);
    // 0.95 x 20 is 19 within rounding: the 19th value, not the slowest.
    EXPECT_EQ(percentile(oneTo(20), 0.95), 19.0);
    EXPECT_EQ(percentile(oneTo(100), 0.95), 95.0);
    EXPECT_EQ(percentile(oneTo(10), 0.0), 1.0);
    EXPECT_EQ(percentile(oneTo(10), 1.0), 10.0);
}

TEST(FrameStatsTest, SummariesSplitByStateAndCountOnlyDrawnTerrain)
{
    std::vector<FrameRecord> frames;
    for (int i = 0; i < 9; ++i) {
        FrameRecord frame;
        frame.state = i < 3 ? 0 : 2;
        frame.gameSeconds = 0.1 * (i + 1);
        frame.terrainDrawn = i % 3 == 0;
        frame.terrainSeconds = frame.terrainDrawn ? 0.01 * (i + 1) : 99.0;
        frames.push_back(frame);
    }

    TimeSummary aiming = summariseGame(frames, 0);
    EXPECT_EQ(aiming.count, 3);
    EXPECT_DOUBLE_EQ(aiming.median, 0.2);
    TimeSummary all = summariseGame(frames, -1);
    EXPECT_EQ(all.count, 9);
    EXPECT_DOUBLE_EQ(all.median, 0.5);
    EXPECT_DOUBLE_EQ(all.p95, 0.9);

    TimeSummary flightTerrain = summariseTerrain(frames, 2);
    EXPECT_EQ(flightTerrain.count, 2);
    EXPECT_DOUBLE_EQ(flightTerrain.median, 0.055);
    EXPECT_EQ(summariseTerrain(frames, -1).count, 3);
    EXPECT_EQ(summariseGame(frames, 3).count, 0);
}

} // namespace
