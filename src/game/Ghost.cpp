#include "game/Ghost.h"

#include "core/Trace.h"
#include "model/BoneObject.h"
#include "render/SceneObject.h"

#include <cstdio>

void Ghost::launch(const GhostPath& best)
{
    path = best;
    seconds = 0.0;
    flying = true;
    tracedShown = false;
    tracedGone = false;
}

void Ghost::advance(double gameDt)
{
    if (!flying || !(gameDt > 0.0))
        return;
    seconds += gameDt;
    if (tracedShown && !tracedGone && seconds > path.duration()) {
        tracedGone = true;
        traceEvent("ghost", "gone");
    }
}

void Ghost::land()
{
    flying = false;
}

bool Ghost::pose(GhostPose& pose) const
{
    return flying && shown && path.poseAt(seconds, pose);
}

void Ghost::draw(BoneObject& grov, const std::function<void(SceneObject&)>& drawObject)
{
    GhostPose ghost;
    // With transparency switched off the ghost would be drawn not at all; skip its cost too.
    if (!pose(ghost) || !transparencyEnabled)
        return;

    const glm::vec3 position = grov.position();
    const float angle = grov.rotationAngle();
    const bool transparent = grov.isTransparent();
    const float transparency = grov.transparency();

    grov.setPosition(ghost.position);
    grov.setRotationAngle(ghost.rotationAngle);
    grov.setTransparent(true);
    grov.setTransparency(TRANSPARENCY);
    grov.poseAt(ghost.animationTime);
    drawObject(grov);

    grov.setPosition(position);
    grov.setRotationAngle(angle);
    grov.setTransparent(transparent);
    grov.setTransparency(transparency);
    grov.poseAt(animationClock);

    if (!tracedShown) {
        tracedShown = true;
        char at[32];
        std::snprintf(at, sizeof at, "%.3f", seconds);
        traceEvent("ghost", std::string("shown ") + at);
    }
}
