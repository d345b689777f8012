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
        for (int button = 0; button < PAD_BUTTON_COUNT; ++button)
            changes.pressed[button] = now.buttons[button] && !last.buttons[button];
    }
    last = now;
    return changes;
}
