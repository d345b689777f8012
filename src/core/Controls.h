#pragma once
// The one place where input becomes actions: the window's key presses, the keys polled each
// frame and the gamepad, read through the bindings table. The rules and the cameras ask it
// for actions ("throw pressed", "steer left held") and never see a key code.

#include "core/Bindings.h"
#include "core/Gamepad.h"

#include <vector>

class Controls {
public:
    Controls() : table(Bindings::defaults()) {}

    void setBindings(const Bindings& bindings) { table = bindings; }
    const Bindings& bindings() const { return table; }

    // A key went down (the window's key event). Its action counts as pressed in the next frame,
    // however briefly the key was held. Ctrl+Q quits whatever the bindings say.
    void keyPressed(int key, bool control = false);

    // Starts a frame: the presses from key events since the frame before, then those of gamepad
    // buttons that went down, read through the input seam. What else changed on the gamepad
    // (arrivals, departures) is handed back.
    GamepadChanges beginFrame();

    // This frame's presses, in the order they came.
    const std::vector<Action>& presses() const { return framePresses; }
    bool pressed(Action action) const;
    // A bound key is down, or a bound gamepad button is held.
    bool held(Action action) const;
    bool keyHeld(Action action) const;
    bool buttonHeld(Action action) const;
    // Left to right, -1 to 1. A held steering key decides; without one the bound gamepad
    // buttons, and without those the left stick as far as it is pushed.
    float steering() const;

    // Forgets every press and the gamepad's last state (a new game, a new test).
    void reset();

private:
    Bindings table;
    std::vector<Action> pendingPresses;
    std::vector<Action> framePresses;
    GamepadWatcher watcher;
};

// The game's one set of controls.
Controls& controls();
