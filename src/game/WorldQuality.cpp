// Picture against speed: the QUALITY setting and the adaptive scale of AUTO's scene.
#include "game/World.h"

#include "core/Trace.h"
#include "render/MovableCamera.h"
#include "render/SceneInMotion.h"
#include "render/SceneObject.h"
#include "render/Screen.h"
#include "render/Terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

void World::setQuality(RenderQuality quality)
{
    // The scale AUTO has found is kept: the benchmark switches back and forth every frame.
    quality_ = quality;
}

void World::noteFrameTime(double seconds)
{
    if (quality_ != RenderQuality::Auto || pinnedScale >= 0.0)
        return;
    renderScale.addFrame(seconds);
    frameTimeNoted = true;
    const double scale = renderScale.scale();
    if (scale != tracedScale) {
        tracedScale = scale;
        char text[16];
        // Three figures: the scale moves in steps of 0.025.
        std::snprintf(text, sizeof text, "%.3g", scale);
        traceEvent("scale", text);
    }
}

void World::pinRenderScale(double scale)
{
    pinnedScale = std::isfinite(scale) ? scale : -1.0;
}

double World::renderScaleNow() const
{
    if (quality_ != RenderQuality::Auto)
        return 1.0;
    if (pinnedScale >= 0.0)
        return std::clamp(pinnedScale, renderScale.floor(), RenderScale::MAX_SCALE);
    return renderScale.scale();
}

Framebuffer* World::sceneTargetFor(bool blur)
{
    lastTarget = blur ? &offscreenTarget : nullptr;
    if (quality_ != RenderQuality::Auto)
        return lastTarget;
    const double scale = renderScaleNow();
    // A software renderer spends much of its shading on multisampling: AUTO draws the scene
    // single-sampled there (straight into the window when the window has no samples either),
    // at whatever scale keeps the frame on time.
    if ((softwareRenderer && windowMultisampled) || scale < 1.0) {
        sceneTarget.resize(std::max(1, int(std::lround(windowWidth * scale))),
                           std::max(1, int(std::lround(windowHeight * scale))));
        sceneTarget.create();
        lastTarget = &sceneTarget;
    }
    return lastTarget;
}

bool World::needsFrameTarget() const
{
    // FULL always has its multisampling; AUTO goes without it only on a software renderer.
    const bool wantsMultisampling = quality_ == RenderQuality::Full || !softwareRenderer;
    return wantsMultisampling && !windowMultisampled;
}

void World::bindFrame()
{
    bindDrawTarget(throughFrameTarget ? frameTarget.framebuffer() : 0);
}

void World::blurAtSceneSize(MovableCamera* camera)
{
    // A scaled scene has fewer pixels than the window: streak those, then scale the streaked
    // picture up as a still one, rather than streak every window pixel from the same texels.
    blurTarget.resize(sceneTarget.width(), sceneTarget.height());
    blurTarget.create();
    blurTarget.bind();
    // At one texel per pixel the streak needs no filtering, as the full-size blur reads it.
    texelSampler.bind(1);
    // As many samples along a streak as the full-size blur takes along the same streak: at the
    // scene's size it spans fewer pixels, and a sample on each would look no different scaled up.
    const double share = double(sceneTarget.height()) / double(std::max(windowHeight, 1));
    motionBlurQuad->setBlurSamples(std::max(2, int(std::ceil(blurSampleCount * share))));
    setDepthTest(false);
    drawObject(motionBlurQuad, hudProjectionMatrix, camera);
    setDepthTest(true);
    Sampler::unbind(1);
    bindFrame();
    setViewport(windowWidth, windowHeight);
    motionBlurQuad->setTexture(static_cast<int>(blurTarget.colorTexture()), 1);
    motionBlurQuad->setShader(copyProgram);
}

void World::drawThroughBackdrop(MovableCamera* camera)
{
    // The sky takes only the pixels the ground left at the far depth, so drawing it before Grov
    // and the tanks rather than between them changes no pixel.
    std::vector<SceneObject*> still;
    std::vector<SceneObject*> moving;
    for (SceneObject* object : objects3D)
        (object == terrain || object == sky ? still : moving).push_back(object);

    Backdrop::View view;
    view.viewProjection = projection * camera->viewMatrix();
    view.width = sceneTarget.width();
    view.height = sceneTarget.height();
    view.settings =
        int(wireframe) | int(cullingEnabled) << 1 | int(transparencyEnabled) << 2 | samplingMode << 3 | mipmapMode << 5;
    backdrop.draw(view, lightCircuit.angle(), sceneTarget, [&] {
        clearScreen(0.0f, 0.0f, 0.0f, 1.0f);
        drawList(still, projection, camera);
    });
    drawList(moving, projection, camera);
}
