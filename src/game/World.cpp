#include "game/World.h"

#include "app/Window.h"
#include "render/Screen.h"

void World::init(ShaderCache* cache)
{
    shaderCache = cache;
}

void World::frame(double, double)
{
    clearScreen(0.45f, 0.62f, 0.85f);
    presentFrame();
}

void World::onResize(int, int)
{
}

void World::setFps(double)
{
}

void World::onSpace()
{
}

void World::release()
{
}
