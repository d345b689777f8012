// The bindings table and the controls that read it: key events, polled keys and the gamepad
// become actions, and nothing else does.

#include "ScriptedInput.h"
#include "core/Controls.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

class ControlsTest : public testing::Test {
protected:
    ScriptedInput input;
    Controls controls;
};

TEST_F(ControlsTest, EveryDefaultKeyAndButtonGivesItsActionAndNothingElseDoes)
{
    const Bindings defaults = Bindings::defaults();
    std::set<int> boundKeys;
    input.pad.connected = true;
    controls.beginFrame(); // the pad arrives
    for (int action = 0; action < ACTION_COUNT; ++action) {
        SCOPED_TRACE(actionName(Action(action)));
        // Quitting has Ctrl+Q, which no binding can take away.
        ASSERT_EQ(defaults.keys(Action(action)).empty(), action == ACTION_QUIT) << "every other action has a key";
        for (int key : defaults.keys(Action(action))) {
            boundKeys.insert(key);
            controls.keyPressed(key);
            controls.beginFrame();
            EXPECT_EQ(controls.presses(), std::vector<Action>{Action(action)}) << keyName(key);
            input.press(key);
            EXPECT_TRUE(controls.held(Action(action)));
            input.release(key);
        }
        for (int button : defaults.buttons(Action(action))) {
            input.pad.buttons[button] = true;
            controls.beginFrame();
            EXPECT_EQ(controls.presses(), std::vector<Action>{Action(action)}) << buttonName(button);
            EXPECT_TRUE(controls.held(Action(action)));
            input.pad.buttons[button] = false;
            controls.beginFrame();
            EXPECT_FALSE(controls.pressed(Action(action))) << "a press lasts one frame";
        }
    }

    // Keys and buttons of no action give nothing, and nothing is held.
    for (int key : {int('Q'), int(KEY_F1 + 9), int(KEY_TAB), 999})
        controls.keyPressed(key);
    input.pad.buttons[PAD_EAST] = true;
    controls.beginFrame();
    EXPECT_TRUE(controls.presses().empty());
    for (int action = 0; action < ACTION_COUNT; ++action)
        EXPECT_FALSE(controls.held(Action(action))) << actionName(Action(action));
    EXPECT_EQ(boundKeys.size(), std::size_t(ACTION_COUNT - 1)) << "one key each, no key twice";
}

// Bindings come from settings as "KEY_<ACTION> <key>[,<key>...]" and "PAD_<ACTION> <button>...":
// names in any case, swaps between two actions, and refusals with a line naming the file.
TEST_F(ControlsTest, SettingsRebindAndTwoActionsOnOneKeyAreRefusedWithALine)
{
    const std::map<std::string, std::string> file = {
        {"KEY_THROW", "enter,Q"}, {"KEY_SAMPLING", "F5"}, {"KEY_MIPMAP", "F4"}, // a swap
        {"KEY_FPS", "F3"},                                                      // WIREFRAME's
        {"KEY_GHOST", "SPAC"},    {"PAD_LOOK", "B"},      {"PAD_PAUSE", "A"},   // THROW's button
    };
    testing::internal::CaptureStdout();
    const Bindings bindings = Bindings::fromSettings(
        [&file](const std::string& name, std::string& value) {
            const auto found = file.find(name);
            if (found != file.end())
                value = found->second;
            return found != file.end();
        },
        "my-settings.txt");
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console,
              "my-settings.txt: KEY_GHOST SPAC: SPAC is not a key, so GHOST keeps G\n"
              "my-settings.txt: KEY_FPS F3: F3 is already bound to WIREFRAME, so FPS keeps F2\n"
              "my-settings.txt: PAD_PAUSE A: A is already bound to THROW, so PAUSE keeps BACK\n");
    EXPECT_EQ(bindings.keys(ACTION_THROW), (std::vector<int>{KEY_ENTER, int('Q')}));
    EXPECT_EQ(bindings.actionOfKey(KEY_SPACE), ACTION_NONE);
    EXPECT_EQ(bindings.actionOfKey(KEY_F5), ACTION_SAMPLING);
    EXPECT_EQ(bindings.actionOfKey(KEY_F4), ACTION_MIPMAP);
    EXPECT_EQ(bindings.keys(ACTION_FPS), std::vector<int>{KEY_F2});
    EXPECT_EQ(bindings.keys(ACTION_GHOST), std::vector<int>{KEY_G});
    EXPECT_EQ(bindings.buttons(ACTION_LOOK), std::vector<int>{PAD_EAST});
    EXPECT_EQ(bindings.buttons(ACTION_PAUSE), std::vector<int>{PAD_BACK});

    // One change at a time is refused the same way.
    Bindings changed = bindings;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(changed.setKeys(ACTION_FPS, {KEY_F3}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Bindings: F3 is already bound to WIREFRAME, so FPS keeps its own\n");
    EXPECT_EQ(changed.keys(ACTION_FPS), std::vector<int>{KEY_F2});

    // Ctrl+Q quits whatever Q is bound to.
    controls.setBindings(bindings);
    controls.keyPressed(KEY_SPACE);
    controls.keyPressed('Q', true);
    controls.keyPressed('Q');
    controls.beginFrame();
    EXPECT_EQ(controls.presses(), (std::vector<Action>{ACTION_QUIT, ACTION_THROW}));
}

// The menu rebinds one key or button at a time: it becomes the action's only one, and an action
// that had it takes the one given up, so a clash swaps and nothing is lost.
TEST_F(ControlsTest, RebindingSwapsAClashAndSavesAnEmptyListAsNone)
{
    Bindings bindings = Bindings::defaults();
    EXPECT_EQ(bindings.bindKey(ACTION_FPS, KEY_F3), ACTION_WIREFRAME);
    EXPECT_EQ(bindings.keys(ACTION_FPS), std::vector<int>{KEY_F3});
    EXPECT_EQ(bindings.keys(ACTION_WIREFRAME), std::vector<int>{KEY_F2});
    EXPECT_EQ(bindings.bindButton(ACTION_PAUSE, PAD_SOUTH), ACTION_THROW);
    EXPECT_EQ(bindings.buttons(ACTION_THROW), std::vector<int>{PAD_BACK});
    EXPECT_EQ(bindings.bindKey(ACTION_THROW, KEY_ENTER), ACTION_NONE);
    EXPECT_EQ(bindings.actionOfKey(KEY_SPACE), ACTION_NONE) << "the old key is free";
    EXPECT_EQ(bindings.bindKey(ACTION_THROW, KEY_ENTER), ACTION_NONE) << "its own key again changes nothing";

    // Quitting had no key to give: the ghost is left with none, which the file keeps as NONE.
    EXPECT_EQ(bindings.bindKey(ACTION_QUIT, KEY_G), ACTION_GHOST);
    EXPECT_TRUE(bindings.keys(ACTION_GHOST).empty());
    EXPECT_EQ(keyListText(bindings.keys(ACTION_GHOST)), "NONE");
    EXPECT_EQ(keyListText(bindings.keys(ACTION_THROW)), "ENTER");
    const Bindings read = Bindings::fromSettings(
        [](const std::string& name, std::string& value) {
            value = name == "KEY_GHOST" ? "none" : "G";
            return name == "KEY_GHOST" || name == "KEY_QUIT";
        },
        "settings.txt");
    EXPECT_TRUE(read.keys(ACTION_GHOST).empty());
    EXPECT_EQ(read.keys(ACTION_QUIT), std::vector<int>{KEY_G});
}

// Menus take fixed steps whatever the bindings say, from keys, the d-pad, the stick pushed past
// halfway (once per push) and whatever opens the menu; the device used last is remembered.
TEST_F(ControlsTest, MenuStepsComeFromFixedKeysButtonsAndTheStick)
{
    Bindings bindings = Bindings::defaults();
    bindings.bindKey(ACTION_MENU, KEY_F1 + 9);
    controls.setBindings(bindings);
    for (int key : {int(KEY_UP), int(KEY_S), int(KEY_ENTER), int(KEY_ESCAPE), int(KEY_F1 + 9), int(KEY_F2)})
        controls.keyPressed(key);
    controls.beginFrame();
    EXPECT_EQ(controls.menuMoves(), (std::vector<MenuMove>{MOVE_UP, MOVE_DOWN, MOVE_CHOOSE, MOVE_BACK, MOVE_BACK}));
    EXPECT_EQ(controls.rawPresses().size(), 6u);
    EXPECT_EQ(controls.lastDevice(), DEVICE_KEYBOARD);

    input.pad.connected = true;
    controls.beginFrame();
    input.pad.buttons[PAD_EAST] = true;
    input.pad.axes[PAD_LEFT_Y] = 0.7f;
    controls.beginFrame();
    EXPECT_EQ(controls.menuMoves(), (std::vector<MenuMove>{MOVE_BACK, MOVE_DOWN}));
    EXPECT_EQ(controls.lastDevice(), DEVICE_GAMEPAD);
    controls.beginFrame();
    EXPECT_TRUE(controls.menuMoves().empty()) << "a stick held down steps once";
    input.pad.axes[PAD_LEFT_Y] = 0.0f;
    controls.beginFrame();
    input.pad.axes[PAD_LEFT_X] = -0.9f;
    controls.beginFrame();
    EXPECT_EQ(controls.menuMoves(), std::vector<MenuMove>{MOVE_LEFT});
    controls.mouseClicked(0);
    controls.beginFrame();
    EXPECT_EQ(controls.clicks(), std::vector<int>{0});
    EXPECT_EQ(controls.lastDevice(), DEVICE_KEYBOARD);
}

TEST_F(ControlsTest, AHeldSteeringKeyOverrulesTheDpadWhichOverrulesTheStick)
{
    input.pad.connected = true;
    input.pad.axes[PAD_LEFT_X] = 0.6f;
    EXPECT_FLOAT_EQ(controls.steering(), 0.5f) << "past the dead zone, rescaled";
    input.pad.buttons[PAD_DPAD_LEFT] = true;
    EXPECT_FLOAT_EQ(controls.steering(), -1.0f);
    input.press(KEY_D);
    EXPECT_FLOAT_EQ(controls.steering(), 1.0f);
    input.press(KEY_A);
    EXPECT_FLOAT_EQ(controls.steering(), 0.0f) << "both keys cancel";
}

TEST_F(ControlsTest, AButtonHeldAsThePadArrivesIsNoPress)
{
    input.pad.connected = true;
    input.pad.name = "Pad";
    input.pad.buttons[PAD_SOUTH] = true;
    const GamepadChanges arrival = controls.beginFrame();
    EXPECT_TRUE(arrival.connected);
    EXPECT_TRUE(controls.presses().empty());
    EXPECT_TRUE(controls.held(ACTION_THROW));
}

} // namespace
