#include "core/Controls.h"

#include "core/Input.h"

#include <algorithm>

namespace {

constexpr int QUIT_CHORD_KEY = 'Q'; // held with Ctrl; a letter's key code is its capital

} // namespace

void Controls::keyPressed(int key, bool control)
{
    const Action action = control && key == QUIT_CHORD_KEY ? ACTION_QUIT : table.actionOfKey(key);
    if (action != ACTION_NONE)
        pendingPresses.push_back(action);
}

GamepadChanges Controls::beginFrame()
{
    framePresses.swap(pendingPresses);
    pendingPresses.clear();
    const GamepadChanges changes = watcher.update(gamepad());
    for (int button = 0; button < PAD_BUTTON_COUNT; ++button) {
        const Action action = table.actionOfButton(button);
        if (changes.pressed[button] && action != ACTION_NONE)
            framePresses.push_back(action);
    }
    return changes;
}

bool Controls::pressed(Action action) const
{
    return std::find(framePresses.begin(), framePresses.end(), action) != framePresses.end();
}

bool Controls::held(Action action) const
{
    return keyHeld(action) || buttonHeld(action);
}

bool Controls::keyHeld(Action action) const
{
    const std::vector<int>& keys = table.keys(action);
    return std::any_of(keys.begin(), keys.end(), [](int key) { return isKeyDown(key); });
}

bool Controls::buttonHeld(Action action) const
{
    const GamepadState pad = gamepad();
    const std::vector<int>& buttons = table.buttons(action);
    return std::any_of(buttons.begin(), buttons.end(), [&pad](int button) {
        return button >= 0 && button < PAD_BUTTON_COUNT && pad.held(GamepadButton(button));
    });
}

float Controls::steering() const
{
    const auto axis = [](bool left, bool right) { return (right ? 1.0f : 0.0f) - (left ? 1.0f : 0.0f); };
    const bool keyLeft = keyHeld(ACTION_STEER_LEFT);
    const bool keyRight = keyHeld(ACTION_STEER_RIGHT);
    if (keyLeft || keyRight)
        return axis(keyLeft, keyRight);
    const bool padLeft = buttonHeld(ACTION_STEER_LEFT);
    const bool padRight = buttonHeld(ACTION_STEER_RIGHT);
    if (padLeft || padRight)
        return axis(padLeft, padRight);
    return stickValue(gamepad(), PAD_LEFT_X);
}

void Controls::reset()
{
    pendingPresses.clear();
    framePresses.clear();
    watcher = GamepadWatcher();
}

Controls& controls()
{
    static Controls theControls;
    return theControls;
}
