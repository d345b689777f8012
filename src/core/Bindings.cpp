#include "core/Bindings.h"

#include "core/Gamepad.h"
#include "core/Input.h"

#include <algorithm>
#include <cctype>
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
        {"THROW", "Throw, dive, try again", {KEY_SPACE}, {PAD_SOUTH}},
        {"STEER_LEFT", "Steer left", {KEY_A}, {PAD_DPAD_LEFT}},
        {"STEER_RIGHT", "Steer right", {KEY_D}, {PAD_DPAD_RIGHT}},
        {"LOOK", "Look ahead (hold)", {KEY_C}, {PAD_NORTH}},
        {"PAUSE", "Pause, free camera", {KEY_P}, {PAD_BACK}},
        {"FLY_FORWARD", "Free camera forward", {KEY_W}, {}},
        {"FLY_BACK", "Free camera back", {KEY_S}, {}},
        {"MENU", "Menu", {KEY_ESCAPE}, {PAD_START}},
        {"HELP", "How to play", {KEY_F1}, {}},
        {"MUTE", "Sound on or off", {KEY_M}, {}},
        {"FULLSCREEN", "Full screen", {KEY_F11}, {}},
        {"SCREENSHOT", "Screenshot", {KEY_F12}, {}},
        {"GHOST", "Ghost shown", {KEY_G}, {}},
        {"FPS", "Frame rate shown", {KEY_F2}, {}},
        {"WIREFRAME", "Wireframe", {KEY_F3}, {}},
        {"SAMPLING", "Texture sampling", {KEY_F4}, {}},
        {"MIPMAP", "Mip-mapping", {KEY_F5}, {}},
        {"VSYNC", "VSync", {KEY_F7}, {}},
        {"CULLING", "Frustum culling", {KEY_F8}, {}},
        {"TRANSPARENCY", "Transparency", {KEY_F9}, {}},
        {"QUIT", "Quit (also Ctrl+Q)", {}, {}},
    }};
    return actions;
}

const char* const BUTTON_NAMES[PAD_BUTTON_COUNT] = {
    "A",     "B",          "X",           "Y",       "LEFT_BUMPER", "RIGHT_BUMPER", "BACK",      "START",
    "GUIDE", "LEFT_THUMB", "RIGHT_THUMB", "DPAD_UP", "DPAD_RIGHT",  "DPAD_DOWN",    "DPAD_LEFT",
};

using CodeLists = std::array<std::vector<int>, ACTION_COUNT>;

// Keys and gamepad buttons are bound alike; only their names and settings differ.
struct CodeFamily {
    const char* prefix; // of the settings: "KEY_THROW"
    const char* kind;   // in console lines
    int (*fromName)(const std::string&);
    std::string (*name)(int);
};
constexpr const char* NO_CODES = "NONE";

const CodeFamily KEYS{"KEY_", "key", keyFromName, keyName};
const CodeFamily BUTTONS{"PAD_", "button", buttonFromName, buttonName};

std::string upperCase(std::string text)
{
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void printLine(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool holds(const std::vector<int>& codes, int code)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

Action findOwner(const CodeLists& lists, int code)
{
    for (int action = 0; action < ACTION_COUNT; ++action)
        if (holds(lists[std::size_t(action)], code))
            return Action(action);
    return ACTION_NONE;
}

// Refuses a list that takes a code from another action, naming both on the console.
bool replaceList(CodeLists& lists, Action action, const std::vector<int>& codes, const CodeFamily& family)
{
    for (int code : codes) {
        const Action owner = findOwner(lists, code);
        if (owner != ACTION_NONE && owner != action) {
            printLine("Bindings: " + family.name(code) + " is already bound to " + actionName(owner) + ", so "
                      + actionName(action) + " keeps its own");
            return false;
        }
    }
    lists[action] = codes;
    return true;
}

// The codes of a comma-separated list of names; false, with the name in unknown, when one of
// them names nothing.
bool parseList(const std::string& text, const CodeFamily& family, std::vector<int>& codes, std::string& unknown)
{
    codes.clear();
    // What the menu saves for an action it left without any.
    if (upperCase(text) == NO_CODES)
        return true;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        unknown = text.substr(start, comma - start);
        const int code = family.fromName(unknown);
        if (code < 0)
            return false;
        if (!holds(codes, code))
            codes.push_back(code);
        start = comma + 1;
    }
    return true;
}

std::string listText(const std::vector<int>& codes, const CodeFamily& family)
{
    std::string text;
    for (int code : codes)
        text += (text.empty() ? "" : ",") + family.name(code);
    return text.empty() ? "nothing" : text;
}

std::string settingText(const std::vector<int>& codes, const CodeFamily& family)
{
    return codes.empty() ? NO_CODES : listText(codes, family);
}

// Gives action the one code; an action that had it takes action's old codes in its place.
Action bindOne(CodeLists& lists, Action action, int code)
{
    const Action owner = findOwner(lists, code);
    const std::vector<int> given = lists[action];
    lists[action] = {code};
    if (owner == ACTION_NONE || owner == action)
        return ACTION_NONE;
    std::vector<int>& other = lists[owner];
    other.erase(std::find(other.begin(), other.end(), code));
    for (int old : given)
        if (old != code && !holds(other, old))
            other.push_back(old);
    return owner;
}

// The first code that two actions share: true, with the two (first before second) and the code.
bool findClash(const CodeLists& lists, int& first, int& second, int& code)
{
    for (second = 1; second < ACTION_COUNT; ++second)
        for (int shared : lists[std::size_t(second)])
            if ((first = findOwner(lists, shared)) < second) {
                code = shared;
                return true;
            }
    return false;
}

// Binds every action whose setting the lookup finds to the codes it names. A code two actions
// would share stays with the one the settings did not change (where both changed, with the
// first); the other keeps its defaults, which may free another code, so it goes round again.
void readSettings(CodeLists& lists, const CodeLists& defaults, const CodeFamily& family,
                  const Bindings::SettingLookup& lookup, const std::string& fileName)
{
    std::array<bool, ACTION_COUNT> changed{};
    for (int action = 0; action < ACTION_COUNT; ++action) {
        const std::string setting = family.prefix + std::string(actionName(Action(action)));
        std::string value;
        if (!lookup(setting, value))
            continue;
        std::vector<int> codes;
        std::string unknown;
        if (!parseList(value, family, codes, unknown)) {
            printLine(fileName + ": " + setting + " " + value + ": " + (unknown.empty() ? "(empty)" : unknown)
                      + " is not a " + family.kind + ", so " + actionName(Action(action)) + " keeps "
                      + listText(defaults[action], family));
            continue;
        }
        lists[action] = codes;
        changed[action] = true;
    }
    int first = 0;
    int second = 0;
    int code = 0;
    while (findClash(lists, first, second, code)) {
        const int loser = changed[second] ? second : first;
        const int winner = loser == second ? first : second;
        printLine(fileName + ": " + family.prefix + actionName(Action(loser)) + " " + listText(lists[loser], family)
                  + ": " + family.name(code) + " is already bound to " + actionName(Action(winner)) + ", so "
                  + actionName(Action(loser)) + " keeps " + listText(defaults[loser], family));
        lists[loser] = defaults[loser];
        changed[loser] = false;
    }
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

int keyFromName(const std::string& name)
{
    const std::string upper = upperCase(name);
    // Every key a name is printed for: the printable ones, the named specials and F1 to F25.
    for (int key = KEY_SPACE; key <= KEY_RIGHT_CONTROL; ++key) {
        const std::string printed = keyName(key);
        if (printed.compare(0, 4, "KEY_") != 0 && printed == upper)
            return key;
    }
    return -1;
}

int buttonFromName(const std::string& name)
{
    const std::string upper = upperCase(name);
    for (int button = 0; button < PAD_BUTTON_COUNT; ++button)
        if (upper == BUTTON_NAMES[button])
            return button;
    return -1;
}

std::string keySetting(Action action)
{
    return KEYS.prefix + std::string(actionName(action));
}

std::string buttonSetting(Action action)
{
    return BUTTONS.prefix + std::string(actionName(action));
}

std::string keyListText(const std::vector<int>& keys)
{
    return settingText(keys, KEYS);
}

std::string buttonListText(const std::vector<int>& buttons)
{
    return settingText(buttons, BUTTONS);
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

Bindings Bindings::fromSettings(const SettingLookup& lookup, const std::string& fileName)
{
    const Bindings defaults = Bindings::defaults();
    Bindings bindings = defaults;
    readSettings(bindings.keyLists, defaults.keyLists, KEYS, lookup, fileName);
    readSettings(bindings.buttonLists, defaults.buttonLists, BUTTONS, lookup, fileName);
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
    return replaceList(keyLists, action, keys, KEYS);
}

bool Bindings::setButtons(Action action, const std::vector<int>& buttons)
{
    return replaceList(buttonLists, action, buttons, BUTTONS);
}

Action Bindings::bindKey(Action action, int key)
{
    return bindOne(keyLists, action, key);
}

Action Bindings::bindButton(Action action, int button)
{
    return bindOne(buttonLists, action, button);
}
