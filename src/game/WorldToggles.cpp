// The pause key and the render toggles of the function keys.

#include "game/World.h"

#include "core/Input.h"
#include "core/Trace.h"
#include "game/GameLogic.h"
#include "render/MovableCamera.h"
#include "render/SceneObject.h"
#include "render/Sprite.h"
#include "render/Screen.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

#include <cstdio>

void World::setPaused(bool paused)
{
    pausedText->setVisible(paused);
    // Where the arrow stood, so a script can throw at the power it wants.
    if (paused && gameLogic && gameLogic->state() == GameLogic::STATE_AIMING && arrow) {
        char angle[32];
        std::snprintf(angle, sizeof angle, "%.2f", double(arrow->rotationAngle()));
        traceEvent("arrow", angle);
    }
    traceEvent("toggle", paused ? "pause ON" : "pause OFF");
    if (paused) {
        freeCamera->lookAt(activeCamera->eye(), activeCamera->center(), activeCamera->up());
        centerMouse();
    }
    activeCamera = paused ? freeCamera.get() : gameCamera.get();
}

bool World::isPaused() const
{
    return pausedText && pausedText->isVisible();
}

void World::setWireframe(bool lines)
{
    setPolygonLines(lines);
    wireframe = lines;
}

void World::toggleSampling()
{
    samplingMode = (samplingMode + 1) % 2;
    showMessage(samplingMode == 0 ? "Sampling NEAREST" : "Sampling BILINEAR");
    traceEvent("toggle", samplingMode == 0 ? "sampling NEAREST" : "sampling BILINEAR");
    applyTextureFilters();
}

void World::cycleMipmapMode()
{
    mipmapMode = (mipmapMode + 1) % 3;
    static const char* const messages[] = {"Mip mapping OFF", "Mip mapping NEAREST", "Mip mapping LINEAR"};
    static const char* const values[] = {"mipmap OFF", "mipmap NEAREST", "mipmap LINEAR"};
    showMessage(messages[mipmapMode]);
    traceEvent("toggle", values[mipmapMode]);
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
    showMessage(enabled ? "Transparency ON" : "Transparency OFF");
    traceEvent("toggle", enabled ? "transparency ON" : "transparency OFF");
}

void World::setCullingEnabled(bool enabled)
{
    cullingEnabled = enabled;
    showMessage(enabled ? "Culling ON" : "Culling OFF");
    traceEvent("toggle", enabled ? "culling ON" : "culling OFF");
}

void World::toggleFpsText()
{
    fpsText->setVisible(!fpsText->isVisible());
    traceEvent("toggle", fpsText->isVisible() ? "fps ON" : "fps OFF");
}
