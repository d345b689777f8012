#include "game/LightCircuit.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

LightState LightCircuit::advance(const glm::vec3& eye, double realDt)
{
    glm::mat4 circuit = glm::translate(glm::mat4(1.0f), eye);
    sunAngle = std::fmod(sunAngle + degreesPerSecond * realDt, 360.0);
    circuit = glm::rotate(circuit, glm::radians(static_cast<float>(sunAngle)), glm::vec3(0.0f, 1.0f, 0.0f));

    LightState state;
    state.position = glm::vec3(circuit * glm::vec4(lightBase, 1.0f));
    // The height follows (1 + cos angle) / 2, from midnight low to noon high.
    const double pi = 3.14159265358979323846;
    double daylight = (std::sin(sunAngle * pi / 180.0 + pi / 2.0) + 1.0) / 2.0;
    state.position.y = static_cast<float>((highest - lowest) * daylight + lowest);
    state.sunVisible = state.position.y > sunAbove;
    state.moonVisible = state.position.y < moonBelow;
    return state;
}
