// The menu in the real game: Escape stops the throw beneath it, Ctrl+Q and the close button end
// the game from any state, the first start shows how to play, and a rebinding is written to
// settings.txt (through its link, keeping the rest) and read back at the next start. Every game
// gets a data folder of its own under /tmp, never the real home.

#include "FileText.h"
#include "GameProcess.h"
#include "Play.h"
#include "Screen.h"

#include "core/Bindings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr double throwLimitSeconds = 600.0; // a guard against a hang, not a timing requirement

class MenuGame : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display; run the suite through ./test.sh";
        scratch = usePrivatePlayerFolders("grov-menu");
        ASSERT_FALSE(scratch.empty());
    }

    void TearDown() override
    {
        if (game && game->running()) {
            game->quit();
            EXPECT_EQ(game->waitForExit(exitLimitSeconds), 0);
        }
        game.reset();
        GameProcess::removeDirectory(scratch);
    }

    void start(const std::string& workDir)
    {
        game = std::make_unique<GameProcess>(workDir);
        ASSERT_NE(game->waitForWindow(), 0u) << game->errors();
        ASSERT_GE(game->waitForTrace("state", "0"), 0) << game->output();
        ASSERT_TRUE(game->waitForFrameAfter(0)) << game->output();
    }

    void finish()
    {
        game->quit();
        EXPECT_EQ(game->waitForExit(exitLimitSeconds), 0) << game->errors();
        game.reset();
    }

    std::size_t expectTrace(const std::string& event, const std::string& details, std::size_t after,
                            double timeoutSeconds = 60.0)
    {
        const int at = game->waitForTrace(event, details, after, timeoutSeconds);
        EXPECT_GE(at, 0) << "no trace line \"" << event << " " << details << "\" after line " << after << "; "
                         << traceTail(*game);
        return at < 0 ? game->traceSize() : std::size_t(at);
    }

    // Presses the keys in turn and waits for the screen they lead to.
    std::size_t keysTo(const std::vector<std::string>& keys, const std::string& screen)
    {
        const std::size_t mark = game->traceSize();
        for (const std::string& key : keys)
            game->pressKey(key);
        return expectTrace("menu", screen, mark);
    }

    // Chooses the controls screen's row of an action, waits for the press to be taken, then
    // presses the new key.
    void rebind(Action action, const std::string& key)
    {
        for (int row = 0; row < int(action); ++row)
            game->pressKey("Down");
        game->pressKey("Return");
        ASSERT_TRUE(game->waitForFrameAfter(game->traceSize()));
        game->pressKey(key);
    }

    std::string scratch;
    std::unique_ptr<GameProcess> game;
};

TEST_F(MenuGame, EscapeStopsTheThrowBeneathTheMenuAndTheCardShowsOnTheFirstStartOnly)
{
    start(GROV_GAME_DIR);
    expectTrace("card", "shown", 0);
    keepScreenshot(shotAfter(*game, 0), "menu-first-start-card");

    // A strong throw, so the flight is still on when the menu opens.
    ASSERT_TRUE(pauseWithArrow(*game, [](double angle) { return degreesApart(angle, -270.0) < 45.0; }));
    std::size_t mark = game->traceSize();
    game->pressKey("space");
    expectTrace("card", "hidden", mark);
    ASSERT_TRUE(togglePause(*game));
    const std::size_t flight = expectTrace("state", "2", mark, throwLimitSeconds);
    expectTrace("distance", "", flight);

    const std::size_t open = keysTo({"Escape"}, "main");
    // A second of frames under the menu: the flight stands still.
    const int first = game->waitForTrace("fps", "", open + 1);
    ASSERT_GE(game->waitForTrace("fps", "", std::size_t(first) + 1), 0) << "the game stopped drawing";
    keepScreenshot(shotAfter(*game, game->traceSize()), "menu-over-the-flight");
    const std::vector<TraceLine> trace = game->trace();
    for (std::size_t line = flight; line < open; ++line)
        ASSERT_NE(trace[line].details, "3") << "the throw ended before the menu opened";
    for (std::size_t line = open; line < trace.size(); ++line) {
        EXPECT_NE(trace[line].event, "distance") << "the throw moved under the menu: " << trace[line].details;
        EXPECT_NE(trace[line].event, "state") << trace[line].details;
    }
    const std::size_t closed = keysTo({"Escape"}, "closed");
    expectTrace("distance", "", closed);
    finish();

    start(GROV_GAME_DIR);
    const std::vector<TraceLine> second = game->trace();
    for (const TraceLine& line : second)
        EXPECT_NE(line.event, "card") << "the second start shows no card";
}

TEST_F(MenuGame, CtrlQAndTheCloseButtonEndTheGameWithZeroFromAnyState)
{
    struct Case {
        const char* state;
        std::function<void()> reach;
        bool closeButton;
    };
    const std::vector<Case> cases = {
        {"the menu", [this] { keysTo({"Escape"}, "main"); }, false},
        {"a rebinding",
         [this] {
             keysTo({"Escape"}, "main");
             keysTo({"Down", "Return", "Down", "Down", "Return"}, "controls");
             rebind(ACTION_THROW, "ctrl+q");
         },
         false},
        {"the options",
         [this] {
             keysTo({"Escape"}, "main");
             keysTo({"Down", "Return"}, "options");
         },
         true},
        {"the flight",
         [this] {
             const std::size_t mark = game->traceSize();
             game->pressKey("space");
             expectTrace("state", "2", mark, throwLimitSeconds);
         },
         true},
    };
    for (const Case& endIn : cases) {
        SCOPED_TRACE(endIn.state);
        start(GROV_GAME_DIR);
        endIn.reach();
        if (endIn.closeButton)
            game->requestClose();
        else if (std::string(endIn.state) != "a rebinding") // the rebinding was ended with Ctrl+Q
            game->quit();
        EXPECT_EQ(game->waitForExit(exitLimitSeconds), 0) << game->errors();
        EXPECT_EQ(game->waitForTrace("setting", "", 0, 0.0), -1) << "Ctrl+Q is bound to nothing";
        game.reset();
    }
}

// A rebinding and the swap it makes are written through the link, keeping the rest of the file;
// the next start reads them back, and Reset to defaults undoes them.
TEST_F(MenuGame, RebindingsAreSavedThroughTheLinkReadBackAndReset)
{
    const std::string dir = GameProcess::copyRunDirectory();
    const std::string config = scratch + "/settings-of-mine.txt";
    std::ofstream(config) << "# my settings\nFULLSCREEN 0\nWIDTH 1024\nHEIGHT 768\nMY_OWN_KEY 1\n";
    std::remove((dir + "/settings.txt").c_str());
    ASSERT_EQ(symlink(config.c_str(), (dir + "/settings.txt").c_str()), 0);

    start(dir);
    keysTo({"Escape"}, "main");
    keysTo({"Down", "Return", "Down", "Down", "Return"}, "controls");
    std::size_t mark = game->traceSize();
    rebind(ACTION_THROW, "Return");
    expectTrace("setting", "KEY_THROW ENTER", mark);
    expectTrace("settings", "saved " + dir + "/settings.txt", mark);
    mark = game->traceSize();
    // Still on the throw's row: down to the frame rate's, whose F2 swaps with the wireframe's F3.
    rebind(ACTION_FPS, "F3");
    expectTrace("setting", "KEY_WIREFRAME F2", expectTrace("setting", "KEY_FPS F3", mark));
    keepScreenshot(shotAfter(*game, game->traceSize()), "menu-controls");
    keysTo({"Escape", "Escape", "Escape"}, "closed");
    mark = game->traceSize();
    game->pressKey("Return");
    expectTrace("state", "1", mark);
    finish();

    struct stat info {};
    ASSERT_EQ(lstat((dir + "/settings.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    EXPECT_EQ(fileText(config),
              "# my settings\nFULLSCREEN 0\nWIDTH 1024\nHEIGHT 768\nMY_OWN_KEY 1\n"
              "KEY_THROW ENTER\nKEY_FPS F3\nKEY_WIREFRAME F2\n");

    start(dir);
    mark = game->traceSize();
    game->pressKey("Return");
    expectTrace("state", "1", mark);
    // Reset to defaults, the row above the last; SPACE throws again, F2 shows the frame rate.
    keysTo({"Escape"}, "main");
    keysTo({"Down", "Return", "Down", "Down", "Return"}, "controls");
    mark = game->traceSize();
    game->pressKey("Up");
    game->pressKey("Up");
    game->pressKey("Return");
    expectTrace("settings", "saved", expectTrace("setting", "KEY_THROW SPACE", mark));
    keysTo({"Escape", "Escape", "Escape"}, "closed");
    mark = game->traceSize();
    game->pressKey("F2");
    expectTrace("toggle", "fps ON", mark);
    finish();
    EXPECT_EQ(fileText(config),
              "# my settings\nFULLSCREEN 0\nWIDTH 1024\nHEIGHT 768\nMY_OWN_KEY 1\n"
              "KEY_THROW SPACE\nKEY_FPS F2\nKEY_WIREFRAME F3\n");
    GameProcess::removeDirectory(dir);
}

TEST_F(MenuGame, ASettingsFileThatCannotBeWrittenGivesOneMessageAndTheGameGoesOn)
{
    // A line longer than any setting: the game reads the file, but will not rewrite it and lose
    // the line.
    const std::string dir = GameProcess::copyRunDirectory();
    std::ofstream(dir + "/settings.txt", std::ios::app) << "# " << std::string(5000, 'x') << "\n";
    start(dir);
    keysTo({"Escape"}, "main");
    keysTo({"Down", "Return", "Return"}, "sound");
    const std::size_t mark = game->traceSize();
    game->pressKey("Left");
    expectTrace("settings", "failed settings.txt has a line too long to keep",
                expectTrace("setting", "MUSIC_VOLUME 90", mark));
    EXPECT_TRUE(
        game->waitForOutput("settings.txt: could not save MUSIC_VOLUME 90: settings.txt has a line too long to keep\n"))
        << game->output();
    keysTo({"Escape", "Escape", "Escape"}, "closed");
    const std::size_t go = game->traceSize();
    game->pressKey("space");
    expectTrace("state", "1", go);
    int messages = 0;
    for (const TraceLine& line : game->trace())
        messages += line.event == "message" && line.details.rfind("Could not save settings.txt", 0) == 0;
    EXPECT_EQ(messages, 1);
    finish();
    GameProcess::removeDirectory(dir);
}

// The share of a region's pixels in the HUD card's dark violet.
double cardShare(const Picture& picture, const Rect& region)
{
    int card = 0;
    int all = 0;
    for (int y = std::max(0, region.y); y < std::min(picture.height, region.y + region.height); ++y)
        for (int x = std::max(0, region.x); x < std::min(picture.width, region.x + region.width); ++x) {
            const unsigned char* rgb = picture.at(x, y);
            card += rgb[2] > rgb[1] && rgb[0] < 120 && rgb[1] < 110 && rgb[2] < 150;
            ++all;
        }
    return all > 0 ? double(card) / all : 0.0;
}

// A strong throw passes 250 m: the goal is in the trace with its chime, its toast is drawn in
// the top left, goals.txt keeps it, and the Goals screen opens on it.
TEST_F(MenuGame, AThrowPastAGoalsDistanceShowsItsToastAndKeepsIt)
{
    start(GROV_GAME_DIR);
    ASSERT_TRUE(pauseWithArrow(*game, [](double angle) { return degreesApart(angle, -270.0) < 45.0; }));
    std::size_t mark = game->traceSize();
    game->pressKey("space");
    ASSERT_TRUE(togglePause(*game));
    const std::size_t flight = expectTrace("state", "2", mark, throwLimitSeconds);
    const std::size_t goal = expectTrace("goal", "reach-250", flight, throwLimitSeconds);
    expectTrace("sound", "goal", flight);
    double best = 0.0;
    for (int attempt = 0; attempt < 3 && best < 0.8; ++attempt) {
        const Picture shot = shotAfter(*game, goal);
        best = std::max(best, cardShare(shot, Hud(shot).around(-0.64f, 0.745f, 0.25f, 0.01f)));
        keepScreenshot(shot, "goal-toast");
    }
    EXPECT_GT(best, 0.8) << "the toast's card is not in the top left";

    ASSERT_GE(waitForThrowEnd(*game, flight), 0) << traceTail(*game);
    EXPECT_NE(fileText(scratch + "/data/grov-rage/goals.txt").find("\nreached reach-250 "), std::string::npos);
    keysTo({"Escape"}, "main");
    keysTo({"Down", "Down", "Down", "Return"}, "goals");
    keepScreenshot(shotAfter(*game, game->traceSize()), "goal-screen");
    finish();
}

} // namespace
