#include "core/Gamepad.h"

#include <gtest/gtest.h>

namespace {

GamepadState pad(const char* name = "Pad")
{
    GamepadState state;
    state.connected = true;
    state.name = name;
    return state;
}

TEST(Gamepad, SticksCountOnlyPastTheDeadZone)
{
    GamepadState state = pad();
    for (const auto& [axis, value] : {std::pair{0.2f, 0.0f}, std::pair{-0.19f, 0.0f}, std::pair{0.6f, 0.5f},
                                      std::pair{-1.0f, -1.0f}, std::pair{1.7f, 1.0f}}) {
        state.axes[PAD_LEFT_X] = axis;
        EXPECT_FLOAT_EQ(stickValue(state, PAD_LEFT_X), value) << axis;
    }
    state.axes[PAD_LEFT_X] = 0.6f;
    state.buttons[PAD_DPAD_LEFT] = true;
    state.connected = false; // what a pad left behind when it went
    EXPECT_FLOAT_EQ(stickValue(state, PAD_LEFT_X), 0.0f);
    EXPECT_FALSE(state.held(PAD_DPAD_LEFT));
}

TEST(Gamepad, WatcherReportsArrivalsDeparturesAndFreshPressesOnly)
{
    GamepadWatcher watcher;
    EXPECT_FALSE(watcher.update(GamepadState()).connected);

    // South already held as the pad arrives: an arrival, not a throw.
    GamepadState state = pad("Xbox Controller");
    state.buttons[PAD_SOUTH] = true;
    GamepadChanges changes = watcher.update(state);
    EXPECT_TRUE(changes.connected);
    EXPECT_EQ(changes.name, "Xbox Controller");
    EXPECT_FALSE(changes.pressed[PAD_SOUTH]);
    EXPECT_FALSE(watcher.update(state).pressed[PAD_SOUTH]);

    state.buttons[PAD_SOUTH] = false;
    watcher.update(state);
    state.buttons[PAD_SOUTH] = true;
    state.buttons[PAD_START] = true;
    changes = watcher.update(state);
    EXPECT_TRUE(changes.pressed[PAD_SOUTH]);
    EXPECT_TRUE(changes.pressed[PAD_START]);
    changes = watcher.update(state);
    EXPECT_FALSE(changes.pressed[PAD_SOUTH] || changes.pressed[PAD_START]) << "held, not pressed again";

    changes = watcher.update(GamepadState());
    EXPECT_TRUE(changes.disconnected);
    EXPECT_EQ(changes.name, "Xbox Controller");
    EXPECT_FALSE(changes.pressed[PAD_SOUTH]);
}

} // namespace
