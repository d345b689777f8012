#pragma once
// One ballistic arc of Grov's flight. The arc is worked out in a flight plane (x horizontal,
// y height) and mapped into the world by a 3x3 frame. It is parametrised by the horizontal
// distance travelled: the height is read off the closed-form parabola at that distance, so it
// never drifts and does not depend on the frame rate. Landing and bouncing are the caller's
// business; past its landing point the parabola simply carries on downward.

#include <glm/glm.hpp>

class FlightPath {
public:
    static constexpr float DEFAULT_GRAVITY = 9.81f; // world units per second squared

    // Speed 0 and angle 0: a placeholder that is replaced before it is ever advanced.
    FlightPath();
    // speed in world units per second, angle in degrees above the flight plane's horizontal,
    // gravity in world units per second squared.
    FlightPath(float speed, float angle, const glm::vec3& startWorld, const glm::mat3& frame,
               float gravity = DEFAULT_GRAVITY);

    // Advances the arc by dt seconds.
    void update(float dt);

    // World displacement made by the most recent update; zero before the first.
    glm::vec3 getStep() const { return stepWorld; }
    // Current world point of the arc.
    glm::vec3 getPosition() const { return positionWorld; }
    // World point where the arc, continued from its start, comes down to height 0 of the
    // flight plane. The terrain is not consulted.
    glm::vec3 predictLanding() const;

private:
    void derive();

    float speed = 0.0f;              // world units per second
    float angle = 0.0f;              // degrees
    float gravity = DEFAULT_GRAVITY; // world units per second squared
    glm::vec3 startWorld{0.0f};
    glm::vec3 startPlane{0.0f};
    glm::vec3 positionWorld{0.0f};
    glm::vec3 positionPlane{0.0f}; // x horizontal, y height, z carried from the start
    glm::mat3 frame{1.0f};         // flight plane to world, column-major
    glm::vec3 stepWorld{0.0f};
    float travelled = 0.0f;          // horizontal distance along the plane from the start
    float horizontalVelocity = 0.0f; // world units per second
    float verticalVelocity = 0.0f;   // world units per second
    float tangent = 0.0f;            // of the launch angle
    float curvature = 0.0f;          // per world unit
};
