// The real game: F12 writes the frame to the player's picture folder, the window carries the
// game's icon, and a run directory without the icon images still starts.

#include "GameProcess.h"

#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cstdlib>
#include <unistd.h>

namespace {

// A guard against a hung game, not a timing requirement.

class Screenshot : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    }
};

TEST_F(Screenshot, F12WritesTheWindowAsPngAndTheWindowHasItsIcon)
{
    char pattern[] = "/tmp/grov-pictures-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string pictures = pattern;
    {
        GameProcess game(GROV_GAME_DIR, "XDG_PICTURES_DIR=" + pictures);
        ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
        int width = 0;
        int height = 0;
        ASSERT_TRUE(game.windowSize(width, height));
        ASSERT_TRUE(game.waitForFrameAfter(0)) << game.output();

        // All three sizes: about 340 kB of property, past xprop's default length.
        const std::string icon = runCommand("xprop -len 1000000 -id " + std::to_string(game.windowId())
                                            + " _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)'");
        EXPECT_EQ(icon, "Icon (64 x 64)\nIcon (128 x 128)\nIcon (256 x 256)\n");

        game.pressKey("F12");
        const int line = game.waitForTrace("screenshot");
        ASSERT_GE(line, 0) << game.output();
        const std::string path = game.trace()[std::size_t(line)].details;
        EXPECT_EQ(path.rfind(pictures + "/grov-rage-", 0), 0u) << path;
        EXPECT_NE(game.output().find("Screenshot saved to " + path + "\n"), std::string::npos) << game.output();
        EXPECT_GE(game.waitForTrace("message", "Saved grov-rage-", std::size_t(line)), 0);

        FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), 0);
        ASSERT_NE(image, nullptr) << path;
        EXPECT_EQ(int(FreeImage_GetWidth(image)), width);
        EXPECT_EQ(int(FreeImage_GetHeight(image)), height);
        FreeImage_Unload(image);

        game.quit();
        EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0);
    }
    std::system(("rm -rf '" + pictures + "'").c_str());
}

TEST_F(Screenshot, WithoutTheIconImagesTheGameStillStarts)
{
    const std::string dir = GameProcess::copyRunDirectory();
    runCommand("rm -rf '" + dir + "/icons'");
    {
        GameProcess game(dir);
        ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
        ASSERT_TRUE(game.waitForFrameAfter(0)) << game.output();
        EXPECT_NE(game.output().find("Could not load window icon 'icons/grov-rage-64.png'"), std::string::npos)
            << game.output();
        EXPECT_NE(game.output().find("Could not load window icon 'icons/grov-rage-256.png'"), std::string::npos);
        game.quit();
        EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0);
    }
    GameProcess::removeDirectory(dir);
}

} // namespace
