// What a desktop does to the game's window while it runs: minimising and restoring it, a burst
// of resizes down to a single pixel and back, and another window taking the keyboard away.
// The game must go on drawing, take keys afterwards and keep its HUD centred. And F11: full
// screen and back to the window it was.

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

// The game traces every frame it shows: two after a moment mean it drew whole frames since.
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
    game.quit();
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0) << game.errors();
}

// Where the window is on the screen (the virtual display has no window manager to frame it).
std::pair<int, int> windowPlace(unsigned long window)
{
    std::pair<int, int> place{-1, -1};
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return place;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes))
        place = {attributes.x, attributes.y};
    XCloseDisplay(display);
    return place;
}

// Pixels of the picture's region that are not the clear colour: the 3D scene was drawn there.
double drawnShare(const Picture& picture, const Rect& region)
{
    int drawn = 0;
    for (int y = region.y; y < region.y + region.height; ++y)
        for (int x = region.x; x < region.x + region.width; ++x) {
            const unsigned char* p = picture.at(x, y);
            drawn += p[0] + p[1] + p[2] > 30;
        }
    return double(drawn) / (region.width * region.height);
}

TEST(WindowFaults, F11FillsTheScreenAndGoesBackToTheWindowItWas)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    GameProcess game(GROV_GAME_DIR);
    ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
    ASSERT_GE(game.waitForTrace("state", "0"), 0) << game.output();
    int width = 0;
    int height = 0;
    ASSERT_TRUE(game.windowSize(width, height));
    const std::pair<int, int> place = windowPlace(game.windowId());
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    XCloseDisplay(display);
    ASSERT_GT(screenWidth * screenHeight, width * height) << "the test needs a screen larger than the window";
    ASSERT_TRUE(pauseWithArrow(game, [](double angle) { return degreesApart(angle, -270.0) > 70.0; }));
    double windowX = 0.0;
    double windowY = 0.0;
    Picture before;
    ASSERT_TRUE(maxOffset(game, windowX, windowY, before));

    std::size_t mark = game.traceSize();
    game.pressKey("F11");
    ASSERT_GE(game.waitForTrace("toggle", "fullscreen ON", mark), 0) << game.output();
    ASSERT_GE(game.waitForTrace("resize", std::to_string(screenWidth) + " " + std::to_string(screenHeight), mark), 0);
    int w = 0;
    int h = 0;
    ASSERT_TRUE(game.windowSize(w, h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(screenWidth, screenHeight));
    // The scene reaches the far corner, past where the window ended, and the HUD is centred.
    double fullX = 0.0;
    double fullY = 0.0;
    Picture full;
    ASSERT_TRUE(maxOffset(game, fullX, fullY, full));
    ASSERT_EQ(full.width, screenWidth);
    EXPECT_GT(drawnShare(full, {screenWidth - 120, screenHeight - 120, 100, 100}), 0.9);
    EXPECT_NEAR(fullX, windowX, 0.02);
    EXPECT_NEAR(fullY, windowY, 0.02);
    if (!screenshotDirectory().empty())
        full.save(screenshotDirectory() + "/fullscreen.png");

    mark = game.traceSize();
    game.pressKey("F11");
    ASSERT_GE(game.waitForTrace("toggle", "fullscreen OFF", mark), 0) << game.output();
    ASSERT_GE(game.waitForTrace("resize", std::to_string(width) + " " + std::to_string(height), mark), 0);
    ASSERT_TRUE(game.windowSize(w, h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(width, height));
    EXPECT_EQ(windowPlace(game.windowId()), place);
    Picture back;
    ASSERT_TRUE(maxOffset(game, fullX, fullY, back));
    EXPECT_EQ(back.width, width);
    EXPECT_NEAR(fullX, windowX, 0.02);
    game.quit();
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0) << game.errors();
}

} // namespace
