#include "BareTerrain.h"

#include "app/Window.h"
#include "game/World.h"
#include "render/MovableCamera.h"
#include "render/Screen.h"
#include "render/Shader.h"
#include "render/ShaderVariable.h"
#include "render/Terrain.h"

#include <GL/glew.h>

#include <chrono>

double drawBareTerrain(World& world)
{
    Terrain* terrain = world.terrainNow();
    MovableCamera* camera = world.activeCameraNow();
    if (!terrain || !camera || !terrain->shader())
        return 0.0;

    const auto start = std::chrono::steady_clock::now();
    // The grid already follows this camera after the game's frame; the game pays for this
    // step every frame, so the yardstick does too.
    terrain->update(0.0);
    setDepthTest(true);
    clearScreen(0.0f, 0.0f, 0.0f, 1.0f);
    Shader* program = terrain->shader();
    program->use();
    program->setViewMatrix(camera->viewMatrix());
    program->setProjectionMatrix(world.projectionNow());
    const glm::vec3& light = world.light().position;
    setUniform3f(UNIFORM_LIGHT_POSITION_WORLD, light.x, light.y, light.z);
    terrain->render();
    Shader::unuse();
    presentFrame();
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
