#pragma once
// A gamepad as the windowing library's standard mapping describes it, and the readings the
// game takes of it: a stick past its dead zone, the d-pad, buttons pressed since the last frame.

#include <string>

// Button and axis numbers of the standard mapping, equal to the windowing library's.
enum GamepadButton {
    PAD_SOUTH = 0, // A, Cross
    PAD_EAST = 1,
    PAD_WEST = 2,
    PAD_NORTH = 3, // Y, Triangle
    PAD_LEFT_BUMPER = 4,
    PAD_RIGHT_BUMPER = 5,
    PAD_BACK = 6,
    PAD_START = 7,
    PAD_GUIDE = 8,
    PAD_LEFT_THUMB = 9,
    PAD_RIGHT_THUMB = 10,
    PAD_DPAD_UP = 11,
    PAD_DPAD_RIGHT = 12,
    PAD_DPAD_DOWN = 13,
    PAD_DPAD_LEFT = 14,
    PAD_BUTTON_COUNT = 15,
};

enum GamepadAxis {
    PAD_LEFT_X = 0,
    PAD_LEFT_Y = 1, // down is positive
    PAD_RIGHT_X = 2,
    PAD_RIGHT_Y = 3,
    PAD_LEFT_TRIGGER = 4,
    PAD_RIGHT_TRIGGER = 5,
    PAD_AXIS_COUNT = 6,
};

struct GamepadState {
    bool connected = false;
    std::string name;
    bool buttons[PAD_BUTTON_COUNT] = {};
    float axes[PAD_AXIS_COUNT] = {}; // -1 to 1

    bool held(GamepadButton button) const { return connected && buttons[button]; }
};

constexpr float PAD_DEAD_ZONE = 0.2f; // of a stick's travel: a resting stick drifts this far

// The axis past the dead zone, rescaled to run from 0 at the zone's edge to 1 at the stop, so
// the smallest push that counts moves only a little. 0 when no gamepad is connected.
float stickValue(const GamepadState& pad, GamepadAxis axis);

// What changed on the gamepad since the frame before.
struct GamepadChanges {
    bool connected = false;
    bool disconnected = false;
    std::string name;                    // of the gamepad that came or went
    bool pressed[PAD_BUTTON_COUNT] = {}; // went down since the frame before
};

// Turns the state polled each frame into presses and arrivals. A button already held when the
// gamepad arrives is not a press, so plugging it in never throws or pauses by itself.
class GamepadWatcher {
public:
    GamepadChanges update(const GamepadState& now);

private:
    GamepadState last;
};
