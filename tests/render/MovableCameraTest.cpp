#include "render/MovableCamera.h"

#include "ScriptedInput.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float PI = 3.14159265f;
constexpr float DEGREE = PI / 180.0f;

const glm::vec3 UP(0.0f, 1.0f, 0.0f);

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
    const MovableCamera game = makeGameCamera();
    EXPECT_NEAR(game.yaw(), PI, 1e-6);
    EXPECT_NEAR(game.pitch(), std::asin(-15.0f / glm::length(glm::vec3(0, -15, -43))), 1e-6);
    EXPECT_NEAR(game.pitch(), -0.3356f, 1e-4);

    MovableCamera camera(glm::vec3(0), glm::vec3(0, 0, -1), UP, 0.001f, 1.0f);
    camera.setCenter(glm::vec3(1, 0, 0));
    EXPECT_NEAR(camera.yaw(), PI / 2, 1e-6);
    camera.setCenter(glm::vec3(-1, 0, 0));
    EXPECT_NEAR(camera.yaw(), 3 * PI / 2, 1e-6);
    camera.setCenter(glm::vec3(0, 0, -1));
    EXPECT_NEAR(camera.yaw(), PI, 1e-6);
    camera.setCenter(glm::vec3(0, 0, 1));
    EXPECT_NEAR(camera.yaw(), 0.0f, 1e-6);
    camera.setCenter(glm::vec3(0, 1, 0));
    EXPECT_NEAR(camera.pitch(), PI / 2, 1e-6);

    // All four quadrants: the recovered angles point the same way as the pose.
    for (float yawDegrees = 5.0f; yawDegrees < 360.0f; yawDegrees += 20.0f) {
        const float yaw = yawDegrees * DEGREE;
        const float pitch = 0.3f;
        const glm::vec3 direction(std::cos(pitch) * std::sin(yaw), std::sin(pitch),
                                  std::cos(pitch) * std::cos(yaw));
        camera.lookAt(glm::vec3(3, 4, 5), glm::vec3(3, 4, 5) + 10.0f * direction, UP);
        SCOPED_TRACE(yawDegrees);
        EXPECT_NEAR(camera.yaw(), yaw, 1e-5);
        EXPECT_NEAR(camera.pitch(), pitch, 1e-5);
    }
}

TEST(MovableCamera, MouseLookTurnsWithThePointerAndRecentresIt)
{
    ScriptedInput input; // window 1024 x 768, centre (512, 384)
    MovableCamera camera(glm::vec3(0), glm::vec3(0, 0, -1), UP, 0.001f, 10.0f);

    input.mouseX = 612; // 100 pixels right of centre
    input.mouseY = 334; // 50 pixels above
    camera.update(0.016);
    EXPECT_EQ(input.mouseX, 512);
    EXPECT_EQ(input.mouseY, 384);
    EXPECT_NEAR(camera.yaw(), PI - 0.1f, 1e-5);
    EXPECT_NEAR(camera.pitch(), 0.05f, 1e-5);

    // The view follows: turned to the right (+x when facing -z) and up.
    const glm::vec3 dir = viewDirection(camera);
    EXPECT_GT(dir.x, 0.0f);
    EXPECT_GT(dir.y, 0.0f);
    EXPECT_NEAR(glm::length(camera.center() - camera.eye()), 1.0f, 1e-5);

    // A pointer resting at the centre leaves the view alone.
    const float yaw = camera.yaw();
    camera.update(0.016);
    EXPECT_FLOAT_EQ(camera.yaw(), yaw);
}

TEST(MovableCamera, YawWrapsAroundAFullTurn)
{
    ScriptedInput input;
    MovableCamera camera(glm::vec3(0), glm::vec3(0.001f, 0, 1), UP, 0.001f, 10.0f);
    ASSERT_LT(camera.yaw(), 0.01f);
    input.mouseX = 512 + 20; // turn right past heading 0
    camera.update(0.016);
    EXPECT_GT(camera.yaw(), 2 * PI - 0.03f);
    EXPECT_LE(camera.yaw(), 2 * PI);
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
            ASSERT_GE(camera.yaw(), 135.0f * DEGREE - 1e-5f);
            ASSERT_LE(camera.yaw(), 225.0f * DEGREE + 1e-5f);
            ASSERT_GE(camera.pitch(), -45.0f * DEGREE - 1e-5f);
            ASSERT_LE(camera.pitch(), 45.0f * DEGREE + 1e-5f);

            // Measured on the view itself: never more than 45 degrees off -z either way.
            const glm::vec3 dir = viewDirection(camera);
            const float sideways = std::atan2(std::fabs(dir.x), -dir.z);
            ASSERT_LE(sideways, 45.0f * DEGREE + 1e-4f);
            ASSERT_LE(std::fabs(std::asin(dir.y)), 45.0f * DEGREE + 1e-4f);
        }
    }
}

TEST(MovableCamera, SwitchingMouseLookOnCentresThePointerOnce)
{
    ScriptedInput input;
    MovableCamera camera = makeGameCamera();
    camera.setControls(false, false);
    EXPECT_TRUE(input.mouseMoves.empty());

    input.mouseX = 900; // wherever the player left it
    input.mouseY = 20;
    camera.setControls(true, false);
    ASSERT_EQ(input.mouseMoves.size(), 1u);
    EXPECT_EQ(input.mouseMoves[0], std::make_pair(512, 384));
    EXPECT_TRUE(camera.isMouseLookOn());
    EXPECT_FALSE(camera.isFreeMovementOn());

    // So the first frame of mouse look does not jump.
    const float yaw = camera.yaw();
    const float pitch = camera.pitch();
    camera.update(0.016);
    EXPECT_FLOAT_EQ(camera.yaw(), yaw);
    EXPECT_FLOAT_EQ(camera.pitch(), pitch);

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
    const glm::vec3 center = camera.center();
    const glm::mat4 view = camera.viewMatrix();

    input.press(KEY_W);
    input.press(KEY_D);
    input.mouseX = 0;
    input.mouseY = 0;
    for (int frame = 0; frame < 100; ++frame)
        camera.update(0.016);

    EXPECT_EQ(camera.eye(), eye);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(camera.center()[i], center[i], 1e-5);
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            EXPECT_NEAR(camera.viewMatrix()[column][row], view[column][row], 1e-5);
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
    EXPECT_NEAR(glm::length(camera.eye() - start), 0.0f, 1e-3);

    input.release(KEY_S);
    camera.update(0.5);
    EXPECT_NEAR(glm::length(camera.eye() - start), 30.0f, 1e-3);
    EXPECT_NEAR(glm::dot(glm::normalize(camera.eye() - start), forward), 1.0f, 1e-5);

    // D slides to the right of the view, A back; neither turns it.
    input.release(KEY_W);
    input.press(KEY_D);
    const glm::vec3 before = camera.eye();
    camera.update(0.5);
    const glm::vec3 slide = camera.eye() - before;
    EXPECT_NEAR(glm::length(slide), 30.0f, 1e-3);
    EXPECT_GT(slide.x, 29.0f);
    EXPECT_NEAR(glm::dot(viewDirection(camera), forward), 1.0f, 1e-5);
    input.release(KEY_D);
    input.press(KEY_A);
    camera.update(0.5);
    EXPECT_NEAR(glm::length(camera.eye() - before), 0.0f, 1e-3);
}

TEST(MovableCamera, MovementWithoutMouseLookKeepsItsSpeedAndDistance)
{
    // Eye and centre 20 units apart: the move speed must still be units per second.
    ScriptedInput input;
    MovableCamera camera(glm::vec3(0, 0, 0), glm::vec3(0, 0, -20), UP, 0.00045f, 10.0f);
    camera.setControls(false, true);
    input.press(KEY_W);
    camera.update(1.0);
    EXPECT_NEAR(camera.eye().z, -10.0f, 1e-4);
    EXPECT_NEAR(camera.center().z, -30.0f, 1e-4);
    EXPECT_TRUE(input.mouseMoves.empty());
}

} // namespace
