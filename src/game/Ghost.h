#pragma once
// The ghost of the best throw: in every flight, Grov is drawn once more, translucent, where
// the best throw's path had him at the same game time since its launch. It is only drawn:
// it has no box, so no tank or ground ever meets it, and it makes no sound. Nothing is drawn
// before the launch, after the flight or after its path ends.

#include "game/GhostPath.h"

#include <functional>

class BoneObject;
class SceneObject;

class Ghost {
public:
    // Of full opacity: clearly there, and clearly not Grov himself.
    static constexpr float TRANSPARENCY = 0.45f;

    void setVisible(bool visible) { shown = visible; }
    bool isVisible() const { return shown; }

    // A flight starts: the ghost follows a copy of path from its first sample (the best may be
    // replaced while this flight is still being decided).
    void launch(const GhostPath& path);
    // Game time of the flight passes; a paused frame passes none.
    void advance(double gameDt);
    // The flight ended.
    void land();

    bool isFlying() const { return flying; }
    // Seconds of game time since the launch.
    double flightSeconds() const { return seconds; }
    // Where the ghost stands now; false when nothing is to be drawn.
    bool pose(GhostPose& pose) const;

    // Draws grov a second time in the ghost's pose through drawObject (the World's draw of one
    // object with this frame's camera), translucent, and puts Grov's own pose back after.
    void draw(BoneObject& grov, const std::function<void(SceneObject&)>& drawObject);

private:
    GhostPath path;
    double seconds = 0.0;
    bool flying = false;
    bool shown = true;
    bool tracedShown = false; // this flight's first drawing is in the trace
    bool tracedGone = false;  // so is the end of its path
};
