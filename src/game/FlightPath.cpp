#include "game/FlightPath.h"

#include <cmath>

namespace {

constexpr float DEGREES_TO_RADIANS = 0.017453292f; // radians per degree, single precision

} // namespace

FlightPath::FlightPath()
{
    derive();
}

FlightPath::FlightPath(float speed, float angle, const glm::vec3& startWorld, const glm::mat3& frame, float gravity)
    : speed(speed), angle(angle), gravity(gravity), startWorld(startWorld), frame(frame)
{
    derive();
}

// Speed 0 or an angle of exactly 90 degrees divide by zero here; the IEEE infinities and
// NaNs that come out are left to the caller, who never advances such an arc.
void FlightPath::derive()
{
    const float a = angle * DEGREES_TO_RADIANS;
    const float c = static_cast<float>(std::cos(static_cast<double>(a)));
    const float s = static_cast<float>(std::sin(static_cast<double>(a)));
    horizontalVelocity = speed * c;
    verticalVelocity = speed * s;
    tangent = static_cast<float>(std::tan(static_cast<double>(a)));
    curvature = gravity / (2.0f * speed * speed * c * c);

    // The frame is orthonormal, or GameLogic's with a zero third column: either way its
    // transpose takes world points into the flight plane.
    startPlane = glm::transpose(frame) * startWorld;
    positionPlane = startPlane;
    positionWorld = startWorld;
    travelled = 0.0f;
}

void FlightPath::update(float dt)
{
    const glm::vec3 previous = positionPlane;
    // The distance is kept apart from the position: far along a throw a steep arc's step is
    // smaller than a float's spacing there, and read back from the position it would never grow.
    travelled += horizontalVelocity * dt;
    const float d = travelled;
    const float h = tangent * d - curvature * d * d;
    positionPlane.x = startPlane.x + d;
    positionPlane.y = startPlane.y + h;
    positionWorld = frame * positionPlane;
    stepWorld = frame * (positionPlane - previous);
}

glm::vec3 FlightPath::predictLanding() const
{
    const float root = static_cast<float>(
        std::sqrt(static_cast<double>(verticalVelocity * verticalVelocity + 2.0f * gravity * startPlane.y)));
    const float dist = (horizontalVelocity / gravity) * (verticalVelocity + root);
    return frame * glm::vec3(startPlane.x + dist, 0.0f, startPlane.z);
}
