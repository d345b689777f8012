#pragma once
// The wall clock the game reads, in seconds. The window installs the windowing library's
// clock; tests install a manual one.

class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
};

// nullptr restores the steady system clock. The caller keeps ownership.
void setClock(Clock* clock);
double clockNow();
