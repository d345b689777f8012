#pragma once
// The pausable game clock: it accumulates wall-clock time unless paused.

class FrameTimer {
public:
    explicit FrameTimer(double startTime = 0.0) : time(startTime) {}

    void advance(double dt)
    {
        if (!paused)
            time += dt * scale;
    }
    double elapsedSince(const FrameTimer& other) const { return time - other.time; }
    void setTime(double t) { time = t; }
    void setPaused(bool flag) { paused = flag; }
    bool isPaused() const { return paused; }

    double time;
    double scale = 1.0;
    bool paused = false;
};
