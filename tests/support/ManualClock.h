#pragma once
// A wall clock that only moves when the test says so.

#include "core/Clock.h"

class ManualClock : public Clock {
public:
    // Installs itself as the game's clock for its lifetime.
    explicit ManualClock(double start = 0.0) : time(start) { setClock(this); }
    ~ManualClock() override { setClock(nullptr); }

    double now() const override { return time; }
    void advance(double seconds) { time += seconds; }

    double time;
};
