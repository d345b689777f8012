#include "model/Tank.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

constexpr float TURRET_TURN_RATE = 45.0f; // degrees per second

} // namespace

Tank::Tank(const std::string& path) : ImportObject(path)
{}

void Tank::draw(Shader* shader)
{
    ImportObject::draw(shader);
}

void Tank::update(double dt)
{
    SceneNode* turret = findChild("tank_top");
    if (!turret)
        return;
    const float degrees = float(dt) * TURRET_TURN_RATE;
    // Post-multiplied: the turn happens about the turret's own Z, after its place on the hull.
    turret->transformation =
        turret->transformation * glm::rotate(glm::mat4(1.0f), glm::radians(degrees), glm::vec3(0.0f, 0.0f, 1.0f));
}
