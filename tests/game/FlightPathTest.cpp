#include "game/FlightPath.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <vector>

namespace {

constexpr double PI = 3.141592653589793;

// The frame GameLogic flies in: forward along -z, height along y, nothing sideways.
glm::mat3 launchFrame()
{
    return glm::mat3(glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(0.0f));
}

double expectedHeight(double speed, double angleDegrees, double gravity, double d)
{
    const double a = angleDegrees * PI / 180.0;
    return std::tan(a) * d - gravity * d * d / (2.0 * speed * speed * std::cos(a) * std::cos(a));
}

TEST(FlightPath, HeightDependsOnDistanceOnlyNotOnStepSize)
{
    const float totalTime = 2.5f; // seconds
    const double angle = 40.0 * PI / 180.0;
    for (int steps : {1, 7, 60, 600}) {
        FlightPath path(30.0f, 40.0f, glm::vec3(0.0f, 10.0f, 0.0f), glm::mat3(1.0f));
        for (int i = 0; i < steps; ++i)
            path.update(totalTime / steps);

        const double d = 30.0 * std::cos(angle) * totalTime;
        const glm::vec3 position = path.getPosition();
        SCOPED_TRACE(steps);
        EXPECT_NEAR(position.x, d, 1e-3);
        EXPECT_NEAR(position.y, 10.0 + expectedHeight(30.0, 40.0, 9.81, d), 1e-3);
        EXPECT_FLOAT_EQ(position.z, 0.0f);
    }
}

TEST(FlightPath, StepsAddUpToTheDisplacementInARotatedFrame)
{
    const glm::mat3 frame(glm::rotate(glm::mat4(1.0f), glm::radians(30.0f), glm::vec3(0, 1, 0)));
    const glm::vec3 start(4.0f, 10.0f, -7.0f);
    FlightPath path(45.0f, 55.0f, start, frame);
    EXPECT_EQ(path.getStep(), glm::vec3(0.0f));

    glm::vec3 sum(0.0f);
    const std::vector<float> steps = {0.016f, 0.033f, 0.001f, 0.25f, 0.016f, 0.5f, 0.1f};
    for (float dt : steps) {
        path.update(dt);
        sum += path.getStep();
    }
    const glm::vec3 moved = path.getPosition() - start;
    EXPECT_NEAR(sum.x, moved.x, 1e-3);
    EXPECT_NEAR(sum.y, moved.y, 1e-3);
    EXPECT_NEAR(sum.z, moved.z, 1e-3);
    EXPECT_GT(glm::length(moved), 10.0f);
}

TEST(FlightPath, LaunchFrameKeepsTheArcOnTheCentreLine)
{
    // The start's x is not part of the arc: the launch frame has no sideways column.
    FlightPath path(60.0f, 40.0f, glm::vec3(7.0f, 10.0f, -20.0f), launchFrame());
    for (int i = 0; i < 300; ++i) {
        path.update(1.0f / 60.0f);
        ASSERT_EQ(path.getPosition().x, 0.0f);
        ASSERT_EQ(path.getStep().x, 0.0f);
        ASSERT_LT(path.getStep().z, 0.0f); // always flying toward -z
    }

    const glm::vec3 landing = path.predictLanding();
    EXPECT_EQ(landing.x, 0.0f);
    EXPECT_EQ(landing.y, 0.0f);
    EXPECT_LT(landing.z, -20.0f);
}

TEST(FlightPath, LandingFromAHeightIsBeyondTheLevelGroundRange)
{
    const float speed = 50.0f;
    const double a = 40.0 * PI / 180.0;
    const double levelRange = speed * speed * std::sin(2.0 * a) / 9.81;

    FlightPath level(speed, 40.0f, glm::vec3(0.0f), glm::mat3(1.0f));
    EXPECT_NEAR(level.predictLanding().x, levelRange, 1e-3 * levelRange);
    EXPECT_NEAR(level.predictLanding().y, 0.0f, 1e-6);

    FlightPath raised(speed, 40.0f, glm::vec3(0.0f, 10.0f, 0.0f), glm::mat3(1.0f));
    const glm::vec3 landing = raised.predictLanding();
    EXPECT_GT(landing.x, levelRange + 1.0);

    // Flying the arc to the predicted distance brings it down to height 0 there.
    const float timeToLanding = landing.x / (speed * static_cast<float>(std::cos(a)));
    for (int i = 0; i < 100; ++i)
        raised.update(timeToLanding / 100.0f);
    EXPECT_NEAR(raised.getPosition().x, landing.x, 1e-2);
    EXPECT_NEAR(raised.getPosition().y, 0.0f, 1e-2);
}

TEST(FlightPath, LevelLaunchOnlyFalls)
{
    FlightPath path(30.0f, 0.0f, glm::vec3(0.0f, 10.0f, 0.0f), glm::mat3(1.0f));
    float lastFall = 0.0f;
    for (int i = 0; i < 120; ++i) {
        path.update(1.0f / 60.0f);
        const float fall = -path.getStep().y;
        ASSERT_GT(fall, lastFall); // falling, and faster every frame
        lastFall = fall;
    }
    EXPECT_NEAR(path.getPosition().y, 10.0f - 0.5f * 9.81f * 2.0f * 2.0f, 1e-3);
}

TEST(FlightPath, DegenerateArcsDoNotTrap)
{
    // Speed 0 divides by zero; the arc is meaningless but building and reading it is safe.
    FlightPath still(0.0f, 40.0f, glm::vec3(0.0f, 10.0f, 0.0f), glm::mat3(1.0f));
    still.update(0.016f);
    EXPECT_FALSE(std::isfinite(still.getPosition().y));

    FlightPath placeholder;
    EXPECT_EQ(placeholder.getStep(), glm::vec3(0.0f));
    EXPECT_EQ(placeholder.getPosition(), glm::vec3(0.0f));
}

} // namespace
