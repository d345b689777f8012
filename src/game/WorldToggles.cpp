// The pause key and the render toggles of the function keys.

#include "game/World.h"

#include "app/Input.h"
#include "render/MovableCamera.h"
#include "render/SceneObject.h"
#include "render/Screen.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

void World::setPaused(bool paused)
{
    pausedText->setVisible(paused);
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
    applyTextureFilters();
}

void World::cycleMipmapMode()
{
    mipmapMode = (mipmapMode + 1) % 3;
    static const char* const messages[] = {"Mip mapping OFF", "Mip mapping NEAREST", "Mip mapping LINEAR"};
    showMessage(messages[mipmapMode]);
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
}

void World::setCullingEnabled(bool enabled)
{
    cullingEnabled = enabled;
    showMessage(enabled ? "Culling ON" : "Culling OFF");
}

void World::toggleFpsText()
{
    fpsText->setVisible(!fpsText->isVisible());
}
