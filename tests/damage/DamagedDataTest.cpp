// The real game on a damaged copy of its files: one file missing, empty, cut at half its
// length or replaced by random bytes. Whatever the damage, the game starts, plays on through
// SPACE presses in every state, names the file it could not use on the console, and ends
// with exit code 0 on Ctrl+Q.
//
// By default each case plays a few seconds (a throw and a dive); with GROV_DAMAGE_PLAY=throw
// it plays the whole throw to the retry, as scripts/damaged-data.sh does.

#include "DamagedFile.h"
#include "GameProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

constexpr double startLimitSeconds = 60.0; // guards against a hang, not timing requirements
constexpr double exitLimitSeconds = 15.0;
constexpr double throwLimitSeconds = 120.0;
constexpr double spaceEverySeconds = 1.0; // SPACE in every state: throw, dive, retry
constexpr double shortPlaySeconds = 3.5;  // at least this long in the short play: a dive too
const char* const stateLine = "GameLogic -- Switched to state ";

void sleepFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::vector<int> statesIn(const std::string& output)
{
    std::vector<int> states;
    const std::string prefix = stateLine;
    for (std::size_t at = output.find(prefix); at != std::string::npos; at = output.find(prefix, at + 1))
        states.push_back(std::atoi(output.c_str() + at + prefix.size()));
    return states;
}

// True when the states run through the given ones in this order (others may come between).
bool passesThrough(const std::vector<int>& states, const std::vector<int>& wanted)
{
    std::size_t next = 0;
    for (int state : states)
        if (next < wanted.size() && state == wanted[next])
            ++next;
    return next == wanted.size();
}

std::string joined(const std::vector<int>& states)
{
    std::string text;
    for (int state : states)
        text += std::to_string(state);
    return text.empty() ? "-" : text;
}

// What the console must say about the damaged file. A settings file that can be read at all
// is taken as it is (what cannot be used falls back to the defaults without a word).
std::string expectedMention(const std::string& file, Damage damage)
{
    if (file == "settings.txt")
        return damage == Damage::Missing ? "ERROR: Could not find setting.txt\n" : "";
    return file;
}

bool wholeThrow()
{
    const char* play = std::getenv("GROV_DAMAGE_PLAY");
    return play && std::string(play) == "throw";
}

// The states a case must pass through: the whole throw to the retry, or a throw into flight.
std::vector<int> playGoal()
{
    return wholeThrow() ? std::vector<int>{0, 1, 2, 3, 0} : std::vector<int>{0, 1, 2};
}

using Case = std::tuple<std::string, Damage>;

class DamagedFile : public testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    }
};

TEST_P(DamagedFile, GameCarriesOn)
{
    const auto& [file, damage] = GetParam();
    std::string dir = GameProcess::copyRunDirectory();
    // A small window keeps the software renderer quick; the settings case keeps its own.
    if (file != "settings.txt")
        std::ofstream(dir + "/settings.txt") << "FULLSCREEN 0\nWIDTH 320\nHEIGHT 240\n";
    ASSERT_TRUE(damageFile(dir + "/" + file, damage)) << dir + "/" + file;

    int exitCode = -2;
    std::string verdict;
    std::vector<int> states;
    bool mentioned = false;
    {
        GameProcess game(dir);
        bool started = game.waitForWindow(startLimitSeconds) != 0
            && game.waitForOutput(std::string(stateLine) + "0", startLimitSeconds);
        if (started) {
            // A slow machine or a full-screen window takes longer; the play goes on until it
            // has reached its goal, or the limit says the game is stuck.
            const auto start = std::chrono::steady_clock::now();
            const double least = wholeThrow() ? 0.0 : shortPlaySeconds;
            for (double elapsed = 0.0; game.running() && elapsed < throwLimitSeconds;) {
                game.pressKey("space");
                sleepFor(spaceEverySeconds);
                elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (elapsed >= least && passesThrough(statesIn(game.output()), playGoal()))
                    break;
            }
            game.quit();
        }
        exitCode = game.waitForExit(exitLimitSeconds);
        const std::string output = game.output();
        states = statesIn(output);
        const std::string mention = expectedMention(file, damage);
        mentioned = mention.empty() || output.find(mention) != std::string::npos;
        const std::vector<int> goal = playGoal();

        if (exitCode == -1)
            verdict = "hang";
        else if (exitCode >= 128)
            verdict = "crash";
        else if (exitCode != 0)
            verdict = "exit-" + std::to_string(exitCode);
        else if (!passesThrough(states, goal))
            verdict = "stuck";
        else if (!mentioned)
            verdict = "unnamed";
        else
            verdict = "ok";

        EXPECT_NE(exitCode, -1) << "the game hung; output:\n" << output << game.errors();
        EXPECT_EQ(exitCode, 0) << output << game.errors();
        EXPECT_TRUE(passesThrough(states, goal)) << "states " << joined(states) << "\n" << output;
        EXPECT_TRUE(mentioned) << "nothing on the console names " << file << ":\n" << output;
    }
    // One line per case for the script's table.
    std::printf("damage-result: %s %s %s exit=%d states=%s\n", file.c_str(), damageName(damage).c_str(),
                verdict.c_str(), exitCode, joined(states).c_str());
    std::fflush(stdout);
    GameProcess::removeDirectory(dir);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFile,
                         testing::Combine(testing::ValuesIn(gameFiles()), testing::ValuesIn(allDamages())),
                         [](const testing::TestParamInfo<Case>& info) {
                             return caseName(std::get<0>(info.param), std::get<1>(info.param));
                         });

TEST(DamagedFileCases, CoverEveryFileTheGameReads)
{
    // Every file of the run directory the game opens at start-up, and nothing twice.
    EXPECT_EQ(gameFiles().size(), 51u);
    for (const std::string& file : gameFiles()) {
        std::ifstream in(std::string(GROV_GAME_DIR) + "/" + file);
        EXPECT_TRUE(bool(in)) << file << " is not in the run directory";
    }
}

} // namespace
