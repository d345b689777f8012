// The menu driven through the input seam as a player drives it: with the keyboard alone, the
// gamepad alone and the mouse alone, every screen and every item is reached and does its job,
// Quit included. Rebinding takes a key or button, swaps a clash and resets.

#include "ScriptedInput.h"
#include "core/Controls.h"
#include "game/Goals.h"
#include "game/Menu.h"
#include "game/RecordTable.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <set>
#include <utility>

namespace {

constexpr int WIDTH = 1280;
constexpr int HEIGHT = 800;

// The game around the menu, as the application is, with the real bindings.
class FakeHost : public MenuHost {
public:
    FakeHost() { choices.fill(1); }
    int option(Option option) const override { return choices[option]; }
    void setOption(Option option, int choice) override
    {
        choices[option] = choice;
        ++changes;
    }
    Action bind(Action action, const RawPress& press) override
    {
        Bindings bindings = controls().bindings();
        const Action swapped =
            press.isKey ? bindings.bindKey(action, press.code) : bindings.bindButton(action, press.code);
        controls().setBindings(bindings);
        boundActions.push_back(action);
        return swapped;
    }
    void resetBindings() override
    {
        controls().setBindings(Bindings::defaults());
        ++resets;
    }
    const RecordTable& recordTable() const override { return table; }
    const GoalBook& goalBook() const override { return goals; }
    void quit() override { ++quits; }

    std::array<int, OPTION_COUNT> choices{};
    int changes = 0;
    int resets = 0;
    int quits = 0;
    std::vector<Action> boundActions;
    RecordTable table;
    GoalBook goals;
};

// One way of playing the menu: how a row is picked, chosen, and how to go back.
struct Device {
    const char* name;
    std::function<void(int row)> pick;
    std::function<void()> choose;
    std::function<void()> back;
    // Ends a rebinding: a new key or button, or a way to cancel where the device has none.
    std::function<void()> endCapture;
};

class MenuTest : public testing::Test {
protected:
    void SetUp() override
    {
        controls().reset();
        controls().setBindings(Bindings::defaults());
        input.windowWidth = WIDTH;
        input.windowHeight = HEIGHT;
    }
    // The controls are the game's one set: the next test finds the game's own bindings.
    void TearDown() override
    {
        controls().reset();
        controls().setBindings(Bindings::defaults());
    }

    void frame()
    {
        controls().beginFrame();
        menu.update(WIDTH, HEIGHT);
    }
    void tapKey(int key)
    {
        controls().keyPressed(key);
        frame();
    }
    void tapButton(int button)
    {
        input.pad.buttons[button] = true;
        frame();
        input.pad.buttons[button] = false;
        frame();
    }
    void click(int button)
    {
        controls().mouseClicked(button);
        frame();
    }
    // The mouse over the middle of a row of the page shown, coming from outside the window.
    void hover(int row)
    {
        input.mouseX = -1;
        input.mouseY = -1;
        frame();
        const MenuPage page = menu.page();
        const float side = float(std::min(WIDTH, HEIGHT));
        const float y = page.layout.rowY(row - page.first);
        input.mouseX = int(float(WIDTH - side) / 2.0f + side / 2.0f);
        input.mouseY = int(std::lround(float(HEIGHT) - (float(HEIGHT - side) / 2.0f + (y + 1.0f) / 2.0f * side)));
        frame();
    }
    void stepTo(int row, const std::function<void()>& down)
    {
        for (int tries = 0; menu.selectedRow() != row && tries < 64; ++tries)
            down();
    }

    Device keyboard()
    {
        return {"keyboard", [this](int row) { stepTo(row, [this] { tapKey(KEY_DOWN); }); },
                [this] { tapKey(KEY_ENTER); }, [this] { tapKey(KEY_ESCAPE); }, [this] { tapKey(KEY_F1 + 9); }};
    }
    Device gamepad()
    {
        input.pad.connected = true;
        frame(); // the pad arrives
        return {"gamepad", [this](int row) { stepTo(row, [this] { tapButton(PAD_DPAD_DOWN); }); },
                [this] { tapButton(PAD_SOUTH); }, [this] { tapButton(PAD_EAST); },
                [this] { tapButton(PAD_RIGHT_THUMB); }};
    }
    Device mouse()
    {
        return {"mouse", [this](int row) { hover(row); }, [this] { click(0); }, [this] { click(1); },
                [this] { click(0); }};
    }

    // Opens every screen from the main one and does every item on it, with the device alone.
    // Each item reached is counted by screen and row.
    void visit(const Device& device, std::set<std::pair<int, int>>& reached)
    {
        const MenuScreen here = menu.screen();
        const std::vector<MenuRow> rows = menu.page().rows;
        for (int row = 0; row < int(rows.size()); ++row) {
            if (rows[std::size_t(row)].kind == ROW_TEXT)
                continue;
            SCOPED_TRACE(std::string(device.name) + " on " + screenName(here) + ", row " + std::to_string(row));
            device.pick(row);
            ASSERT_EQ(menu.selectedRow(), row);
            reached.insert({here, row});
            const MenuRow& item = rows[std::size_t(row)];
            const int changesBefore = host.changes;
            const int resetsBefore = host.resets;
            const int quitsBefore = host.quits;
            const std::size_t boundBefore = host.boundActions.size();
            device.choose();
            switch (item.kind) {
            case ROW_OPTION:
                EXPECT_EQ(host.changes, changesBefore + 1);
                break;
            case ROW_BINDING:
                ASSERT_TRUE(menu.isCapturing());
                device.endCapture();
                EXPECT_FALSE(menu.isCapturing());
                EXPECT_EQ(host.boundActions.size(), boundBefore + (device.name == std::string("mouse") ? 0 : 1));
                break;
            case ROW_BUTTON:
                switch (item.command) {
                case COMMAND_OPEN:
                    ASSERT_EQ(menu.screen(), MenuScreen(item.target));
                    visit(device, reached);
                    ASSERT_EQ(menu.screen(), here) << "back where it was";
                    ASSERT_EQ(menu.selectedRow(), row) << "on the row it left from";
                    break;
                case COMMAND_BACK:
                    // The last item: the screen is done.
                    EXPECT_NE(menu.screen(), here);
                    return;
                case COMMAND_RESUME:
                    EXPECT_FALSE(menu.isOpen());
                    menu.open();
                    break;
                case COMMAND_RESET_BINDINGS:
                    EXPECT_EQ(host.resets, resetsBefore + 1);
                    break;
                case COMMAND_QUIT:
                    EXPECT_EQ(host.quits, quitsBefore + 1);
                    break;
                case COMMAND_NONE:
                    ADD_FAILURE() << "a button that does nothing";
                }
                break;
            case ROW_GOAL:
                EXPECT_EQ(menu.page().hint, item.second) << "the hint says what the goal asks";
                break;
            case ROW_TEXT:
                break;
            }
        }
        // The main screen has no Back row: the device's own way back closes the menu.
        device.back();
    }

    void reachEverything(const Device& device)
    {
        std::set<std::pair<int, int>> reached;
        menu.open();
        visit(device, reached);
        EXPECT_FALSE(menu.isOpen()) << "back from the main screen closes the menu";
        // Main 6, Options 4, Sound 4, Picture 6, Controls every action with reset and back,
        // every goal and back, How to play and Records their Back.
        EXPECT_EQ(reached.size(), std::size_t(6 + 4 + 4 + 6 + ACTION_COUNT + 2 + goalList().size() + 1 + 1 + 1))
            << device.name;
    }

    ScriptedInput input;
    FakeHost host;
    Menu menu{host};
};

TEST_F(MenuTest, TheKeyboardAloneReachesEveryScreenAndItem)
{
    reachEverything(keyboard());
}

TEST_F(MenuTest, TheGamepadAloneReachesEveryScreenAndItem)
{
    reachEverything(gamepad());
}

TEST_F(MenuTest, TheMouseAloneReachesEveryScreenAndItem)
{
    reachEverything(mouse());
}

TEST_F(MenuTest, LeftAndRightChangeAValueWithinItsRangeAndSwitchesGoRound)
{
    menu.open(SCREEN_SOUND);
    host.choices[OPTION_MUSIC_VOLUME] = 10;
    tapKey(KEY_RIGHT);
    EXPECT_EQ(host.changes, 0) << "100 is the top";
    tapKey(KEY_LEFT);
    tapKey(KEY_A);
    EXPECT_EQ(host.choices[OPTION_MUSIC_VOLUME], 8);
    EXPECT_EQ(menu.page().rows[0].value, "80");
    tapKey(KEY_DOWN);
    tapKey(KEY_DOWN);
    host.choices[OPTION_SOUND] = 1;
    tapKey(KEY_RIGHT);
    EXPECT_EQ(menu.page().rows[2].value, "OFF");
}

// A rebinding through the controls screen: the new key does the action and the old one does
// nothing; a key another action had swaps the two and both rows show it; Escape cancels.
TEST_F(MenuTest, RebindingTakesTheNextKeySwapsAClashAndEscapeCancels)
{
    menu.open(SCREEN_CONTROLS);
    tapKey(KEY_ENTER); // THROW, the first row
    ASSERT_TRUE(menu.isCapturing());
    EXPECT_EQ(menu.page().rows[0].value, "PRESS A KEY");
    tapKey(KEY_LEFT_CONTROL);
    EXPECT_TRUE(menu.isCapturing()) << "Ctrl is kept for Ctrl+Q";
    tapKey(KEY_F3); // the wireframe's key
    EXPECT_FALSE(menu.isCapturing());
    EXPECT_EQ(controls().bindings().keys(ACTION_THROW), std::vector<int>{KEY_F3});
    EXPECT_EQ(controls().bindings().keys(ACTION_WIREFRAME), std::vector<int>{KEY_SPACE});
    const MenuPage page = menu.page();
    EXPECT_TRUE(page.rows[ACTION_THROW].marked && page.rows[ACTION_WIREFRAME].marked) << "both rows stand out";
    EXPECT_EQ(page.rows[ACTION_WIREFRAME].value, "SPACE");

    menu.close();
    controls().keyPressed(KEY_F3);
    controls().keyPressed(KEY_SPACE);
    controls().beginFrame();
    EXPECT_EQ(controls().presses(), (std::vector<Action>{ACTION_THROW, ACTION_WIREFRAME}));

    // Escape and Start cancel, and are never bound.
    menu.open(SCREEN_CONTROLS);
    tapKey(KEY_ENTER);
    tapKey(KEY_ESCAPE);
    EXPECT_FALSE(menu.isCapturing());
    EXPECT_TRUE(menu.isOpen()) << "Escape only cancelled";
    input.pad.connected = true;
    tapButton(PAD_SOUTH);
    tapButton(PAD_START);
    EXPECT_FALSE(menu.isCapturing());
    EXPECT_EQ(host.boundActions.size(), 1u);
    EXPECT_EQ(controls().bindings().keys(ACTION_THROW), std::vector<int>{KEY_F3});
}

} // namespace
