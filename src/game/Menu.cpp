#include "game/Menu.h"

#include "core/Input.h"
#include "core/Trace.h"
#include "game/MenuLayout.h"

#include <algorithm>

namespace {

constexpr int LEFT_CLICK = 0;
constexpr int RIGHT_CLICK = 1;

std::vector<OptionChoice> percentChoices()
{
    static const char* const steps[] = {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"};
    std::vector<OptionChoice> choices;
    for (const char* step : steps)
        choices.push_back({step, step});
    return choices;
}

bool isSelectable(const std::vector<MenuRow>& rows, int row)
{
    return row >= 0 && row < int(rows.size()) && rows[std::size_t(row)].kind != ROW_TEXT;
}

const std::vector<OptionChoice> ON_OFF = {{"OFF", "0"}, {"ON", "1"}};

MenuRow optionRow(Option option)
{
    MenuRow row;
    row.kind = ROW_OPTION;
    row.label = optionInfo(option).label;
    row.target = option;
    return row;
}

MenuRow button(const std::string& label, MenuCommand command, int target = 0)
{
    MenuRow row;
    row.kind = ROW_BUTTON;
    row.label = label;
    row.command = command;
    row.target = target;
    return row;
}

const char* titleOf(MenuScreen screen)
{
    switch (screen) {
    case SCREEN_OPTIONS:
        return "Options";
    case SCREEN_SOUND:
        return "Sound";
    case SCREEN_PICTURE:
        return "Picture";
    case SCREEN_CONTROLS:
        return "Controls";
    case SCREEN_HOW_TO_PLAY:
        return "How to play";
    case SCREEN_RECORDS:
        return "Records";
    case SCREEN_GOALS:
        return "Goals";
    default:
        return "Grov Rage";
    }
}

} // namespace

const OptionInfo& optionInfo(Option option)
{
    static const OptionInfo options[OPTION_COUNT] = {
        {"Music volume", "MUSIC_VOLUME", percentChoices(), false},
        {"Effects volume", "EFFECTS_VOLUME", percentChoices(), false},
        {"Sound", "SOUND", ON_OFF, true},
        {"Quality", "QUALITY", {{"AUTO", "AUTO"}, {"FULL", "FULL"}}, true},
        {"Full screen", "FULLSCREEN", ON_OFF, true},
        {"VSync", "VSYNC", ON_OFF, true},
        {"Frame rate shown", "SHOW_FPS", ON_OFF, true},
        {"Ghost", "GHOST", {{"HIDDEN", "0"}, {"SHOWN", "1"}}, true},
    };
    return options[option];
}

MenuLayout layoutOf(MenuScreen screen, int rows)
{
    if (screen == SCREEN_CONTROLS || screen == SCREEN_GOALS)
        return MenuLayout::list();
    return MenuLayout::menu(rows, screen == SCREEN_MAIN || screen == SCREEN_OPTIONS);
}

const char* screenName(MenuScreen screen)
{
    static const char* const names[] = {"main",     "options",     "sound",   "picture",
                                        "controls", "how-to-play", "records", "goals"};
    return names[screen];
}

void Menu::open(MenuScreen screen)
{
    screens.clear();
    chosenOn.clear();
    capturing = ACTION_NONE;
    // Hovering picks a row only once the mouse moves from where it was when the menu opened.
    getMousePos(mouseX, mouseY);
    enter(screen);
}

void Menu::close()
{
    if (!isOpen())
        return;
    screens.clear();
    chosenOn.clear();
    capturing = ACTION_NONE;
    traceEvent("menu", "closed");
}

void Menu::enter(MenuScreen screen)
{
    if (isOpen())
        chosenOn.push_back(selected);
    screens.push_back(screen);
    selectFirst();
    firstRow = 0;
    keepSelectedShown();
    traceEvent("menu", screenName(screen));
}

void Menu::back()
{
    if (screens.size() <= 1) {
        close();
        return;
    }
    screens.pop_back();
    selected = chosenOn.back();
    chosenOn.pop_back();
    firstRow = 0;
    keepSelectedShown();
    traceEvent("menu", screenName(screen()));
}

void Menu::update(int windowWidth, int windowHeight)
{
    if (!isOpen())
        return;
    if (isCapturing()) {
        takeCapture();
        return;
    }
    followMouse(windowWidth, windowHeight);
    for (int click : controls().clicks()) {
        if (!isOpen())
            return;
        if (click == RIGHT_CLICK) {
            back();
        } else if (click == LEFT_CLICK) {
            const int row = rowUnderMouse(windowWidth, windowHeight);
            if (row >= 0 && selectable(row)) {
                selected = row;
                choose(row);
            }
        }
    }
    for (MenuMove move : controls().menuMoves()) {
        if (!isOpen() || isCapturing())
            return;
        switch (move) {
        case MOVE_UP:
            step(-1);
            break;
        case MOVE_DOWN:
            step(1);
            break;
        case MOVE_LEFT:
            change(-1);
            break;
        case MOVE_RIGHT:
            change(1);
            break;
        case MOVE_CHOOSE:
            choose(selected);
            break;
        case MOVE_BACK:
            back();
            break;
        }
    }
    keepSelectedShown();
}

void Menu::keepSelectedShown()
{
    if (!isOpen())
        return;
    const int count = int(rows().size());
    firstRow = layoutOf(screen(), count).firstShown(selected, count, firstRow);
}

void Menu::takeCapture()
{
    // A click, Escape or Start cancels: those must stay the ways out of the menu. Ctrl is
    // passed over, being the first half of Ctrl+Q, which quits from anywhere.
    if (!controls().clicks().empty()) {
        capturing = ACTION_NONE;
        return;
    }
    for (const RawPress& press : controls().rawPresses()) {
        if (press.isKey && (press.code == KEY_LEFT_CONTROL || press.code == KEY_RIGHT_CONTROL))
            continue;
        const bool cancel = press.isKey ? press.code == KEY_ESCAPE : press.code == PAD_START;
        if (!cancel) {
            swapped = host.bind(capturing, press);
            rebound = capturing;
        }
        capturing = ACTION_NONE;
        return;
    }
}

void Menu::followMouse(int windowWidth, int windowHeight)
{
    int x = 0;
    int y = 0;
    getMousePos(x, y);
    if (x == mouseX && y == mouseY)
        return;
    mouseX = x;
    mouseY = y;
    const int row = rowUnderMouse(windowWidth, windowHeight);
    if (row >= 0 && selectable(row))
        selected = row;
}

int Menu::rowUnderMouse(int windowWidth, int windowHeight) const
{
    const int count = int(rows().size());
    const int shown = layoutOf(screen(), count).rowAt(hudPointOfPixel(mouseX, mouseY, windowWidth, windowHeight));
    return shown >= 0 && firstRow + shown < count ? firstRow + shown : -1;
}

void Menu::step(int direction)
{
    const std::vector<MenuRow> all = rows();
    const int count = int(all.size());
    for (int tried = 0, row = selected; tried < count; ++tried) {
        row = (row + direction + count) % count;
        if (isSelectable(all, row)) {
            selected = row;
            return;
        }
    }
}

void Menu::change(int direction)
{
    const std::vector<MenuRow> all = rows();
    if (selected < 0 || selected >= int(all.size()) || all[selected].kind != ROW_OPTION)
        return;
    const Option option = Option(all[selected].target);
    const OptionInfo& info = optionInfo(option);
    const int count = int(info.choices.size());
    int choice = host.option(option) + direction;
    if (info.wraps)
        choice = (choice + count) % count;
    else
        choice = std::max(0, std::min(choice, count - 1));
    if (choice != host.option(option))
        host.setOption(option, choice);
}

void Menu::choose(int row)
{
    const std::vector<MenuRow> all = rows();
    if (row < 0 || row >= int(all.size()))
        return;
    const MenuRow& chosen = all[row];
    switch (chosen.kind) {
    case ROW_OPTION: {
        // Choosing a volume raises it a step and wraps to silence past the top, so a mouse
        // alone can set any value.
        const Option option = Option(chosen.target);
        const int count = int(optionInfo(option).choices.size());
        host.setOption(option, (host.option(option) + 1) % count);
        break;
    }
    case ROW_BINDING:
        capturing = Action(chosen.target);
        rebound = ACTION_NONE;
        swapped = ACTION_NONE;
        break;
    case ROW_BUTTON:
        switch (chosen.command) {
        case COMMAND_RESUME:
            close();
            break;
        case COMMAND_OPEN:
            enter(MenuScreen(chosen.target));
            break;
        case COMMAND_BACK:
            back();
            break;
        case COMMAND_RESET_BINDINGS:
            rebound = ACTION_NONE;
            swapped = ACTION_NONE;
            host.resetBindings();
            break;
        case COMMAND_QUIT:
            host.quit();
            break;
        case COMMAND_NONE:
            break;
        }
        break;
    case ROW_TEXT:
    case ROW_GOAL:
        break;
    }
}

bool Menu::selectable(int row) const
{
    return isSelectable(rows(), row);
}

void Menu::selectFirst()
{
    const std::vector<MenuRow> all = rows();
    selected = 0;
    while (selected < int(all.size()) && !isSelectable(all, selected))
        ++selected;
    if (selected == int(all.size()))
        selected = -1;
}

std::vector<MenuRow> Menu::rows() const
{
    const Bindings& bindings = controls().bindings();
    switch (screen()) {
    case SCREEN_MAIN:
        return {button("Resume", COMMAND_RESUME),
                button("Options", COMMAND_OPEN, SCREEN_OPTIONS),
                button("How to play", COMMAND_OPEN, SCREEN_HOW_TO_PLAY),
                button("Goals", COMMAND_OPEN, SCREEN_GOALS),
                button("Records", COMMAND_OPEN, SCREEN_RECORDS),
                button("Quit", COMMAND_QUIT)};
    case SCREEN_OPTIONS:
        return {button("Sound", COMMAND_OPEN, SCREEN_SOUND), button("Picture", COMMAND_OPEN, SCREEN_PICTURE),
                button("Controls", COMMAND_OPEN, SCREEN_CONTROLS), button("Back", COMMAND_BACK)};
    case SCREEN_SOUND:
        return {optionRow(OPTION_MUSIC_VOLUME), optionRow(OPTION_EFFECTS_VOLUME), optionRow(OPTION_SOUND),
                button("Back", COMMAND_BACK)};
    case SCREEN_PICTURE:
        return {optionRow(OPTION_QUALITY), optionRow(OPTION_FULLSCREEN), optionRow(OPTION_VSYNC),
                optionRow(OPTION_FPS),     optionRow(OPTION_GHOST),      button("Back", COMMAND_BACK)};
    case SCREEN_CONTROLS:
        return controlRows(bindings);
    case SCREEN_HOW_TO_PLAY: {
        std::vector<MenuRow> all = howToPlayRows(bindings, controls().lastDevice());
        all.push_back(button("Back", COMMAND_BACK));
        return all;
    }
    case SCREEN_RECORDS:
        return recordRows(host.recordTable(), bindings, controls().lastDevice());
    case SCREEN_GOALS:
        return goalRows(host.goalBook());
    }
    return {};
}

MenuPage Menu::page() const
{
    MenuPage shown;
    shown.title = titleOf(screen());
    shown.rows = rows();
    for (MenuRow& row : shown.rows)
        if (row.kind == ROW_OPTION) {
            const Option option = Option(row.target);
            row.value = optionInfo(option).choices[std::size_t(host.option(option))].shown;
        } else if (row.kind == ROW_BINDING) {
            row.marked = row.target == rebound || row.target == swapped;
        }
    if (isCapturing() && selected >= 0) {
        shown.rows[std::size_t(selected)].value = "PRESS A KEY";
        shown.rows[std::size_t(selected)].second = "OR A BUTTON";
    }
    shown.selected = selected;
    if (screen() == SCREEN_CONTROLS)
        shown.columns = COLUMNS_CONTROLS;
    else if (screen() == SCREEN_HOW_TO_PLAY)
        shown.columns = COLUMNS_KEY_RULE;
    shown.layout = layoutOf(screen(), int(shown.rows.size()));
    shown.first = firstRow;
    const bool pad = controls().lastDevice() == DEVICE_GAMEPAD;
    if (isCapturing())
        shown.hint = std::string("Press the new key or button  -  ") + (pad ? "START" : "ESCAPE") + " cancels";
    else if (screen() == SCREEN_GOALS && selected >= 0 && shown.rows[std::size_t(selected)].kind == ROW_GOAL)
        shown.hint = shown.rows[std::size_t(selected)].second;
    else if (screen() == SCREEN_CONTROLS)
        shown.hint = pad ? "A: rebind   B: back" : "ENTER: rebind   ESCAPE: back";
    else
        shown.hint = pad ? "D-PAD: move   A: choose   B: back" : "ARROWS: move   ENTER: choose   ESCAPE: back";
    return shown;
}
