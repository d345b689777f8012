#include "render/MovableCamera.h"

#include "core/Controls.h"
#include "core/Input.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr float HALF_PI = 1.5707964f;                 // radians, single precision
constexpr float THREE_HALVES_PI = 4.712389f;          // radians, single precision
constexpr double HALF_PI_DOUBLE = 1.5707963267948966; // radians
constexpr float TWO_PI = 6.2831855f;                  // radians, one full turn
constexpr double DEGREES_TO_RADIANS = 3.141592653589793 / 180.0;

constexpr float STICK_TURN_SPEED = 1.5f;    // radians per second with the right stick at its stop
constexpr float INITIAL_YAW = 3.14159265f;  // radians, looking toward -z
constexpr float DEFAULT_YAW_MIN = 0.0f;     // degrees
constexpr float DEFAULT_YAW_MAX = 360.0f;   // degrees
constexpr float DEFAULT_PITCH_MIN = -90.0f; // degrees
constexpr float DEFAULT_PITCH_MAX = 90.0f;  // degrees

float toRadians(float degrees)
{
    return static_cast<float>(degrees * DEGREES_TO_RADIANS);
}

glm::vec3 directionOf(float yaw, float pitch)
{
    return glm::vec3(std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw));
}

glm::vec3 rightOf(float yaw)
{
    return glm::vec3(std::sin(yaw - HALF_PI), 0.0f, std::cos(yaw - HALF_PI));
}

// The heading whose direction has the given horizontal components, in [0, 2 pi].
float yawOf(float dx, float dz)
{
    const float r = std::sqrt(dx * dx + dz * dz);
    float q = r != 0.0f ? std::fabs(dz) / r : 1.0f;
    q = std::min(std::max(q, -1.0f), 1.0f);
    const float a = static_cast<float>(std::asin(static_cast<double>(q)));

    if (dz < 0.0f && dx >= 0.0f)
        return a + HALF_PI;
    if (dz <= 0.0f && dx < 0.0f)
        return THREE_HALVES_PI - a;
    if (dz > 0.0f && dx >= 0.0f)
        return static_cast<float>(HALF_PI_DOUBLE - a);
    if (dz >= 0.0f && dx < 0.0f)
        return a + THREE_HALVES_PI;
    // What is left: dz is 0 and dx is not negative, which includes looking straight up or down.
    return HALF_PI;
}

// Forward and back, right and left, each pair cancelling when both are held; the left stick
// adds its push to theirs, up to the keys' own speed.
void moveWithControls(glm::vec3& eye, const glm::vec3& forward, const glm::vec3& right, float step,
                      const GamepadState& pad)
{
    const auto axis = [](Action plus, Action minus, float stick) {
        const Controls& input = controls();
        const float held = (input.held(plus) ? 1.0f : 0.0f) - (input.held(minus) ? 1.0f : 0.0f);
        return std::min(std::max(held + stick, -1.0f), 1.0f);
    };
    eye += forward * (axis(ACTION_FLY_FORWARD, ACTION_FLY_BACK, -stickValue(pad, PAD_LEFT_Y)) * step);
    eye += right * (axis(ACTION_STEER_RIGHT, ACTION_STEER_LEFT, stickValue(pad, PAD_LEFT_X)) * step);
}

} // namespace

MovableCamera::MovableCamera(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up, float mouseSensitivity,
                             float moveSpeed)
    : yawAngle(INITIAL_YAW), moveSpeed(moveSpeed), mouseSensitivity(mouseSensitivity)
{
    lookAt(eye, center, up);
    setLimits(DEFAULT_YAW_MIN, DEFAULT_YAW_MAX, DEFAULT_PITCH_MIN, DEFAULT_PITCH_MAX);
}

void MovableCamera::lookAt(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up)
{
    Camera::lookAt(eye, center, up);
    const glm::vec3 d = glm::normalize(center - eye);
    yawAngle = yawOf(d.x, d.z);
    const float sinPitch = std::min(std::max(d.y, -1.0f), 1.0f);
    pitchAngle = static_cast<float>(std::asin(static_cast<double>(sinPitch)));
}

void MovableCamera::setLimits(float yawMinDegrees, float yawMaxDegrees, float pitchMinDegrees, float pitchMaxDegrees)
{
    yawMin = toRadians(yawMinDegrees);
    yawMax = toRadians(yawMaxDegrees);
    pitchMin = toRadians(pitchMinDegrees);
    pitchMax = toRadians(pitchMaxDegrees);
}

void MovableCamera::setControls(bool mouseLookOn, bool freeMovementOn)
{
    // Whatever the pointer did while mouse look was off must not turn the view now.
    if (mouseLookOn && !mouseLook)
        centerMouse();
    mouseLook = mouseLookOn;
    freeMovement = freeMovementOn;
}

void MovableCamera::update(double dt)
{
    const float step = static_cast<float>(dt) * moveSpeed;
    const GamepadState pad = gamepad();
    glm::vec3 newEye = eyePosition;
    glm::vec3 dir = centerPosition - eyePosition;
    glm::vec3 u = upVector;
    glm::vec3 right = glm::cross(dir, upVector);

    if (mouseLook) {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        getMousePos(x, y);
        getWindowSize(width, height);
        const int midX = width / 2;
        const int midY = height / 2;
        setMousePos(midX, midY);

        // Pointer right of centre turns right (yaw falls), above centre looks up.
        yawAngle += static_cast<float>(midX - x) * mouseSensitivity;
        pitchAngle += static_cast<float>(midY - y) * mouseSensitivity;
        // The right stick turns like the mouse: pushed right turns right, pushed up looks up.
        yawAngle -= stickValue(pad, PAD_RIGHT_X) * STICK_TURN_SPEED * static_cast<float>(dt);
        pitchAngle -= stickValue(pad, PAD_RIGHT_Y) * STICK_TURN_SPEED * static_cast<float>(dt);
        yawAngle = std::fmod(yawAngle + TWO_PI, TWO_PI);
        yawAngle = std::min(std::max(yawAngle, yawMin), yawMax);
        pitchAngle = std::min(std::max(pitchAngle, pitchMin), pitchMax);

        dir = directionOf(yawAngle, pitchAngle);
        right = rightOf(yawAngle);
        u = glm::cross(right, dir);
    }

    if (freeMovement) {
        glm::vec3 forward = dir;
        glm::vec3 side = right;
        if (!mouseLook) {
            // Without mouse look these are as long as the eye-to-centre distance; move along
            // unit vectors so that the speed stays in world units per second.
            const float forwardLength = glm::length(forward);
            const float sideLength = glm::length(side);
            forward = forwardLength > 0.0f ? forward / forwardLength : glm::vec3(0.0f);
            side = sideLength > 0.0f ? side / sideLength : glm::vec3(0.0f);
        }
        moveWithControls(newEye, forward, side, step, pad);
    }

    // The base lookAt: yaw and pitch are already what the mouse made them.
    Camera::lookAt(newEye, newEye + dir, u);
}
