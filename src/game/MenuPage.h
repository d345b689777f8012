#pragma once
// What one menu screen shows, as plain values: a title, its rows and a hint line. The menu
// builds it, the view draws it and the layout places it; the cards' own rows (how to play,
// the records, the controls) are written here too.

#include "core/Bindings.h"
#include "core/Controls.h"
#include "game/MenuLayout.h"

#include <string>
#include <vector>

class GoalBook;
class RecordTable;

enum RowKind {
    ROW_TEXT,    // read, not chosen
    ROW_BUTTON,  // does its command
    ROW_OPTION,  // a value to change
    ROW_BINDING, // an action's keys and buttons, to rebind
    ROW_GOAL,    // a goal and how far it got; chosen only to read what it asks
};

enum MenuCommand {
    COMMAND_NONE,
    COMMAND_RESUME,
    COMMAND_OPEN, // the screen in target
    COMMAND_BACK,
    COMMAND_RESET_BINDINGS,
    COMMAND_QUIT,
};

struct MenuRow {
    RowKind kind = ROW_TEXT;
    std::string label;
    std::string value;  // an option's choice, a binding's keys, the rule beside a key
    std::string second; // a binding's buttons, a goal's description
    MenuCommand command = COMMAND_NONE;
    int target = 0;      // the screen, option or action the row is about
    bool marked = false; // stands out: the best throw, a swapped binding
};

// How a page's rows are set out.
enum PageColumns {
    COLUMNS_LABEL_VALUE, // a label on the left, its value on the right
    COLUMNS_KEY_RULE,    // a key on the left, the rule it plays beside it
    COLUMNS_CONTROLS,    // an action, its keys, its buttons
};

struct MenuPage {
    std::string title;
    std::vector<MenuRow> rows;
    int selected = -1; // no row is chosen on a card
    int first = 0;     // the first row shown, when there are more than fit
    std::string hint;
    PageColumns columns = COLUMNS_LABEL_VALUE;
    MenuLayout layout;
};

// "SPACE", "D-PAD LEFT": a key or button as a player reads it.
std::string shownKey(int key);
std::string shownButton(int button);
// The action's keys or buttons as a player reads them: "A / LEFT", or "-" for none.
std::string shownKeys(const Bindings& bindings, Action action);
std::string shownButtons(const Bindings& bindings, Action action);
// What presses the action on the device, falling back to the keyboard where the gamepad has
// no button for it.
std::string shownControl(const Bindings& bindings, Action action, InputDevice device);

// A key beside each rule it plays, then the rules themselves.
std::vector<MenuRow> howToPlayRows(const Bindings& bindings, InputDevice device);
// The ten longest throws with their dates, the best marked; without any, how to get on.
std::vector<MenuRow> recordRows(const RecordTable& table, const Bindings& bindings, InputDevice device);
// Every goal: the date it was reached, or how far it got; then the way back.
std::vector<MenuRow> goalRows(const GoalBook& book);
// Every action with its keys and buttons, then the reset and the way back.
std::vector<MenuRow> controlRows(const Bindings& bindings);
