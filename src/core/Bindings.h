#pragma once
// Every action the player can take, and the keys and gamepad buttons that take it: the one
// table of the game's controls. The defaults are the game's own; other bindings can replace
// them at start, and a key or button belongs to one action at most.

#include <array>
#include <functional>
#include <string>
#include <vector>

enum Action {
    ACTION_THROW,      // stop the arrow and throw; dive in flight; try again after the game
    ACTION_STEER_LEFT, // in flight; strafes the free camera while paused
    ACTION_STEER_RIGHT,
    ACTION_LOOK, // held: look along the fixed direction in flight
    ACTION_PAUSE,
    ACTION_FLY_FORWARD, // the free camera while paused
    ACTION_FLY_BACK,
    ACTION_MENU, // opens the menu; goes back a level inside it
    ACTION_HELP, // the how-to-play card
    ACTION_MUTE,
    ACTION_FULLSCREEN,
    ACTION_SCREENSHOT,
    ACTION_GHOST,
    ACTION_FPS,
    ACTION_WIREFRAME,
    ACTION_SAMPLING,
    ACTION_MIPMAP,
    ACTION_VSYNC,
    ACTION_CULLING,
    ACTION_TRANSPARENCY,
    ACTION_QUIT, // Ctrl+Q always quits as well
    ACTION_COUNT,
    ACTION_NONE = ACTION_COUNT,
};

// "THROW", "STEER_LEFT"...: the action's name in files and on the console.
const char* actionName(Action action);
// What the action does, in a few words a player reads.
const char* actionDescription(Action action);

// "SPACE", "A", "F2", "ESCAPE": a key as printed on it; "KEY_<code>" for one without a name.
std::string keyName(int key);
// "A", "B", "START", "DPAD_LEFT": a gamepad button by the windowing library's name.
std::string buttonName(int button);
// The key or button of a name as the two above give it, in any case; -1 for no such name.
int keyFromName(const std::string& name);
int buttonFromName(const std::string& name);

// The settings that bind an action: "KEY_THROW", "PAD_THROW".
std::string keySetting(Action action);
std::string buttonSetting(Action action);
// The value of a binding's setting: "SPACE,ENTER", or "NONE" for an action left without any.
std::string keyListText(const std::vector<int>& keys);
std::string buttonListText(const std::vector<int>& buttons);

class Bindings {
public:
    // The game's own controls.
    static Bindings defaults();
    // The defaults, with every action whose "KEY_<ACTION>" or "PAD_<ACTION>" setting lookup
    // finds ("SPACE,ENTER", "A") bound to those instead. A name that is not a key or button, or
    // a key or button that two actions would share, leaves the action with its defaults and
    // gets a console line that starts with fileName.
    using SettingLookup = std::function<bool(const std::string& name, std::string& value)>;
    static Bindings fromSettings(const SettingLookup& lookup, const std::string& fileName);

    const std::vector<int>& keys(Action action) const { return keyLists[action]; }
    const std::vector<int>& buttons(Action action) const { return buttonLists[action]; }

    // The action a key or gamepad button is bound to, or ACTION_NONE.
    Action actionOfKey(int key) const;
    Action actionOfButton(int button) const;

    // Replaces the action's keys or buttons. One that already belongs to another action is
    // refused with a console line, and the action keeps what it had.
    bool setKeys(Action action, const std::vector<int>& keys);
    bool setButtons(Action action, const std::vector<int>& buttons);

    // Makes key (or button) the action's only one. Where another action had it, that action
    // takes the keys this one gave up instead, so nothing is left unbound by a clash: that
    // action is returned, or ACTION_NONE when there was no clash.
    Action bindKey(Action action, int key);
    Action bindButton(Action action, int button);

private:
    std::array<std::vector<int>, ACTION_COUNT> keyLists;
    std::array<std::vector<int>, ACTION_COUNT> buttonLists;
};
