#include "game/MenuPage.h"

#include "game/Goals.h"
#include "game/RecordTable.h"

#include <cstdio>

namespace {

std::string spaced(std::string name)
{
    for (char& c : name)
        if (c == '_')
            c = ' ';
    return name;
}

MenuRow textRow(const std::string& label, const std::string& value = "")
{
    MenuRow row;
    row.label = label;
    row.value = value;
    return row;
}

MenuRow buttonRow(const std::string& label, MenuCommand command)
{
    MenuRow row;
    row.kind = ROW_BUTTON;
    row.label = label;
    row.command = command;
    return row;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : " / ") + name;
    return text.empty() ? "-" : text;
}

} // namespace

std::string shownKey(int key)
{
    return spaced(keyName(key));
}

std::string shownButton(int button)
{
    const std::string name = buttonName(button);
    return name.compare(0, 5, "DPAD_") == 0 ? "D-PAD " + name.substr(5) : spaced(name);
}

std::string shownKeys(const Bindings& bindings, Action action)
{
    std::vector<std::string> names;
    for (int key : bindings.keys(action))
        names.push_back(shownKey(key));
    return joined(names);
}

std::string shownButtons(const Bindings& bindings, Action action)
{
    std::vector<std::string> names;
    for (int button : bindings.buttons(action))
        names.push_back(shownButton(button));
    return joined(names);
}

std::string shownControl(const Bindings& bindings, Action action, InputDevice device)
{
    if (device == DEVICE_GAMEPAD && !bindings.buttons(action).empty())
        return shownButton(bindings.buttons(action).front());
    if (bindings.keys(action).empty())
        return action == ACTION_QUIT ? "CTRL+Q" : "-";
    return shownKey(bindings.keys(action).front());
}

std::vector<MenuRow> howToPlayRows(const Bindings& bindings, InputDevice device)
{
    const auto control = [&](Action action) { return shownControl(bindings, action, device); };
    const bool pad = device == DEVICE_GAMEPAD;
    std::string steer = control(ACTION_STEER_LEFT) + " / " + control(ACTION_STEER_RIGHT);
    // The d-pad's two sides, or the stick where nothing is bound, take one short name.
    if (pad && (steer == "D-PAD LEFT / D-PAD RIGHT" || bindings.buttons(ACTION_STEER_LEFT).empty()))
        steer = steer.compare(0, 5, "D-PAD") == 0 ? "D-PAD" : "LEFT STICK";
    return {
        textRow(control(ACTION_THROW), "Stop the arrow: further left throws harder"),
        textRow(steer, "Steer Grov in flight"),
        textRow(control(ACTION_THROW), "Dive in flight: costs a quarter of the rage"),
        textRow(control(ACTION_LOOK), "Hold to look ahead"),
        textRow("", "Land on a tank: faster, and more rage"),
        textRow("", "Each bounce costs a third of the speed"),
        textRow("", "The throw ends when Grov stops"),
        textRow(control(ACTION_MENU), "Menu: options, controls, records"),
        textRow(control(ACTION_HELP), "This card"),
    };
}

std::vector<MenuRow> recordRows(const RecordTable& table, const Bindings& bindings, InputDevice device)
{
    std::vector<MenuRow> rows;
    if (table.empty()) {
        rows.push_back(textRow("No throws yet."));
        rows.push_back(
            textRow("Stop the arrow with " + shownControl(bindings, ACTION_THROW, device) + " to set the first one."));
    }
    int place = 0;
    for (const ThrowRecord& record : table.entries()) {
        char line[64];
        std::snprintf(line, sizeof line, "%2d.  %9.2f m", ++place, RecordTable::rounded(record.metres));
        // The date and the minute; the seconds only tell throws of the same minute apart.
        MenuRow row = textRow(std::string(line) + (place == 1 ? "  BEST" : ""), record.when.substr(0, 16));
        row.marked = place == 1;
        rows.push_back(row);
    }
    rows.push_back(buttonRow("Back", COMMAND_BACK));
    return rows;
}

std::vector<MenuRow> goalRows(const GoalBook& book)
{
    std::vector<MenuRow> rows;
    for (const Goal& goal : goalList()) {
        MenuRow row;
        row.kind = ROW_GOAL;
        row.label = goal.name;
        row.second = goal.description;
        row.marked = book.isReached(goal.id);
        // The day it was reached; the time only tells goals of one day apart.
        row.value = row.marked ? book.reachedWhen(goal.id).substr(0, 10) : progressText(goal, book.progress(goal));
        rows.push_back(row);
    }
    rows.push_back(buttonRow("Back", COMMAND_BACK));
    return rows;
}

std::vector<MenuRow> controlRows(const Bindings& bindings)
{
    std::vector<MenuRow> rows;
    for (int action = 0; action < ACTION_COUNT; ++action) {
        MenuRow row;
        row.kind = ROW_BINDING;
        row.label = actionDescription(Action(action));
        row.value = shownKeys(bindings, Action(action));
        row.second = shownButtons(bindings, Action(action));
        row.target = action;
        rows.push_back(row);
    }
    rows.push_back(buttonRow("Reset to defaults", COMMAND_RESET_BINDINGS));
    rows.push_back(buttonRow("Back", COMMAND_BACK));
    return rows;
}
