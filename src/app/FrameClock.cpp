#include "app/FrameClock.h"

#include <iostream>

FrameClock::FrameClock(double startTime, float nominalRate)
    : gameTimer(startTime), snapshot(startTime), lastReal(startTime), lastFpsMark(startTime),
      nominalStep(1.0f / nominalRate)
{}

FrameDeltas FrameClock::tick(double now)
{
    FrameDeltas deltas;
    deltas.realDt = now - lastReal;
    lastReal = now;

    gameTimer.advance(deltas.realDt);
    deltas.gameDt = gameTimer.elapsedSince(snapshot);
    snapshot.setTime(gameTimer.time);

    // The mark moves by exactly one second, so after a long stall it catches up over
    // several frames, each of which reports a rate.
    ++frameCount;
    double elapsed = now - lastFpsMark;
    if (elapsed >= 1.0) {
        deltas.fpsReported = true;
        deltas.fps = frameCount / elapsed;
        frameCount = 0;
        lastFpsMark += 1.0;
    }

    // A stall would throw everything far off its path; the game clock keeps the full advance.
    if (deltas.realDt > maxFrameSeconds) {
        std::cout << "Repairing delta time. Last frame took " << deltas.realDt << " sec" << std::endl;
        if (deltas.gameDt != 0.0)
            deltas.gameDt = nominalStep;
        deltas.realDt = nominalStep;
    }
    return deltas;
}
