// What a desktop does to the game's window while it runs: minimising and restoring it, a burst
// of resizes down to a single pixel and back, and another window taking the keyboard away.
// The game must go on drawing, take keys afterwards and keep its HUD centred.

#include "GameProcess.h"
#include "Screen.h"

// The test framework first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace {

constexpr double exitLimitSeconds = 10.0;
const char* const stateLine = "GameLogic -- Switched to state ";

void sleepFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The word MAX on the wheel, relative to the wheel's centre in HUD squares (the largest centred
// square of the window; the wheel's centre is half way up it). False when OCR never finds it,
// for the spinning arrow sweeps over it now and then.
bool maxOffset(unsigned long window, double& x, double& y, Picture& picture)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        picture = captureWindow(window);
        if (picture.empty())
            return false;
        const int side = std::min(picture.width, picture.height);
        const double centreX = picture.width / 2.0;
        const double centreY = picture.height / 2.0 - side / 4.0;
        for (const Word& word : readWords(picture))
            if (word.text == "MAX") {
                x = (word.box.x + word.box.width / 2.0 - centreX) / side;
                y = (word.box.y + word.box.height / 2.0 - centreY) / side;
                return true;
            }
        sleepFor(0.15);
    }
    return false;
}

// The arrow turns twice a second over the wheel: pictures of it taken apart differ while the
// game draws. A few tries, since it may stand at the same angle by chance.
bool framesKeepComing(unsigned long window)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        Picture first = captureWindow(window);
        sleepFor(0.3 + 0.07 * attempt);
        Picture second = captureWindow(window);
        if (first.empty() || second.empty() || first.width != second.width || first.height != second.height)
            continue;
        const int side = std::min(first.width, first.height);
        const Rect wheel{first.width / 2 - side / 8, first.height / 2 - side / 4 - side / 8, side / 4, side / 4};
        if (second.difference(first, wheel) > 1.0)
            return true;
    }
    return false;
}

// A second small client of the display that takes the keyboard focus while it is open.
class FocusThief {
public:
    FocusThief() : display(XOpenDisplay(nullptr))
    {
        if (!display)
            return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 80, 60, 0, 0, 0);
        XSelectInput(display, window, KeyPressMask | FocusChangeMask);
        XMapRaised(display, window);
        XSync(display, False);
        XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
        XSync(display, False);
    }
    ~FocusThief()
    {
        if (!display)
            return;
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    bool hasFocus() const
    {
        Window focused = 0;
        int revert = 0;
        XGetInputFocus(display, &focused, &revert);
        return focused == window;
    }

private:
    Display* display;
    Window window = 0;
};

TEST(WindowFaults, TheGameGoesOnThroughMinimiseResizesAndLostFocus)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    GameProcess game(GROV_GAME_DIR);
    ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
    ASSERT_TRUE(game.waitForOutput(std::string(stateLine) + "0")) << game.output();
    sleepFor(0.5);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(game.windowSize(width, height));
    double startX = 0.0;
    double startY = 0.0;
    Picture before;
    ASSERT_TRUE(maxOffset(game.windowId(), startX, startY, before)) << "MAX read before the faults";

    // Minimised for a while, then back.
    game.minimise();
    sleepFor(1.5);
    ASSERT_TRUE(game.running()) << game.errors();
    game.restore();
    sleepFor(0.5);

    // Dragged down to a single pixel and back, faster than frames come.
    const std::pair<int, int> burst[] = {{1, 1}, {300, 1}, {1, 300}, {2, 2}, {1, 1}, {640, 20}, {width, height}};
    for (auto [w, h] : burst)
        game.resize(w, h);
    sleepFor(1.0);
    ASSERT_TRUE(game.running()) << game.errors();

    // Another window takes the keyboard; the game draws on without it.
    {
        FocusThief thief;
        EXPECT_TRUE(thief.hasFocus());
        sleepFor(0.5);
        EXPECT_TRUE(framesKeepComing(game.windowId())) << "the game draws on without the focus";
    }
    ASSERT_TRUE(game.running()) << game.errors();

    EXPECT_TRUE(framesKeepComing(game.windowId())) << "the game draws on after the faults";
    double endX = 0.0;
    double endY = 0.0;
    Picture after;
    ASSERT_TRUE(maxOffset(game.windowId(), endX, endY, after)) << "MAX read after the faults";
    EXPECT_EQ(after.width, width);
    EXPECT_EQ(after.height, height);
    EXPECT_NEAR(endX, startX, 0.02) << "the HUD stays centred";
    EXPECT_NEAR(endY, startY, 0.02) << "the HUD stays centred";
    const std::string dir = screenshotDirectory();
    if (!dir.empty())
        after.save(dir + "/after-window-faults.png");

    // The focus came back with the keys: SPACE still throws.
    game.pressKey("space");
    EXPECT_TRUE(game.waitForOutput(std::string(stateLine) + "1", 10.0)) << game.output();
    game.pressKey("Escape");
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0) << game.errors();
}

} // namespace
