// The ghost's path: sampled at a fixed rate of game time whatever the frames, paused time
// skipped, replayed at the same game times, read back from its file, and the ghost drawn
// only between its launch and the end of its path.

#include "game/Ghost.h"
#include "game/GhostPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A made-up flight: every part of the pose moves at its own steady rate.
GhostPose poseAt(double t)
{
    GhostPose pose;
    pose.position = glm::vec3(float(2.0 * t), float(10.0 + 3.0 * t), float(-40.0 * t));
    pose.rotationAngle = float(15.0 * t);
    pose.animationTime = 100.0 + t;
    return pose;
}

// Records the flight with the frame steps given; a step of 0 is a paused frame.
GhostPath recorded(const std::vector<double>& steps)
{
    GhostPath path;
    double t = 0.0;
    path.start(poseAt(t));
    for (double step : steps) {
        t += step;
        path.record(step, poseAt(t));
    }
    path.finish();
    return path;
}

void expectPose(const GhostPose& pose, double t)
{
    const GhostPose expected = poseAt(t);
    // Positions are floats: far out, their last digits go.
    const float near = 1e-3f + 1e-6f * std::fabs(expected.position.z);
    EXPECT_NEAR(pose.position.x, expected.position.x, near) << t;
    EXPECT_NEAR(pose.position.z, expected.position.z, near) << t;
    EXPECT_NEAR(pose.rotationAngle, expected.rotationAngle, 1e-3) << t;
    EXPECT_NEAR(pose.animationTime, expected.animationTime, 1e-6) << t;
}

TEST(GhostPath, SamplesAtAFixedRateOfGameTimeWhateverTheFrames)
{
    // Slow and uneven frames, as on a software renderer, with a paused stretch in between.
    const GhostPath uneven = recorded({0.25, 0.0, 0.0, 0.01, 0.4, 0.0, 0.123, 0.217});
    const GhostPath steady = recorded({0.25, 0.01, 0.4, 0.123, 0.217});
    ASSERT_EQ(uneven.sampleCount(), steady.sampleCount()) << "paused frames add nothing";
    EXPECT_NEAR(uneven.duration(), 1.0, 1e-12);
    // Thirty samples a second: at 0, 1/30, 2/30 and so on up to the end at 1.
    ASSERT_EQ(uneven.sampleCount(), 31u);
    for (std::size_t i = 0; i + 1 < uneven.sampleCount(); ++i)
        expectPose(uneven.poses()[i], double(i) * GhostPath::SAMPLE_INTERVAL);
    expectPose(uneven.poses().back(), 1.0);

    for (double t : {0.0, 0.01, 0.5, 0.77, 0.98, 1.0}) {
        GhostPose pose;
        ASSERT_TRUE(uneven.poseAt(t, pose)) << t;
        expectPose(pose, t);
    }
    GhostPose pose;
    EXPECT_FALSE(uneven.poseAt(-0.001, pose)) << "before the launch";
    EXPECT_FALSE(uneven.poseAt(1.001, pose)) << "after the last bounce";
    EXPECT_FALSE(GhostPath().poseAt(0.0, pose));
}

TEST(GhostPath, AFlightLongerThanTheLongestKeptStopsThere)
{
    const GhostPath path = recorded({GhostPath::MAX_SECONDS - 0.5, 1.0, 30.0});
    EXPECT_NEAR(path.duration(), GhostPath::MAX_SECONDS, 1e-9);
    EXPECT_LE(path.sampleCount(), GhostPath::MAX_SAMPLES);
    GhostPose pose;
    ASSERT_TRUE(path.poseAt(GhostPath::MAX_SECONDS, pose));
    expectPose(pose, GhostPath::MAX_SECONDS);
}

TEST(GhostPath, ReadsBackWhatItWroteAndRefusesWhatDoesNotFit)
{
    const GhostPath path = recorded({0.3, 0.31, 0.05});
    const ThrowRecord owner{412.37, "2025-03-14 18:02:51"};
    const std::string text = path.toText(owner);

    GhostPath loaded;
    ThrowRecord loadedOwner;
    std::string problem;
    ASSERT_TRUE(GhostPath::fromText(text, loaded, loadedOwner, problem)) << problem;
    EXPECT_EQ(loadedOwner, owner);
    ASSERT_EQ(loaded.sampleCount(), path.sampleCount());
    EXPECT_NEAR(loaded.duration(), path.duration(), 1e-6);
    GhostPose pose;
    ASSERT_TRUE(loaded.poseAt(0.5, pose));
    expectPose(pose, 0.5);

    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        return changed;
    };
    const std::string damaged[] = {
        replaced("interval 0.0333", "interval 0.0166"),
        replaced("samples 21", "samples 18000"),
        replaced("samples 21", "samples 2"),
        replaced("\n0.6000", "\nnan"),
        replaced("\n0.6000", "\n1e30"),
        text.substr(0, text.rfind('\n', text.size() - 2) + 1),
        text + "1 2 3 4 5\n",
    };
    for (const std::string& bad : damaged) {
        GhostPath untouched = path;
        EXPECT_FALSE(GhostPath::fromText(bad, untouched, loadedOwner, problem)) << bad.substr(0, 120);
        EXPECT_FALSE(problem.empty());
        EXPECT_EQ(untouched.sampleCount(), path.sampleCount()) << "a refused file changes nothing";
    }
}

TEST(Ghost, IsDrawnOnlyFromItsLaunchToTheEndOfItsPath)
{
    const GhostPath best = recorded({0.5, 0.5});
    Ghost ghost;
    GhostPose pose;
    EXPECT_FALSE(ghost.pose(pose)) << "before any launch";

    ghost.launch(best);
    ASSERT_TRUE(ghost.pose(pose));
    expectPose(pose, 0.0);
    ghost.advance(0.4);
    ghost.advance(0.0); // paused
    ASSERT_TRUE(ghost.pose(pose));
    expectPose(pose, 0.4);
    ghost.setVisible(false);
    EXPECT_FALSE(ghost.pose(pose)) << "hidden with G";
    ghost.setVisible(true);
    ghost.advance(0.6);
    ASSERT_TRUE(ghost.pose(pose)) << "the path's last moment";
    ghost.advance(0.01);
    EXPECT_FALSE(ghost.pose(pose)) << "its path has ended";

    ghost.launch(best);
    ghost.advance(0.2);
    ghost.land();
    EXPECT_FALSE(ghost.pose(pose)) << "after the flight";
    ghost.launch(GhostPath());
    EXPECT_FALSE(ghost.pose(pose)) << "no best throw yet";
}

} // namespace
