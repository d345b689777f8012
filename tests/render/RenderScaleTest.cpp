#include "render/RenderScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// A machine whose frame costs a fixed part plus a part that grows with the pixel count, with
// some noise on every frame; the scale the controller settles on, and how often it moved once
// it had settled.
struct Settled {
    double scale = 0.0;
    int movesAfterSettling = 0;
    double lowest = 1.0, highest = 0.0;
};

Settled run(RenderScale& controller, double fixedSeconds, double shadingSeconds, double noise, int frames = 3000)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(1.0 - noise, 1.0 + noise);
    Settled result;
    double last = controller.scale();
    for (int frame = 0; frame < frames; ++frame) {
        const double s = controller.scale();
        controller.addFrame((fixedSeconds + shadingSeconds * s * s) * jitter(random));
        result.lowest = std::min(result.lowest, controller.scale());
        result.highest = std::max(result.highest, controller.scale());
        if (frame > frames / 2 && controller.scale() != last)
            ++result.movesAfterSettling;
        last = controller.scale();
    }
    result.scale = controller.scale();
    return result;
}

TEST(RenderScale, SettlesOnAScaleThatMeetsTheBudgetWithoutSwinging)
{
    // 30 frames a second: the loads below span fast enough to far beyond rescue for it.
    const double budget = 1.0 / 30.0;
    struct Load {
        double fixed, shading; // seconds at scale 1
    };
    // Fast enough as it is, just over, well over, and shading-bound far beyond any rescue.
    for (const Load load :
         {Load{0.005, 0.010}, Load{0.010, 0.028}, Load{0.008, 0.045}, Load{0.004, 0.060}, Load{0.020, 0.300}}) {
        RenderScale controller(budget);
        const Settled settled = run(controller, load.fixed, load.shading, 0.08);
        SCOPED_TRACE(testing::Message() << "fixed " << load.fixed << " s, shading " << load.shading << " s");
        EXPECT_GE(settled.lowest, RenderScale::MIN_SCALE);
        EXPECT_LE(settled.highest, RenderScale::MAX_SCALE);
        EXPECT_EQ(settled.movesAfterSettling, 0);
        const double cost = load.fixed + load.shading * settled.scale * settled.scale;
        if (settled.scale > RenderScale::MIN_SCALE)
            EXPECT_LE(cost, budget);
        else
            EXPECT_GT(load.fixed + load.shading * 0.65 * 0.65, budget) << "went to the floor without need";
        // Not lower than it has to be: the next step up would miss the budget (or it is full size).
        if (settled.scale < RenderScale::MAX_SCALE) {
            const double up = settled.scale + RenderScale::STEP_UP;
            EXPECT_GT(load.fixed + load.shading * up * up, 0.6 * budget);
        }
    }
}

TEST(RenderScale, ACostlierSceneIsMetWithinAFewMissedFrames)
{
    // A cheap scene (the game-over screen) let the scale climb; the next throw's aiming is a
    // fifth over the budget there, half of it fixed costs that no scale takes away.
    const double budget = RenderScale::DEFAULT_BUDGET;
    const auto cost = [](double scale) { return 0.009 + 0.011 * (scale / 0.55) * (scale / 0.55); };
    RenderScale controller;
    controller.setFloor(0.4);
    controller.reset(0.55);
    int misses = 0;
    for (int frame = 0; frame < 48; ++frame) {
        const double seconds = cost(controller.scale());
        misses += seconds > budget;
        controller.addFrame(seconds);
    }
    EXPECT_LE(misses, RenderScale::WINDOW_FRAMES / 2);
    EXPECT_LE(cost(controller.scale()), budget);
    EXPECT_GE(controller.scale(), 0.4);

    // Every throw comes back to it: from the second on, aiming starts at the scale it was left
    // at, with no miss, and the cheap scene at its own again.
    enum { AIMING, SCORE };
    controller.enterScene(AIMING);
    const double aimingScale = controller.scale();
    controller.enterScene(SCORE);
    for (int frame = 0; frame < 200; ++frame)
        controller.addFrame(0.5 * cost(controller.scale()));
    const double scoreScale = controller.scale();
    ASSERT_GT(scoreScale, aimingScale);
    controller.enterScene(AIMING);
    EXPECT_EQ(controller.scale(), aimingScale);
    controller.enterScene(SCORE);
    EXPECT_EQ(controller.scale(), scoreScale);
    // A new window forgets them: their costs have changed with its size.
    controller.setFloor(0.45);
    controller.enterScene(AIMING);
    EXPECT_EQ(controller.scale(), scoreScale);
}

TEST(RenderScale, StallsAreIgnoredAndAFastMachineGetsFullSizeBack)
{
    RenderScale controller;
    for (int i = 0; i < 200; ++i)
        controller.addFrame(i % 2 ? 2.5 : NAN); // loading, a minimised window: no judgement
    EXPECT_EQ(controller.scale(), RenderScale::MAX_SCALE);

    run(controller, 0.01, 0.09, 0.0, 200);
    EXPECT_LT(controller.scale(), 0.8);
    // The load goes away: the scale climbs back step by step, never past full size.
    run(controller, 0.004, 0.004, 0.0, 400);
    EXPECT_EQ(controller.scale(), RenderScale::MAX_SCALE);
    controller.reset();
    EXPECT_EQ(controller.scale(), RenderScale::MAX_SCALE);
    // A slow renderer starts at the floor and grows into the room it has.
    controller.reset(RenderScale::MIN_SCALE);
    EXPECT_EQ(controller.scale(), RenderScale::MIN_SCALE);
    run(controller, 0.004, 0.004, 0.0, 400);
    EXPECT_EQ(controller.scale(), RenderScale::MAX_SCALE);
    controller.reset(0.1);
    EXPECT_EQ(controller.scale(), RenderScale::MIN_SCALE);
    controller.reset(NAN);
    EXPECT_EQ(controller.scale(), RenderScale::MAX_SCALE);
}

TEST(RenderScale, TheFloorLeavesEnoughPixelsForTheWindowsSize)
{
    EXPECT_DOUBLE_EQ(RenderScale::floorFor(900, 700), 0.475);
    EXPECT_DOUBLE_EQ(RenderScale::floorFor(1024, 768), 0.425);
    EXPECT_DOUBLE_EQ(RenderScale::floorFor(1920, 1080), RenderScale::LOWEST_SCALE);
    EXPECT_DOUBLE_EQ(RenderScale::floorFor(640, 480), RenderScale::MIN_SCALE);
    EXPECT_DOUBLE_EQ(RenderScale::floorFor(16384, 16384), RenderScale::LOWEST_SCALE);
    EXPECT_DOUBLE_EQ(RenderScale::floorFor(0, 768), RenderScale::MIN_SCALE);
    EXPECT_DOUBLE_EQ(RenderScale::floorFor(1024, -1), RenderScale::MIN_SCALE);

    // Shading-bound far beyond rescue: down to the floor and no further; a new floor holds.
    RenderScale controller;
    controller.setFloor(RenderScale::floorFor(1920, 1080));
    run(controller, 0.02, 0.3, 0.05, 400);
    EXPECT_DOUBLE_EQ(controller.scale(), RenderScale::LOWEST_SCALE);
    controller.setFloor(0.55);
    EXPECT_DOUBLE_EQ(controller.scale(), 0.55) << "raised to a higher floor at once";
    controller.setFloor(NAN);
    EXPECT_DOUBLE_EQ(controller.floor(), RenderScale::MIN_SCALE);
    controller.setFloor(0.1);
    EXPECT_DOUBLE_EQ(controller.floor(), RenderScale::LOWEST_SCALE);
    controller.reset(0.0);
    EXPECT_DOUBLE_EQ(controller.scale(), RenderScale::LOWEST_SCALE);
}

} // namespace
