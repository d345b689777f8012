#pragma once
// The light that circles the scene once every 72 real seconds: low at night, high at noon,
// with the sun and moon icons shown near the two ends of its climb.

#include <glm/glm.hpp>

struct LightState {
    glm::vec3 position;
    bool sunVisible;
    bool moonVisible;
};

class LightCircuit {
public:
    static constexpr double startAngle = 70.0;      // degrees
    static constexpr double degreesPerSecond = 5.0; // of real time
    static constexpr float lowest = 10.0f;          // light height at midnight, world units
    static constexpr float highest = 5000.0f;       // light height at noon
    static constexpr float sunAbove = highest - 1000.0f;
    static constexpr float moonBelow = lowest + 500.0f;

    // Moves the light on by realDt seconds around the camera's eye.
    LightState advance(const glm::vec3& eye, double realDt);

    double angle() const { return sunAngle; }
    void setAngle(double degrees) { sunAngle = degrees; }
    const glm::vec3& base() const { return lightBase; }

private:
    glm::vec3 lightBase{-3000.0f, 1000.0f, -3000.0f};
    double sunAngle = startAngle; // degrees
};
