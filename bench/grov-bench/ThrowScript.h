#pragma once
// The benchmark's player: one throw from the aiming to the retry, decided frame by frame from
// the game's state alone, so the same build always plays the same throw.

#include <climits>

class ThrowScript {
public:
    struct Plan {
        int aimingFrames = 30;      // before SPACE on the first wheel: one turn of the arrow
        float arrowAngle = -250.0f; // degrees: a long throw with rage to spare for a dive
        int diveAfter = 90;         // flight frames before the one dive
        int gameOverFrames = 120;   // about 2 s at the fixed step before SPACE resets
        int retryFrames = 30;       // aiming frames after the reset
        int maxFrames = INT_MAX;    // the whole run stops here whatever happened
    };

    // What to do after the frame just played.
    struct Action {
        bool setArrow = false; // turn the arrow to the plan's angle (right before SPACE)
        bool pressSpace = false;
        bool done = false; // no more frames
    };

    ThrowScript() = default;
    explicit ThrowScript(const Plan& plan) : plan(plan) {}

    // Called once after every frame with the game's state after that frame.
    Action afterFrame(int state);

private:
    Plan plan;
    int frames = 0;
    int framesInState = 0;
    int lastState = -1;
    bool spacePressedToThrow = false;
    bool spacePressedToDive = false;
    bool spacePressedToReset = false;
};
