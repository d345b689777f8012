#pragma once
// The menu over the game: its screens, the row chosen on each, and what choosing does. It keeps
// its state in plain values and takes its steps from the controls (keys, gamepad, mouse);
// everything it changes outside itself goes through the MenuHost, which the application is.

#include "core/Bindings.h"
#include "core/Controls.h"
#include "game/MenuPage.h"

#include <string>
#include <vector>

class GoalBook;
class RecordTable;

// What the player can change in Options, each saved under its own setting.
enum Option {
    OPTION_MUSIC_VOLUME,
    OPTION_EFFECTS_VOLUME,
    OPTION_SOUND,
    OPTION_QUALITY,
    OPTION_FULLSCREEN,
    OPTION_VSYNC,
    OPTION_FPS,
    OPTION_GHOST,
    OPTION_COUNT,
};

struct OptionChoice {
    const char* shown;  // on screen: "50", "ON"
    const char* stored; // in settings.txt: "50", "1"
};

struct OptionInfo {
    const char* label;
    const char* setting; // its key in settings.txt
    std::vector<OptionChoice> choices;
    bool wraps; // a switch goes round; a volume stops at its ends
};

const OptionInfo& optionInfo(Option option);

// What the menu asks of the game around it.
class MenuHost {
public:
    virtual ~MenuHost() = default;
    // The option's choice in effect, as an index into its choices.
    virtual int option(Option option) const = 0;
    virtual void setOption(Option option, int choice) = 0;
    // Makes the key or button the action's own, in effect and saved. A clash swaps: the
    // action that had it is returned, ACTION_NONE without one.
    virtual Action bind(Action action, const RawPress& press) = 0;
    virtual void resetBindings() = 0;
    virtual const RecordTable& recordTable() const = 0;
    virtual const GoalBook& goalBook() const = 0;
    virtual void quit() = 0;
};

enum MenuScreen {
    SCREEN_MAIN,
    SCREEN_OPTIONS,
    SCREEN_SOUND,
    SCREEN_PICTURE,
    SCREEN_CONTROLS,
    SCREEN_HOW_TO_PLAY,
    SCREEN_RECORDS,
    SCREEN_GOALS,
};

// "main", "options", "how-to-play", "goals"...: the screen's name in the trace.
const char* screenName(MenuScreen screen);
// The long list of the controls takes closer rows than the other screens, and the panel is as
// tall as the screen's rows need.
MenuLayout layoutOf(MenuScreen screen, int rows);

class Menu {
public:
    explicit Menu(MenuHost& host) : host(host) {}

    // Opens on a screen (the main one, or How to play from its own key). The steps of the
    // frame that opened it are not the menu's: update it from the next frame on.
    void open(MenuScreen screen = SCREEN_MAIN);
    void close();
    bool isOpen() const { return !screens.empty(); }
    MenuScreen screen() const { return screens.empty() ? SCREEN_MAIN : screens.back(); }
    // Waiting for the key or button that an action is to be bound to.
    bool isCapturing() const { return capturing != ACTION_NONE; }

    // One frame: this frame's steps, clicks and mouse moves from the controls. The window size
    // places the rows under the mouse.
    void update(int windowWidth, int windowHeight);

    // What the screen shows now, built from the menu's state and the host's values.
    MenuPage page() const;
    int selectedRow() const { return selected; }

private:
    void enter(MenuScreen screen);
    void back();
    void step(int direction);
    void change(int direction);
    void choose(int row);
    void takeCapture();
    void followMouse(int windowWidth, int windowHeight);
    // The row under the mouse, or -1.
    int rowUnderMouse(int windowWidth, int windowHeight) const;
    std::vector<MenuRow> rows() const;
    bool selectable(int row) const;
    void selectFirst();
    // Scrolls as little as it takes to show the selected row.
    void keepSelectedShown();

    MenuHost& host;
    std::vector<MenuScreen> screens; // the way in, the screen shown last
    std::vector<int> chosenOn;       // the selected row of each screen on the way in
    int selected = 0;
    int firstRow = 0; // the first row shown
    Action capturing = ACTION_NONE;
    Action rebound = ACTION_NONE; // the last rebinding, and the action it swapped with, stand out
    Action swapped = ACTION_NONE;
    int mouseX = -1;
    int mouseY = -1;
};
