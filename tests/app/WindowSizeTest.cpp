#include "app/Window.h"

#include <gtest/gtest.h>

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

} // namespace
