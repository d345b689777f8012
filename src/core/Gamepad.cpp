#include "core/Gamepad.h"

#include <algorithm>
#include <cmath>

float stickValue(const GamepadState& pad, GamepadAxis axis)
{
    if (!pad.connected)
        return 0.0f;
    const float value = std::min(std::max(pad.axes[axis], -1.0f), 1.0f);
    const float past = std::fabs(value) - PAD_DEAD_ZONE;
    if (past <= 0.0f)
        return 0.0f;
    return std::copysign(past / (1.0f - PAD_DEAD_ZONE), value);
}

float padSteering(const GamepadState& pad)
{
    if (pad.held(PAD_DPAD_RIGHT) || pad.held(PAD_DPAD_LEFT))
        return (pad.held(PAD_DPAD_RIGHT) ? 1.0f : 0.0f) - (pad.held(PAD_DPAD_LEFT) ? 1.0f : 0.0f);
    return stickValue(pad, PAD_LEFT_X);
}

GamepadChanges GamepadWatcher::update(const GamepadState& now)
{
    GamepadChanges changes;
    if (now.connected && (!last.connected || now.name != last.name)) {
        changes.connected = true;
        changes.name = now.name;
    } else if (!now.connected && last.connected) {
        changes.disconnected = true;
        changes.name = last.name;
    } else if (now.connected) {
        changes.southPressed = now.buttons[PAD_SOUTH] && !last.buttons[PAD_SOUTH];
        changes.startPressed = now.buttons[PAD_START] && !last.buttons[PAD_START];
    }
    last = now;
    return changes;
}
