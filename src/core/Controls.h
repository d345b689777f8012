#pragma once
// The one place where input becomes actions: the window's key presses, the keys polled each
// frame and the gamepad, read through the bindings table. The rules and the cameras ask it
// for actions ("throw pressed", "steer left held") and never see a key code.

#include "core/Bindings.h"
#include "core/Gamepad.h"

#include <vector>

// The device a player last used, for on-screen hints in its own terms.
enum InputDevice { DEVICE_KEYBOARD, DEVICE_GAMEPAD };

// A step through a menu. The keys and buttons for these are fixed, so a player who rebinds
// everything can still find the way back: arrows or W/A/S/D, Enter or Space, Escape; the
// d-pad or the left stick, A, B or Start. Whatever is bound to the menu action goes back too.
enum MenuMove { MOVE_UP, MOVE_DOWN, MOVE_LEFT, MOVE_RIGHT, MOVE_CHOOSE, MOVE_BACK };

// A key or gamepad button that went down, as it is: what a rebinding takes.
struct RawPress {
    bool isKey = true;
    int code = 0;
};

class Controls {
public:
    Controls() : table(Bindings::defaults()) {}

    void setBindings(const Bindings& bindings) { table = bindings; }
    const Bindings& bindings() const { return table; }

    // A key went down (the window's key event). Its action counts as pressed in the next frame,
    // however briefly the key was held. Ctrl+Q quits whatever the bindings say.
    void keyPressed(int key, bool control = false);
    // A mouse button went down (0 the left, 1 the right); it counts in the next frame.
    void mouseClicked(int button);

    // Starts a frame: the presses from key events since the frame before, then those of gamepad
    // buttons that went down, read through the input seam. What else changed on the gamepad
    // (arrivals, departures) is handed back.
    GamepadChanges beginFrame();

    // This frame's presses, in the order they came.
    const std::vector<Action>& presses() const { return framePresses; }
    // This frame's keys and buttons as they are, Ctrl+Q left out, in the order they came.
    const std::vector<RawPress>& rawPresses() const { return frameRaw; }
    // This frame's steps through a menu, and its mouse clicks.
    const std::vector<MenuMove>& menuMoves() const { return frameMoves; }
    const std::vector<int>& clicks() const { return frameClicks; }
    InputDevice lastDevice() const { return device; }
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
    void addMenuMove(const RawPress& press);
    void addStickMoves();

    Bindings table;
    std::vector<Action> pendingPresses;
    std::vector<Action> framePresses;
    std::vector<RawPress> pendingRaw;
    std::vector<RawPress> frameRaw;
    std::vector<int> pendingClicks;
    std::vector<int> frameClicks;
    std::vector<MenuMove> frameMoves;
    int stickX = 0; // where the left stick was pushed last frame: -1, 0 or 1
    int stickY = 0;
    InputDevice device = DEVICE_KEYBOARD;
    GamepadWatcher watcher;
};

// The game's one set of controls.
Controls& controls();
