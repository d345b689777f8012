// The records and the ghost in the real game: two whole throws kept in the player's folder,
// the game-over line, the ghost flying in the second flight, the settings switch and the key,
// and a game with nowhere to keep records. Every game here gets a data folder of its own
// under /tmp, never the real home.

#include "FileText.h"
#include "GameProcess.h"
#include "Play.h"
#include "Screen.h"

#include "game/GhostPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>

namespace {

constexpr double throwLimitSeconds = 600.0; // a guard against a hang, not a timing requirement

class Records : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display; run the suite through ./test.sh";
        scratch = usePrivatePlayerFolders("grov-records");
        ASSERT_FALSE(scratch.empty());
        folder = scratch + "/data/grov-rage";
    }

    void TearDown() override
    {
        if (game && game->running()) {
            game->quit();
            EXPECT_EQ(game->waitForExit(exitLimitSeconds), 0);
        }
        game.reset();
        if (!runDirectory.empty())
            GameProcess::removeDirectory(runDirectory);
        GameProcess::removeDirectory(scratch);
    }

    void start(const std::string& workDir, const std::string& extraEnv = "")
    {
        game = std::make_unique<GameProcess>(workDir, extraEnv);
        ASSERT_NE(game->waitForWindow(), 0u) << game->errors();
        ASSERT_GE(game->waitForTrace("state", "0"), 0) << game->output();
        ASSERT_TRUE(game->waitForFrameAfter(0)) << game->output();
    }

    std::size_t expectTrace(const std::string& event, const std::string& details, std::size_t after,
                            double timeoutSeconds = 60.0)
    {
        int at = game->waitForTrace(event, details, after, timeoutSeconds);
        EXPECT_GE(at, 0) << "no trace line \"" << event << " " << details << "\" after line " << after;
        return at < 0 ? game->traceSize() : static_cast<std::size_t>(at);
    }

    // Whether the trace holds the event from line `after` on already, without waiting.
    bool traced(const std::string& event, std::size_t after) { return game->waitForTrace(event, "", after, 0.0) >= 0; }

    std::string detailsAt(std::size_t index)
    {
        std::vector<TraceLine> trace = game->trace();
        return index < trace.size() ? trace[index].details : std::string();
    }

    // SPACE to the end of the throw; the index of its "record" line.
    std::size_t throwOnce(std::size_t& flight)
    {
        std::size_t mark = game->traceSize();
        game->pressKey("space");
        flight = expectTrace("state", "2", mark, throwLimitSeconds);
        int over = waitForThrowEnd(*game, flight);
        EXPECT_GE(over, 0) << "the throw did not end while its distance kept changing; " << traceTail(*game);
        return expectTrace("record", "", flight);
    }

    std::string scratch;
    std::string folder;
    std::string runDirectory;
    std::unique_ptr<GameProcess> game;
};

TEST_F(Records, TwoThrowsAreKeptAndTheSecondFliesWithTheGhostOfTheBest)
{
    start(GROV_GAME_DIR);
    std::size_t flight = 0;
    std::size_t first = throwOnce(flight);
    std::smatch match;
    const std::string firstRecord = detailsAt(first);
    ASSERT_TRUE(std::regex_match(firstRecord, match, std::regex("1 ([0-9]+\\.[0-9]{2})"))) << firstRecord;
    const double firstMetres = std::atof(match[1].str().c_str());
    std::size_t line = expectTrace("best", "", first);
    EXPECT_EQ(detailsAt(line), "New record!");
    EXPECT_FALSE(traced("ghost", flight)) << "no ghost before there is a best throw";

    // The line under the result is drawn where a player reads it; the orbiting camera puts a
    // new background behind it in every picture.
    double best = 0.0;
    for (int attempt = 0; attempt < 4 && best <= 0.6; ++attempt) {
        Picture end = shotAfter(*game, game->traceSize());
        std::string read = readText(end, Hud(end).around(0.0f, 0.095f, 0.45f, 0.04f), true);
        best = std::max(best, closeness(read, "New record!"));
        keepScreenshot(end, "records-game-over");
    }
    EXPECT_GT(best, 0.6);

    std::size_t mark = game->traceSize();
    game->pressKey("space");
    expectTrace("state", "0", mark);
    for (const char* value : {"ghost OFF", "ghost ON"}) {
        mark = game->traceSize();
        game->pressKey("g");
        expectTrace("toggle", value, mark);
        EXPECT_EQ(detailsAt(expectTrace("message", "", mark)),
                  std::string(value) == "ghost ON" ? "Ghost ON" : "Ghost OFF");
    }

    std::size_t second = throwOnce(flight);
    std::size_t shown = expectTrace("ghost", "shown", flight);
    EXPECT_LT(shown, second) << "the ghost flies in the flight, not after it";
    const std::string secondRecord = detailsAt(second);
    ASSERT_TRUE(std::regex_match(secondRecord, match, std::regex("([12]) ([0-9]+\\.[0-9]{2})"))) << secondRecord;
    const double secondMetres = std::atof(match[2].str().c_str());
    const bool beaten = secondMetres > firstMetres;
    EXPECT_EQ(match[1].str(), beaten ? "1" : "2");
    EXPECT_EQ(detailsAt(expectTrace("best", "", second)), beaten ? "New record!" : "2nd best throw");

    // Both throws on the disk, longest first, and the ghost of the longer one beside them.
    const std::string records = fileText(folder + "/records.txt");
    char longer[32];
    char shorter[32];
    std::snprintf(longer, sizeof longer, "\n%.2f 20", std::max(firstMetres, secondMetres));
    std::snprintf(shorter, sizeof shorter, "\n%.2f 20", std::min(firstMetres, secondMetres));
    EXPECT_NE(records.find(longer), std::string::npos) << records;
    EXPECT_LT(records.find(longer), records.rfind(shorter)) << records;
    EXPECT_NE(fileText(folder + "/best-throw.ghost").find(std::string("throw ") + (longer + 1)), std::string::npos);
    EXPECT_EQ(game->output().find("Records:"), std::string::npos) << game->output();
}

TEST_F(Records, GhostZeroHidesItUntilGAndADamagedFileIsReportedAndKept)
{
    // A best throw of a minute, standing still at the launch point, and a damaged line.
    GhostPath path;
    GhostPose pose;
    pose.position = glm::vec3(0.0f, 10.0f, 0.0f);
    path.start(pose);
    path.record(60.0, pose);
    path.finish();
    const ThrowRecord owner{900.0, "2025-03-14 18:02:51"};
    ASSERT_EQ(system(("mkdir -p '" + folder + "'").c_str()), 0);
    std::ofstream(folder + "/best-throw.ghost") << path.toText(owner);
    const std::string damaged = "900.00 2025-03-14 18:02:51\nnan 2025-03-14 18:02:52\n";
    std::ofstream(folder + "/records.txt") << damaged;

    runDirectory = GameProcess::copyRunDirectory();
    std::ofstream(runDirectory + "/settings.txt", std::ios::app) << "\nGHOST 0\n";
    start(runDirectory);
    EXPECT_NE(game->output().find("Records: " + folder + "/records.txt is damaged"), std::string::npos)
        << game->output();
    EXPECT_EQ(fileText(folder + "/records.txt.bad"), damaged);

    std::size_t mark = game->traceSize();
    game->pressKey("space");
    std::size_t flight = expectTrace("state", "2", mark, throwLimitSeconds);
    ASSERT_TRUE(game->waitForFrameAfter(flight));
    EXPECT_FALSE(traced("ghost", flight)) << "hidden by the settings";

    // Paused for the picture: the ghost stands where the throw started, Grov flies on.
    ASSERT_TRUE(togglePause(*game));
    mark = game->traceSize();
    game->pressKey("g");
    expectTrace("toggle", "ghost ON", mark);
    expectTrace("ghost", "shown", mark);
    keepScreenshot(shotAfter(*game, mark), "records-ghost");
}

TEST_F(Records, WithNowhereToKeepThemTheGamePlaysOnAndSaysSoOnce)
{
    unsetenv("XDG_DATA_HOME");
    start(GROV_GAME_DIR, "HOME=");
    const std::string output = game->output();
    const std::string line = "Records: there is no place for player files";
    ASSERT_NE(output.find(line), std::string::npos) << output;
    EXPECT_EQ(output.find(line, output.find(line) + 1), std::string::npos) << output;

    std::size_t mark = game->traceSize();
    game->pressKey("space");
    expectTrace("state", "2", mark, throwLimitSeconds);
}

} // namespace
