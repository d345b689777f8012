#include "game/LightCircuit.h"
#include "game/ViewMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

glm::vec2 toPixels(const glm::mat4& projection, float x, float y, int width, int height)
{
    glm::vec4 clip = projection * glm::vec4(x, y, 0.0f, 1.0f);
    return {(clip.x / clip.w + 1.0f) * 0.5f * width, (clip.y / clip.w + 1.0f) * 0.5f * height};
}

TEST(LightCircuit, StartsBetweenSunAndMoon)
{
    LightCircuit circuit;
    LightState state = circuit.advance(glm::vec3(0.0f), 0.0);
    EXPECT_NEAR(state.position.y, 3358.3f, 0.1f);
    EXPECT_FALSE(state.sunVisible);
    EXPECT_FALSE(state.moonVisible);
}

TEST(LightCircuit, SunNearNoonMoonNearMidnight)
{
    LightCircuit circuit;
    circuit.setAngle(0.0);
    EXPECT_TRUE(circuit.advance(glm::vec3(0.0f), 0.0).sunVisible);
    circuit.setAngle(53.0);
    EXPECT_TRUE(circuit.advance(glm::vec3(0.0f), 0.0).sunVisible);
    circuit.setAngle(53.5);
    EXPECT_FALSE(circuit.advance(glm::vec3(0.0f), 0.0).sunVisible);

    circuit.setAngle(143.0);
    EXPECT_FALSE(circuit.advance(glm::vec3(0.0f), 0.0).moonVisible);
    circuit.setAngle(143.2);
    EXPECT_TRUE(circuit.advance(glm::vec3(0.0f), 0.0).moonVisible);
    circuit.setAngle(180.0);
    LightState midnight = circuit.advance(glm::vec3(0.0f), 0.0);
    EXPECT_TRUE(midnight.moonVisible);
    EXPECT_NEAR(midnight.position.y, 10.0f, 1e-3f);
    circuit.setAngle(217.0);
    EXPECT_FALSE(circuit.advance(glm::vec3(0.0f), 0.0).moonVisible);
}

TEST(LightCircuit, CirclesTheEyeAtFiveDegreesPerSecond)
{
    LightCircuit circuit;
    circuit.setAngle(0.0);
    glm::vec3 eye(100.0f, 0.0f, -500.0f);
    LightState state = circuit.advance(eye, 18.0);
    EXPECT_DOUBLE_EQ(circuit.angle(), 90.0);
    // A quarter turn about y takes the base (-3000, _, -3000) to (-3000, _, 3000) around the eye.
    EXPECT_NEAR(state.position.x, eye.x - 3000.0f, 0.5f);
    EXPECT_NEAR(state.position.z, eye.z + 3000.0f, 0.5f);
    circuit.advance(eye, 72.0);
    EXPECT_NEAR(circuit.angle(), 90.0, 1e-9);
}

TEST(ViewMath, HudSquareIsCentredInAWideWindow)
{
    glm::mat4 hud = hudProjection(1600, 900);
    glm::vec2 lowerLeft = toPixels(hud, -1.0f, -1.0f, 1600, 900);
    glm::vec2 upperRight = toPixels(hud, 1.0f, 1.0f, 1600, 900);
    EXPECT_NEAR(lowerLeft.x, 350.0f, 1e-3f);
    EXPECT_NEAR(lowerLeft.y, 0.0f, 1e-3f);
    EXPECT_NEAR(upperRight.x, 1250.0f, 1e-3f);
    EXPECT_NEAR(upperRight.y, 900.0f, 1e-3f);
    // The day and night icons sit in the left margin.
    float iconX = toPixels(hud, -1.25f, -0.9f, 1600, 900).x;
    EXPECT_GT(iconX, 0.0f);
    EXPECT_LT(iconX, 350.0f);

    glm::mat4 tall = hudProjection(600, 1000);
    EXPECT_NEAR(toPixels(tall, -1.0f, -1.0f, 600, 1000).y, 200.0f, 1e-3f);
}

TEST(ViewMath, BlurScaleFollowsTheFrameRate)
{
    EXPECT_FLOAT_EQ(blurScaleFor(60.0f, 1.0 / 60.0), 0.1f);
    EXPECT_FLOAT_EQ(blurScaleFor(60.0f, 1.0 / 30.0), 0.05f);
    // A frame without a measurable duration counts as one nominal step, never infinity.
    EXPECT_FLOAT_EQ(blurScaleFor(60.0f, 0.0), 0.1f);
    EXPECT_FLOAT_EQ(blurScaleFor(60.0f, -0.5), 0.1f);
    EXPECT_TRUE(std::isfinite(blurScaleFor(60.0f, std::nan(""))));
}

} // namespace
