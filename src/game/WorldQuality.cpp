// Picture against speed: the QUALITY setting and the adaptive scale of AUTO's scene.
#include "game/World.h"

#include "core/Trace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
    const double scale = renderScale.scale();
    if (scale != tracedScale) {
        tracedScale = scale;
        char text[16];
        std::snprintf(text, sizeof text, "%.2f", scale);
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
        return std::clamp(pinnedScale, RenderScale::MIN_SCALE, RenderScale::MAX_SCALE);
    return renderScale.scale();
}

Framebuffer* World::sceneTargetFor(bool blur)
{
    lastTarget = blur ? &offscreenTarget : nullptr;
    if (quality_ != RenderQuality::Auto)
        return lastTarget;
    const double scale = renderScaleNow();
    // A software renderer spends much of its shading on the window's multisampling: AUTO draws
    // the scene single-sampled there, at whatever scale keeps the frame on time.
    if (softwareRenderer || scale < 1.0) {
        sceneTarget.resize(std::max(1, int(std::lround(windowWidth * scale))),
                           std::max(1, int(std::lround(windowHeight * scale))));
        sceneTarget.create();
        lastTarget = &sceneTarget;
    }
    return lastTarget;
}
