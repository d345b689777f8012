// What a desktop does to the game's window while it runs: minimising and restoring it, a burst
// of resizes down to a single pixel and back, and another window taking the keyboard away.
// The game must go on drawing, take keys afterwards and keep its HUD centred.

#include "GameProcess.h"
#include "Play.h"
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

void sleepFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The game reports its frame rate once a second from its frame loop: two reports after a
// moment mean it drew whole frames since.
bool framesKeepComing(GameProcess& game)
{
    return game.waitForFrameAfter(game.traceSize());
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
    ASSERT_GE(game.waitForTrace("state", "0"), 0) << game.output();
    int width = 0;
    int height = 0;
    ASSERT_TRUE(game.windowSize(width, height));
    // Paused with the arrow clear of the word MAX on the wheel's left, so OCR finds it.
    ASSERT_TRUE(pauseWithArrow(game, [](double angle) { return degreesApart(angle, -270.0) > 70.0; }));
    double startX = 0.0;
    double startY = 0.0;
    Picture before;
    ASSERT_TRUE(maxOffset(game, startX, startY, before)) << "MAX read before the faults";

    // Minimised for a while, then back.
    game.minimise();
    sleepFor(1.5);
    ASSERT_TRUE(game.running()) << game.errors();
    game.restore();
    EXPECT_TRUE(framesKeepComing(game)) << "the game draws on after it was minimised";

    // Dragged down to a single pixel and back, faster than frames come.
    std::size_t mark = game.traceSize();
    const std::pair<int, int> burst[] = {{1, 1}, {300, 1}, {1, 300}, {2, 2}, {1, 1}, {640, 20}, {width, height}};
    for (auto [w, h] : burst)
        game.resize(w, h);
    EXPECT_GE(game.waitForTrace("resize", std::to_string(width) + " " + std::to_string(height), mark), 0);
    ASSERT_TRUE(game.running()) << game.errors();

    // Another window takes the keyboard; the game draws on without it.
    {
        FocusThief thief;
        EXPECT_TRUE(thief.hasFocus());
        EXPECT_TRUE(framesKeepComing(game)) << "the game draws on without the focus";
    }
    ASSERT_TRUE(game.running()) << game.errors();

    double endX = 0.0;
    double endY = 0.0;
    Picture after;
    ASSERT_TRUE(maxOffset(game, endX, endY, after)) << "MAX read after the faults";
    EXPECT_EQ(after.width, width);
    EXPECT_EQ(after.height, height);
    EXPECT_NEAR(endX, startX, 0.02) << "the HUD stays centred";
    EXPECT_NEAR(endY, startY, 0.02) << "the HUD stays centred";
    const std::string dir = screenshotDirectory();
    if (!dir.empty())
        after.save(dir + "/after-window-faults.png");

    // The focus came back with the keys: P resumes and SPACE still throws.
    ASSERT_TRUE(togglePause(game));
    mark = game.traceSize();
    game.pressKey("space");
    EXPECT_GE(game.waitForTrace("state", "1", mark), 0) << game.output();
    game.pressKey("Escape");
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0) << game.errors();
}

} // namespace
