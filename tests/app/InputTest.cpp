#include "core/Input.h"
#include "ScriptedInput.h"

#include <gtest/gtest.h>

namespace {

TEST(Input, HelpersGoThroughTheInstalledSource)
{
    {
        ScriptedInput input;
        input.press(KEY_W);
        EXPECT_TRUE(isKeyDown(KEY_W));
        EXPECT_FALSE(isKeyDown(KEY_S));

        input.windowWidth = 1025;
        input.windowHeight = 769;
        centerMouse();
        int x = 0;
        int y = 0;
        getMousePos(x, y);
        EXPECT_EQ(x, 512);
        EXPECT_EQ(y, 384);

        showCursor(false);
        EXPECT_FALSE(input.cursorVisible);
    }
    // Without a source nothing is pressed and nothing breaks.
    EXPECT_FALSE(isKeyDown(KEY_W));
    centerMouse();
    int width = -1;
    int height = -1;
    getWindowSize(width, height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

} // namespace
