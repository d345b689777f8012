#include "app/Window.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(WindowSize, GivenSizeIsKept)
{
    WindowSize size = resolveWindowSize(false, 1024, 768, 1920, 1080);
    EXPECT_EQ(size.width, 1024);
    EXPECT_EQ(size.height, 768);
}

TEST(WindowSize, MissingSizeTakesTheMonitorInFullScreen)
{
    WindowSize size = resolveWindowSize(true, -1, -1, 1920, 1080);
    EXPECT_EQ(size.width, 1920);
    EXPECT_EQ(size.height, 1080);
}

TEST(WindowSize, MissingSizeInAWindowIs640By480)
{
    WindowSize size = resolveWindowSize(false, 0, -1, 1920, 1080);
    EXPECT_EQ(size.width, 640);
    EXPECT_EQ(size.height, 480);
    // No monitor mode known: the same fallback in full screen.
    size = resolveWindowSize(true, -1, -1, 0, 0);
    EXPECT_EQ(size.width, 640);
}

TEST(WindowSize, OneSideGivenGivesFourByThree)
{
    WindowSize fromWidth = resolveWindowSize(false, 800, -1, 0, 0);
    EXPECT_EQ(fromWidth.height, 600);
    WindowSize fromHeight = resolveWindowSize(true, 0, 300, 1920, 1080);
    EXPECT_EQ(fromHeight.width, 400);
    EXPECT_EQ(fromHeight.height, 300);
}

// Values a damaged settings.txt may hold: the derived side never overflows and never
// reaches zero, so the game always asks for a window it can describe.
TEST(WindowSize, ExtremeSidesStayPositive)
{
    EXPECT_EQ(resolveWindowSize(false, 1, -1, 0, 0).height, 1);
    EXPECT_EQ(resolveWindowSize(false, -1, 1, 0, 0).width, 1);
    const int largest = std::numeric_limits<int>::max();
    EXPECT_EQ(resolveWindowSize(false, largest, -1, 0, 0).height, 1610612735);
    EXPECT_EQ(resolveWindowSize(false, -1, largest, 0, 0).width, largest);
    EXPECT_EQ(resolveWindowSize(false, 1000000000, 0, 0, 0).height, 750000000);
}

} // namespace
