#include "render/MovableCamera.h"

#include "ScriptedInput.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float PI = 3.14159265f;
constexpr float DEGREE = PI / 180.0f;
const glm::vec3 UP(0, 1, 0);

MovableCamera makeGameCamera()
{
    MovableCamera camera(glm::vec3(0, 15, 15), glm::vec3(0, 0, -28), UP, 0.00045f, 20.0f);
    camera.setLimits(135.0f, 225.0f, -45.0f, 45.0f);
    return camera;
}

glm::vec3 viewDirection(const Camera& camera)
{
    return glm::normalize(camera.center() - camera.eye());
}

TEST(MovableCamera, RecoversYawAndPitchFromTheViewingDirection)
{
    EXPECT_NEAR(makeGameCamera().yaw(), PI, 1e-6);
    EXPECT_NEAR(makeGameCamera().pitch(), -0.3356f, 1e-4);

    // setCenter goes through the override, so the angles follow.
    MovableCamera camera(glm::vec3(0), glm::vec3(0, 0, -1), UP, 0.001f, 1.0f);
    const std::pair<glm::vec3, float> axes[] = {
        {{1, 0, 0}, PI / 2}, {{-1, 0, 0}, 3 * PI / 2}, {{0, 0, -1}, PI}, {{0, 0, 1}, 0.0f}};
    for (const auto& [direction, yaw] : axes) {
        camera.setCenter(direction);
        EXPECT_NEAR(camera.yaw(), yaw, 1e-6);
    }

    // Every quadrant: the recovered angles point the same way as the pose.
    for (float yawDegrees = 5.0f; yawDegrees < 360.0f; yawDegrees += 20.0f) {
        const float yaw = yawDegrees * DEGREE;
        const glm::vec3 direction(std::cos(0.3f) * std::sin(yaw), std::sin(0.3f), std::cos(0.3f) * std::cos(yaw));
        camera.lookAt(glm::vec3(3, 4, 5), glm::vec3(3, 4, 5) + 10.0f * direction, UP);
        EXPECT_NEAR(camera.yaw(), yaw, 1e-5) << yawDegrees;
        EXPECT_NEAR(camera.pitch(), 0.3f, 1e-5) << yawDegrees;
    }
}

TEST(MovableCamera, MouseLookTurnsWithThePointerAndRecentresIt)
{
    ScriptedInput input; // window 1024 x 768
    MovableCamera camera(glm::vec3(0), glm::vec3(0, 0, -1), UP, 0.001f, 10.0f);
    input.mouseX = 512 + 100;
    input.mouseY = 384 - 50;
    camera.update(0.016);
    EXPECT_EQ(std::make_pair(input.mouseX, input.mouseY), std::make_pair(512, 384));
    EXPECT_NEAR(camera.yaw(), PI - 0.1f, 1e-5); // turned right
    EXPECT_NEAR(camera.pitch(), 0.05f, 1e-5);   // and up
    EXPECT_GT(viewDirection(camera).x, 0.0f);
    EXPECT_GT(viewDirection(camera).y, 0.0f);

    // Turning right past heading 0 comes round to just under a full turn.
    camera.setCenter(glm::vec3(0.001f, 0, 1));
    input.mouseX = 512 + 20;
    camera.update(0.016);
    EXPECT_NEAR(camera.yaw(), 2 * PI - 0.019f, 1e-4);
}

TEST(MovableCamera, GameCameraLimitsHoldAgainstWildMouseMovement)
{
    ScriptedInput input;
    MovableCamera camera = makeGameCamera();
    const int pushes[][2] = {{5000, 0}, {-5000, 0}, {0, 5000}, {0, -5000}, {3000, -3000}};
    for (const auto& push : pushes) {
        for (int frame = 0; frame < 30; ++frame) {
            input.mouseX = 512 + push[0];
            input.mouseY = 384 + push[1];
            camera.update(0.016);
            // Measured on the view itself: never more than 45 degrees off -z either way.
            const glm::vec3 dir = viewDirection(camera);
            ASSERT_LE(std::atan2(std::fabs(dir.x), -dir.z), 45.0f * DEGREE + 1e-4f);
            ASSERT_LE(std::fabs(std::asin(dir.y)), 45.0f * DEGREE + 1e-4f);
        }
    }
}

TEST(MovableCamera, SwitchingMouseLookOnCentresThePointerOnlyFromOff)
{
    ScriptedInput input;
    MovableCamera camera = makeGameCamera();
    camera.setControls(false, false);
    input.mouseX = 900; // wherever the player left it
    input.mouseY = 20;
    camera.setControls(true, false);
    ASSERT_EQ(input.mouseMoves.size(), 1u);
    EXPECT_EQ(input.mouseMoves[0], std::make_pair(512, 384));

    // So the first frame of mouse look does not turn the view.
    const float yaw = camera.yaw();
    camera.update(0.016);
    EXPECT_FLOAT_EQ(camera.yaw(), yaw);

    input.mouseMoves.clear();
    camera.setControls(true, true);
    EXPECT_TRUE(input.mouseMoves.empty());
}

TEST(MovableCamera, WithBothSwitchesOffUpdateLeavesThePoseAlone)
{
    ScriptedInput input;
    MovableCamera camera = makeGameCamera();
    camera.setControls(false, false);
    const glm::vec3 eye = camera.eye();
    const glm::mat4 view = camera.viewMatrix();
    input.press(KEY_W);
    input.press(KEY_D);
    for (int frame = 0; frame < 100; ++frame)
        camera.update(0.016);
    EXPECT_EQ(camera.eye(), eye);
    for (int column = 0; column < 4; ++column)
        EXPECT_LT(glm::length(camera.viewMatrix()[column] - view[column]), 1e-5f);
    EXPECT_TRUE(input.mouseMoves.empty());
}

TEST(MovableCamera, MovementKeysFlyAtTheMoveSpeed)
{
    ScriptedInput input;
    input.mouseX = 512; // resting at the centre: no turning
    input.mouseY = 384;
    MovableCamera camera(glm::vec3(0, 10, 10), glm::vec3(0, 0, -10), UP, 0.00045f, 60.0f);
    const glm::vec3 start = camera.eye();
    const glm::vec3 forward = viewDirection(camera);

    input.press(KEY_W);
    input.press(KEY_S);
    for (int frame = 0; frame < 60; ++frame)
        camera.update(1.0 / 60.0);
    EXPECT_LT(glm::length(camera.eye() - start), 1e-3f);

    input.release(KEY_S);
    input.press(KEY_D);
    camera.update(0.5);
    const glm::vec3 right = glm::normalize(glm::cross(forward, UP));
    EXPECT_LT(glm::length(camera.eye() - start - 30.0f * (forward + right)), 1e-3f);
}

// The left stick flies as far as it is pushed, never faster than the keys together with it;
// the right stick turns as the mouse does.
TEST(MovableCamera, GamepadSticksFlyAndTurnLikeTheKeysAndTheMouse)
{
    ScriptedInput input;
    input.mouseX = 512;
    input.mouseY = 384;
    input.pad.connected = true;
    MovableCamera camera(glm::vec3(0, 10, 10), glm::vec3(0, 0, -10), UP, 0.00045f, 60.0f);
    const glm::vec3 forward = viewDirection(camera);
    const glm::vec3 right = glm::normalize(glm::cross(forward, UP));

    glm::vec3 start = camera.eye();
    input.pad.axes[PAD_LEFT_Y] = -0.6f; // up, half way past the dead zone
    input.pad.axes[PAD_LEFT_X] = 1.0f;
    camera.update(0.5);
    EXPECT_LT(glm::length(camera.eye() - start - (15.0f * forward + 30.0f * right)), 1e-3f);
    start = camera.eye();
    input.press(KEY_W);
    camera.update(0.5);
    EXPECT_LT(glm::length(camera.eye() - start - 30.0f * (forward + right)), 1e-3f);

    input.release(KEY_W);
    input.pad = GamepadState();
    input.pad.connected = true;
    input.pad.axes[PAD_RIGHT_X] = 1.0f;
    input.pad.axes[PAD_RIGHT_Y] = -1.0f;
    start = camera.eye();
    const float yaw = camera.yaw();
    const float pitch = camera.pitch();
    camera.update(0.1);
    EXPECT_NEAR(camera.yaw(), yaw - 0.15f, 1e-4f);     // right
    EXPECT_NEAR(camera.pitch(), pitch + 0.15f, 1e-4f); // and up
    EXPECT_LT(glm::length(camera.eye() - start), 1e-4f);
}

TEST(MovableCamera, MovementWithoutMouseLookKeepsItsSpeedAndDistance)
{
    // Eye and centre 20 units apart: the speed is still world units per second.
    ScriptedInput input;
    MovableCamera camera(glm::vec3(0), glm::vec3(0, 0, -20), UP, 0.00045f, 10.0f);
    camera.setControls(false, true);
    input.press(KEY_W);
    camera.update(1.0);
    EXPECT_NEAR(camera.eye().z, -10.0f, 1e-4);
    EXPECT_NEAR(camera.center().z, -30.0f, 1e-4);
}

} // namespace
