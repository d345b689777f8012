// Pausing and the render toggles.

#include "game/World.h"

#include "core/Input.h"
#include "core/Trace.h"
#include "game/GameLogic.h"
#include "render/MovableCamera.h"
#include "render/SceneObject.h"
#include "render/Screen.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

#include <cstdio>
#include <string>

void World::announceToggle(const char* traceName, const char* label, const char* state)
{
    if (label)
        showMessage(std::string(label) + " " + state);
    traceEvent("toggle", std::string(traceName) + " " + state);
}

void World::setPaused(bool pause)
{
    paused = pause;
    // Where the arrow stood, so a script can throw at the power it wants.
    if (pause && gameLogic && gameLogic->state() == GameLogic::STATE_AIMING) {
        char angle[32];
        std::snprintf(angle, sizeof angle, "%.2f", double(gameLogic->arrowAngle()));
        traceEvent("arrow", angle);
    }
    announceToggle("pause", nullptr, pause ? "ON" : "OFF");
    if (pause) {
        freeCamera->lookAt(activeCamera->eye(), activeCamera->center(), activeCamera->up());
        centerMouse();
    }
    activeCamera = pause ? freeCamera.get() : gameCamera.get();
}

void World::setWireframe(bool lines)
{
    setPolygonLines(lines);
    wireframe = lines;
}

void World::toggleWireframe()
{
    setWireframe(!wireframe);
    announceToggle("wireframe", nullptr, wireframe ? "ON" : "OFF");
}

void World::toggleSampling()
{
    samplingMode = (samplingMode + 1) % 2;
    announceToggle("sampling", "Sampling", samplingMode == 0 ? "NEAREST" : "BILINEAR");
    applyTextureFilters();
}

void World::cycleMipmapMode()
{
    mipmapMode = (mipmapMode + 1) % 3;
    static const char* const modes[] = {"OFF", "NEAREST", "LINEAR"};
    announceToggle("mipmap", "Mip mapping", modes[mipmapMode]);
    applyTextureFilters();
}

void World::applyTextureFilters()
{
    TextureFilters filters = textureFiltersFor(mipmapMode, samplingMode);
    TextureManager::instance().setFiltering(filters.minifying, filters.magnifying);
}

void World::setTransparencyEnabled(bool enabled)
{
    transparencyEnabled = enabled;
    announceToggle("transparency", "Transparency", enabled ? "ON" : "OFF");
}

void World::setCullingEnabled(bool enabled)
{
    cullingEnabled = enabled;
    announceToggle("culling", "Culling", enabled ? "ON" : "OFF");
}

void World::setFpsTextShown(bool shown)
{
    fpsText->setVisible(shown);
}

void World::toggleFpsText()
{
    fpsText->setVisible(!fpsText->isVisible());
    announceToggle("fps", nullptr, fpsText->isVisible() ? "ON" : "OFF");
}
