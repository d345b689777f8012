#include "game/ViewMath.h"

#include <algorithm>
#include <glm/gtc/matrix_transform.hpp>
#include <limits>

namespace {

constexpr float fieldOfView = 45.0f; // degrees
constexpr float nearPlane = 0.1f;    // world units
constexpr float farPlane = 5000.0f;  // world units
constexpr double blurAtNominalRate = 0.1;

} // namespace

glm::mat4 sceneProjection(int width, int height)
{
    return glm::perspective(glm::radians(fieldOfView), static_cast<float>(width) / static_cast<float>(height),
                            nearPlane, farPlane);
}

glm::mat4 hudProjection(int width, int height)
{
    float side = static_cast<float>(std::min(width, height));
    glm::mat4 projection = glm::ortho(0.0f, static_cast<float>(width), 0.0f, static_cast<float>(height));
    projection = glm::translate(projection, glm::vec3((width - side) / 2.0f, (height - side) / 2.0f, 0.0f));
    projection = glm::scale(projection, glm::vec3(side, side, 1.0f));
    projection = glm::scale(projection, glm::vec3(0.5f, 0.5f, 1.0f));
    return glm::translate(projection, glm::vec3(1.0f, 1.0f, 0.0f));
}

float blurScaleFor(float nominalRate, double realDt)
{
    if (!(realDt > 0.0))
        realDt = 1.0 / nominalRate;
    return static_cast<float>(blurAtNominalRate / nominalRate / realDt);
}

double drawnHeightShare(const glm::mat4& clip, const std::vector<glm::vec4>& corners)
{
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    for (const glm::vec4& corner : corners) {
        const glm::vec4 c = clip * corner;
        if (!(c.w > 0.0f))
            return std::numeric_limits<double>::infinity();
        const double y = double(c.y) / double(c.w);
        lowest = std::min(lowest, y);
        highest = std::max(highest, y);
    }
    // Clip space spans 2 from the bottom of the view to its top.
    return corners.empty() ? 0.0 : (highest - lowest) / 2.0;
}
