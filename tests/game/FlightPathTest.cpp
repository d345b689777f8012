#include "game/FlightPath.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

const double ANGLE = 40.0 * 3.141592653589793 / 180.0; // radians

TEST(FlightPath, HeightDependsOnDistanceOnlyNotOnStepSize)
{
    const float time = 2.5f; // seconds
    const double d = 30.0 * std::cos(ANGLE) * time;
    const double h = std::tan(ANGLE) * d - 9.81 * d * d / (2 * 900 * std::pow(std::cos(ANGLE), 2));
    for (int steps : {1, 7, 600}) {
        FlightPath path(30.0f, 40.0f, glm::vec3(0.0f, 10.0f, 0.0f), glm::mat3(1.0f));
        for (int i = 0; i < steps; ++i)
            path.update(time / steps);
        SCOPED_TRACE(steps);
        EXPECT_NEAR(path.getPosition().x, d, 1e-3);
        EXPECT_NEAR(path.getPosition().y, 10.0 + h, 1e-3);
    }
}

TEST(FlightPath, StepsAddUpToTheDisplacementInARotatedFrame)
{
    const glm::mat3 frame(glm::rotate(glm::mat4(1.0f), glm::radians(30.0f), glm::vec3(0, 1, 0)));
    const glm::vec3 start(4.0f, 10.0f, -7.0f);
    FlightPath path(45.0f, 55.0f, start, frame);
    EXPECT_EQ(path.getStep(), glm::vec3(0.0f));

    glm::vec3 sum(0.0f);
    for (float dt : {0.016f, 0.033f, 0.001f, 0.25f, 0.5f, 0.1f}) {
        path.update(dt);
        sum += path.getStep();
    }
    const glm::vec3 moved = path.getPosition() - start;
    EXPECT_LT(glm::length(sum - moved), 1e-3f);
    EXPECT_GT(glm::length(moved), 10.0f);
}

TEST(FlightPath, LaunchFrameKeepsTheArcOnTheCentreLine)
{
    // The game's frame: forward along -z, height along y, no sideways column, so the start's
    // x is not part of the arc.
    const glm::mat3 launchFrame(glm::vec3(0, 0, -1), glm::vec3(0, 1, 0), glm::vec3(0));
    FlightPath path(60.0f, 40.0f, glm::vec3(7.0f, 10.0f, -20.0f), launchFrame);
    for (int i = 0; i < 300; ++i) {
        path.update(1.0f / 60.0f);
        ASSERT_EQ(path.getPosition().x, 0.0f);
        ASSERT_LT(path.getStep().z, 0.0f);
    }
    const glm::vec3 landing = path.predictLanding();
    EXPECT_EQ(landing.x, 0.0f);
    EXPECT_EQ(landing.y, 0.0f);
    EXPECT_LT(landing.z, -20.0f);
}

TEST(FlightPath, LandingFromAHeightIsBeyondTheLevelGroundRange)
{
    const double levelRange = 50.0 * 50.0 * std::sin(2.0 * ANGLE) / 9.81;
    FlightPath level(50.0f, 40.0f, glm::vec3(0.0f), glm::mat3(1.0f));
    EXPECT_NEAR(level.predictLanding().x, levelRange, 1e-3 * levelRange);

    FlightPath raised(50.0f, 40.0f, glm::vec3(0.0f, 10.0f, 0.0f), glm::mat3(1.0f));
    const glm::vec3 landing = raised.predictLanding();
    EXPECT_GT(landing.x, levelRange + 1.0);

    // Flown out to the predicted distance, the arc is down at height 0.
    const float timeToLanding = landing.x / (50.0f * static_cast<float>(std::cos(ANGLE)));
    for (int i = 0; i < 100; ++i)
        raised.update(timeToLanding / 100.0f);
    EXPECT_NEAR(raised.getPosition().x, landing.x, 1e-2);
    EXPECT_NEAR(raised.getPosition().y, 0.0f, 1e-2);
}

TEST(FlightPath, LevelLaunchOnlyFallsAndZeroSpeedDoesNotTrap)
{
    FlightPath path(30.0f, 0.0f, glm::vec3(0.0f, 10.0f, 0.0f), glm::mat3(1.0f));
    float lastFall = 0.0f;
    for (int i = 0; i < 120; ++i) {
        path.update(1.0f / 60.0f);
        ASSERT_GT(-path.getStep().y, lastFall); // falling, faster every frame
        lastFall = -path.getStep().y;
    }
    EXPECT_NEAR(path.getPosition().y, 10.0f - 0.5f * 9.81f * 4.0f, 1e-3);

    // Speed 0 divides by zero: a meaningless arc, but no floating-point trap.
    FlightPath still(0.0f, 40.0f, glm::vec3(0.0f, 10.0f, 0.0f), glm::mat3(1.0f));
    still.update(0.016f);
    EXPECT_FALSE(std::isfinite(still.getPosition().y));
}

// A bounce that leaves the ground almost straight up, far along the throw, moves its world
// position by less than a float's step there each frame; the arc must still rise and come down
// rather than hang in the air for ever.
TEST(FlightPath, ASteepArcFarFromTheOriginStillComesDown)
{
    const glm::mat3 launchFrame(glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(0.0f));
    for (float angle : {89.99f, 90.0f}) {
        FlightPath path(20.0f, angle, glm::vec3(10.0f, 12.0f, -40000.0f), launchFrame);
        float highest = 12.0f;
        int frames = 0;
        for (; frames < 600 && path.getPosition().y >= 12.0f; ++frames) {
            path.update(1.0f / 30.0f);
            highest = std::max(highest, path.getPosition().y);
        }
        EXPECT_LT(frames, 600) << "the arc at " << angle << " degrees never came down";
        EXPECT_NEAR(highest, 12.0f + 20.0f * 20.0f / (2.0f * 9.81f), 1.0f) << angle;
    }
}

} // namespace
