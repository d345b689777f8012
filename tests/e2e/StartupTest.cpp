// The real game in the virtual display: window, console lines, and the ways out.

#include "GameProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

// A guard against a hung game, not a timing requirement.
constexpr double exitLimitSeconds = 10.0;

// The longest duration among the repair lines the game printed, 0 when there are none.
double longestRepairedFrame(const std::string& output)
{
    const std::string prefix = "Repairing delta time. Last frame took ";
    double longest = 0.0;
    for (std::size_t at = output.find(prefix); at != std::string::npos; at = output.find(prefix, at + 1))
        longest = std::max(longest, std::atof(output.c_str() + at + prefix.size()));
    return longest;
}

class Startup : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    }
};

TEST_F(Startup, OpensTheConfiguredWindowAndEndsOnCtrlQ)
{
    GameProcess game(GROV_GAME_DIR);
    ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
    int width = 0;
    int height = 0;
    ASSERT_TRUE(game.windowSize(width, height));
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);

    game.quit();
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0);
    EXPECT_NE(game.output().find("OpenGL Version: "), std::string::npos) << game.output();
}

TEST_F(Startup, StallIsRepairedAndTheGameGoesOn)
{
    GameProcess game(GROV_GAME_DIR);
    ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
    // The stall must fall inside the frame loop, after the scene is built.
    ASSERT_TRUE(game.waitForOutput("GameLogic -- Switched to state 0")) << game.output();
    usleep(300000);
    game.suspendFor(1.5);
    EXPECT_TRUE(game.waitForOutput("Repairing delta time. Last frame took "));
    usleep(300000);
    EXPECT_TRUE(game.running());
    EXPECT_GE(longestRepairedFrame(game.output()), 1.5) << game.output();
    game.quit();
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0);
}

TEST_F(Startup, ClosingTheWindowEndsTheGame)
{
    GameProcess game(GROV_GAME_DIR);
    ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
    game.requestClose();
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0);
}

// Settings change the window and the controls; a binding that takes another action's key is
// refused by name, and Ctrl+Q quits whatever the bindings say.
TEST_F(Startup, OtherSettingsGiveOtherSizesAndControls)
{
    std::string dir = GameProcess::copyRunDirectory();
    std::ofstream(dir + "/settings.txt") << "FULLSCREEN 0\nWIDTH 800\nKEY_GHOST Q\nKEY_FPS F3\n";
    {
        GameProcess game(dir);
        ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
        int width = 0;
        int height = 0;
        ASSERT_TRUE(game.windowSize(width, height));
        // A missing height is made 4:3 from the width.
        EXPECT_EQ(width, 800);
        EXPECT_EQ(height, 600);
        EXPECT_TRUE(game.waitForOutput("settings.txt: KEY_FPS F3: F3 is already bound to WIREFRAME, so FPS keeps F2\n"))
            << game.output();
        // Q alone is the ghost's key now; with Ctrl it quits.
        game.quit();
        EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0);
    }
    GameProcess::removeDirectory(dir);
}

TEST_F(Startup, MissingSettingsStillOpenAWindow)
{
    std::string dir = GameProcess::copyRunDirectory();
    std::remove((dir + "/settings.txt").c_str());
    {
        GameProcess game(dir);
        ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
        int width = 0;
        int height = 0;
        ASSERT_TRUE(game.windowSize(width, height));
        // Full screen at the screen's own size.
        std::string screen = runCommand("xdotool getdisplaygeometry");
        EXPECT_EQ(std::to_string(width) + " " + std::to_string(height) + "\n", screen);
        game.quit();
        EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0);
        EXPECT_NE(game.output().find("ERROR: Could not find setting.txt\n"), std::string::npos);
    }
    GameProcess::removeDirectory(dir);
}

TEST_F(Startup, NoDisplayFailsAtOnceWithoutWaiting)
{
    GameProcess game(GROV_GAME_DIR, "DISPLAY=");
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 1);
    EXPECT_NE(game.errors().find("Failed to initialize GLFW\n"), std::string::npos) << game.errors();
}

TEST_F(Startup, NoCoreContextFailsAtOnceWithoutWaiting)
{
    // Mesa then offers nothing newer than OpenGL 3.0, so a 3.3 core context cannot be made.
    GameProcess game(GROV_GAME_DIR, "MESA_GL_VERSION_OVERRIDE=3.0");
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 1);
    EXPECT_NE(game.errors().find("Failed to open GLFW window.\n"), std::string::npos) << game.errors();
}

} // namespace
