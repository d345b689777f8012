#include "core/Bindings.h"

#include "core/Gamepad.h"
#include "core/Input.h"

#include <algorithm>
#include <cstdio>

namespace {

struct ActionDefaults {
    const char* name;
    const char* description;
    std::vector<int> keys;
    std::vector<int> buttons;
};

// In the order of the Action enum.
const std::array<ActionDefaults, ACTION_COUNT>& table()
{
    static const std::array<ActionDefaults, ACTION_COUNT> actions = {{
        {"THROW", "throw, dive, try again", {KEY_SPACE}, {PAD_SOUTH}},
        {"STEER_LEFT", "steer left", {KEY_A}, {PAD_DPAD_LEFT}},
        {"STEER_RIGHT", "steer right", {KEY_D}, {PAD_DPAD_RIGHT}},
        {"LOOK", "look ahead (hold)", {KEY_C}, {PAD_NORTH}},
        {"PAUSE", "pause and fly the free camera", {KEY_P}, {PAD_START}},
        {"FLY_FORWARD", "free camera forward", {KEY_W}, {}},
        {"FLY_BACK", "free camera back", {KEY_S}, {}},
        {"FPS", "frame rate shown", {KEY_F2}, {}},
        {"WIREFRAME", "wireframe", {KEY_F3}, {}},
        {"SAMPLING", "texture sampling", {KEY_F4}, {}},
        {"MIPMAP", "mip-mapping", {KEY_F5}, {}},
        {"VSYNC", "VSync", {KEY_F7}, {}},
        {"CULLING", "frustum culling", {KEY_F8}, {}},
        {"TRANSPARENCY", "transparency", {KEY_F9}, {}},
        {"MUTE", "sound on or off", {KEY_M}, {}},
        {"FULLSCREEN", "full screen", {KEY_F11}, {}},
        {"SCREENSHOT", "screenshot", {KEY_F12}, {}},
        {"GHOST", "ghost shown", {KEY_G}, {}},
        {"QUIT", "quit", {KEY_ESCAPE}, {}},
    }};
    return actions;
}

const char* const BUTTON_NAMES[PAD_BUTTON_COUNT] = {
    "A",     "B",          "X",           "Y",       "LEFT_BUMPER", "RIGHT_BUMPER", "BACK",      "START",
    "GUIDE", "LEFT_THUMB", "RIGHT_THUMB", "DPAD_UP", "DPAD_RIGHT",  "DPAD_DOWN",    "DPAD_LEFT",
};

Action findOwner(const std::array<std::vector<int>, ACTION_COUNT>& lists, int code)
{
    for (int action = 0; action < ACTION_COUNT; ++action) {
        const std::vector<int>& list = lists[std::size_t(action)];
        if (std::find(list.begin(), list.end(), code) != list.end())
            return Action(action);
    }
    return ACTION_NONE;
}

// Refuses a list that takes a code from another action, naming both on the console.
bool replaceList(std::array<std::vector<int>, ACTION_COUNT>& lists, Action action, const std::vector<int>& codes,
                 std::string (*name)(int))
{
    for (int code : codes) {
        const Action owner = findOwner(lists, code);
        if (owner != ACTION_NONE && owner != action) {
            std::printf("Bindings: %s is already bound to %s, so %s keeps its own\n", name(code).c_str(),
                        actionName(owner), actionName(action));
            std::fflush(stdout);
            return false;
        }
    }
    lists[action] = codes;
    return true;
}

} // namespace

const char* actionName(Action action)
{
    return action < ACTION_COUNT ? table()[action].name : "NONE";
}

const char* actionDescription(Action action)
{
    return action < ACTION_COUNT ? table()[action].description : "";
}

std::string keyName(int key)
{
    if ((key >= KEY_A && key <= KEY_A + 25) || (key >= KEY_0 && key <= KEY_0 + 9))
        return std::string(1, char(key));
    if (key >= KEY_F1 && key <= KEY_F1 + 24)
        return "F" + std::to_string(key - KEY_F1 + 1);
    switch (key) {
    case KEY_SPACE:
        return "SPACE";
    case KEY_ESCAPE:
        return "ESCAPE";
    case KEY_ENTER:
        return "ENTER";
    case KEY_TAB:
        return "TAB";
    case KEY_BACKSPACE:
        return "BACKSPACE";
    case KEY_RIGHT:
        return "RIGHT";
    case KEY_LEFT:
        return "LEFT";
    case KEY_DOWN:
        return "DOWN";
    case KEY_UP:
        return "UP";
    case KEY_LEFT_SHIFT:
        return "LEFT_SHIFT";
    case KEY_LEFT_CONTROL:
        return "LEFT_CONTROL";
    case KEY_RIGHT_SHIFT:
        return "RIGHT_SHIFT";
    case KEY_RIGHT_CONTROL:
        return "RIGHT_CONTROL";
    default:
        return "KEY_" + std::to_string(key);
    }
}

std::string buttonName(int button)
{
    if (button >= 0 && button < PAD_BUTTON_COUNT)
        return BUTTON_NAMES[button];
    return "BUTTON_" + std::to_string(button);
}

Bindings Bindings::defaults()
{
    Bindings bindings;
    for (std::size_t action = 0; action < ACTION_COUNT; ++action) {
        bindings.keyLists[action] = table()[action].keys;
        bindings.buttonLists[action] = table()[action].buttons;
    }
    return bindings;
}

Action Bindings::actionOfKey(int key) const
{
    return findOwner(keyLists, key);
}

Action Bindings::actionOfButton(int button) const
{
    return findOwner(buttonLists, button);
}

bool Bindings::setKeys(Action action, const std::vector<int>& keys)
{
    return replaceList(keyLists, action, keys, keyName);
}

bool Bindings::setButtons(Action action, const std::vector<int>& buttons)
{
    return replaceList(buttonLists, action, buttons, buttonName);
}
