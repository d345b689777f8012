#pragma once
// The arithmetic of one pass of the frame loop: the two deltas, the once-per-second frame
// rate and the repair of stalls. Kept apart from the window so tests can feed it any times.

#include "app/FrameTimer.h"

struct FrameDeltas {
    double gameDt = 0.0; // pausable game clock, 0 while paused
    double realDt = 0.0; // wall clock
    bool fpsReported = false;
    double fps = 0.0; // frames per second, valid when fpsReported
};

class FrameClock {
public:
    // A stall longer than this many seconds is replaced by one nominal step.
    static constexpr double maxFrameSeconds = 1.0;

    // startTime: the wall clock at loop start; nominalRate: frames per second of one step.
    FrameClock(double startTime, float nominalRate);

    // Advances the clocks to the wall-clock time now and returns this frame's deltas.
    FrameDeltas tick(double now);

    FrameTimer& timer() { return gameTimer; }
    const FrameTimer& timer() const { return gameTimer; }
    float step() const { return nominalStep; }

private:
    FrameTimer gameTimer;
    FrameTimer snapshot;
    double lastReal;
    double lastFpsMark;
    int frameCount = 0;
    float nominalStep;
};
