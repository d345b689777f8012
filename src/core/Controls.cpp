#include "core/Controls.h"

#include "core/Input.h"

#include <algorithm>

namespace {

constexpr int QUIT_CHORD_KEY = 'Q'; // held with Ctrl; a letter's key code is its capital
constexpr float STICK_STEP = 0.5f;  // of the left stick's travel: a push this far steps a menu

struct FixedMove {
    bool isKey;
    int code;
    MenuMove move;
};

const FixedMove FIXED_MOVES[] = {
    {true, KEY_UP, MOVE_UP},           {true, KEY_W, MOVE_UP},
    {true, KEY_DOWN, MOVE_DOWN},       {true, KEY_S, MOVE_DOWN},
    {true, KEY_LEFT, MOVE_LEFT},       {true, KEY_A, MOVE_LEFT},
    {true, KEY_RIGHT, MOVE_RIGHT},     {true, KEY_D, MOVE_RIGHT},
    {true, KEY_ENTER, MOVE_CHOOSE},    {true, KEY_SPACE, MOVE_CHOOSE},
    {true, KEY_ESCAPE, MOVE_BACK},     {true, KEY_BACKSPACE, MOVE_BACK},
    {false, PAD_DPAD_UP, MOVE_UP},     {false, PAD_DPAD_DOWN, MOVE_DOWN},
    {false, PAD_DPAD_LEFT, MOVE_LEFT}, {false, PAD_DPAD_RIGHT, MOVE_RIGHT},
    {false, PAD_SOUTH, MOVE_CHOOSE},   {false, PAD_EAST, MOVE_BACK},
    {false, PAD_START, MOVE_BACK},
};

int stickDirection(float value)
{
    return value <= -STICK_STEP ? -1 : (value >= STICK_STEP ? 1 : 0);
}

} // namespace

void Controls::keyPressed(int key, bool control)
{
    device = DEVICE_KEYBOARD;
    if (control && key == QUIT_CHORD_KEY) {
        pendingPresses.push_back(ACTION_QUIT);
        return;
    }
    pendingRaw.push_back({true, key});
    const Action action = table.actionOfKey(key);
    if (action != ACTION_NONE)
        pendingPresses.push_back(action);
}

void Controls::mouseClicked(int button)
{
    device = DEVICE_KEYBOARD;
    pendingClicks.push_back(button);
}

GamepadChanges Controls::beginFrame()
{
    framePresses.swap(pendingPresses);
    pendingPresses.clear();
    frameRaw.swap(pendingRaw);
    pendingRaw.clear();
    frameClicks.swap(pendingClicks);
    pendingClicks.clear();
    const GamepadChanges changes = watcher.update(gamepad());
    for (int button = 0; button < PAD_BUTTON_COUNT; ++button) {
        if (!changes.pressed[button])
            continue;
        device = DEVICE_GAMEPAD;
        frameRaw.push_back({false, button});
        const Action action = table.actionOfButton(button);
        if (action != ACTION_NONE)
            framePresses.push_back(action);
    }
    frameMoves.clear();
    for (const RawPress& press : frameRaw)
        addMenuMove(press);
    addStickMoves();
    return changes;
}

void Controls::addMenuMove(const RawPress& press)
{
    for (const FixedMove& fixed : FIXED_MOVES)
        if (fixed.isKey == press.isKey && fixed.code == press.code) {
            frameMoves.push_back(fixed.move);
            return;
        }
    const Action action = press.isKey ? table.actionOfKey(press.code) : table.actionOfButton(press.code);
    if (action == ACTION_MENU)
        frameMoves.push_back(MOVE_BACK);
}

// A push past halfway steps once; the stick must come back before it steps again.
void Controls::addStickMoves()
{
    const GamepadState pad = gamepad();
    const int x = pad.connected ? stickDirection(pad.axes[PAD_LEFT_X]) : 0;
    const int y = pad.connected ? stickDirection(pad.axes[PAD_LEFT_Y]) : 0;
    const bool newX = x != 0 && x != stickX;
    const bool newY = y != 0 && y != stickY;
    if (newX)
        frameMoves.push_back(x < 0 ? MOVE_LEFT : MOVE_RIGHT);
    if (newY)
        frameMoves.push_back(y < 0 ? MOVE_UP : MOVE_DOWN);
    if (newX || newY)
        device = DEVICE_GAMEPAD;
    stickX = x;
    stickY = y;
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
    pendingRaw.clear();
    frameRaw.clear();
    pendingClicks.clear();
    frameClicks.clear();
    frameMoves.clear();
    stickX = 0;
    stickY = 0;
    device = DEVICE_KEYBOARD;
    watcher = GamepadWatcher();
}

Controls& controls()
{
    static Controls theControls;
    return theControls;
}
