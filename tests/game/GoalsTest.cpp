// Goals through the rules, frame by frame and without GL: each comes in the frame its
// condition first holds and not one before, several can come in one frame, and none comes
// twice. The book's file: a round trip, two copies of the game saving, every kind of damage, a
// write cut off, and no folder to write in.

#include "FileText.h"
#include "GameLogicRig.h"
#include "QuietConsole.h"
#include "ScratchFolderTest.h"
#include "core/PlayerFile.h"
#include "game/GoalStore.h"
#include "game/GoalTracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* WHEN = "2026-12-09 21:40:12";

// Plays the rules with a tracker beside them, as the World does, and keeps what each frame
// reached and what the rules showed in it.
struct TrackedThrow {
    TrackedThrow() { rig.wire(); }

    GoalFrame step(double dt = GameLogicRig::FRAME, bool newRecordOverGhost = false)
    {
        previous = {rig.logic.distance(), rig.logic.tally(), rig.logic.rage()};
        rig.frame(dt);
        GoalFrame frame = tracker.update(rig.logic, book, newRecordOverGhost);
        ++frames;
        for (const Goal* goal : frame.reached) {
            EXPECT_EQ(reachedAt.count(goal->id), 0u) << goal->id << " came twice";
            reachedAt[goal->id] = frames;
            shownBefore[goal->id] = previous;
            shownAt[goal->id] = {rig.logic.distance(), rig.logic.tally(), rig.logic.rage()};
            book.reach(goal->id, WHEN);
        }
        return frame;
    }
    // Runs frames until the throw ends; the last frame's goals.
    GoalFrame toTheEnd()
    {
        GoalFrame frame;
        for (int i = 0; i < 100000 && !frame.throwEnded; ++i)
            frame = step();
        EXPECT_TRUE(frame.throwEnded);
        return frame;
    }
    static std::vector<std::string> ids(const GoalFrame& frame)
    {
        std::vector<std::string> names;
        for (const Goal* goal : frame.reached)
            names.push_back(goal->id);
        return names;
    }

    struct Shown {
        float distance;
        ThrowTally tally;
        float rage;
    } previous{};
    GameLogicRig rig;
    GoalTracker tracker;
    GoalBook book;
    std::map<std::string, int> reachedAt;     // goal to the frame it came in
    std::map<std::string, Shown> shownBefore; // what the rules showed the frame before it came
    std::map<std::string, Shown> shownAt;
    int frames = 0;
};

TEST(Goals, AThrowsGoalsComeInTheFrameTheRulesReachThemAndTheTotalsWhenItEnds)
{
    TrackedThrow play;
    play.book.setTotals(24, 9990.0);
    play.rig.logic.setArrowAngle(-270.0f);
    play.rig.tap(KEY_SPACE);
    while (play.rig.logic.state() != GameLogic::STATE_FLIGHT) {
        const GoalFrame frame = play.step();
        ASSERT_TRUE(frame.reached.empty() || play.rig.logic.state() == GameLogic::STATE_FLIGHT)
            << "nothing before the launch";
        ASSERT_LT(play.frames, 200);
    }
    EXPECT_EQ(play.reachedAt["full-power"], play.frames) << "full power in the launch's frame";

    // Landings from the spares behind (standing on one another, so one landing is on several)
    // to the tank far ahead, so that none is sent away before its turn: a dive ends on the
    // second, whose rage fills the meter.
    GameLogicRig& rig = play.rig;
    for (std::size_t tank : {2, 1, 0}) {
        for (int i = 0; i < 20; ++i)
            play.step();
        if (tank == 1) {
            rig.tap(KEY_SPACE);
            play.step();
            ASSERT_TRUE(rig.logic.isDiving());
        }
        ASSERT_FALSE(rig.isFadingOut(rig.tanks[tank].get())) << tank;
        rig.putGrovOn(*rig.tanks[tank]);
        const GoalFrame landing = play.step(0.0);
        if (tank == 1) {
            EXPECT_EQ(TrackedThrow::ids(landing), (std::vector<std::string>{"full-rage", "dive-onto-tank"}));
        }
    }
    ASSERT_GE(rig.logic.tally().tanksLandedOn, 3);
    for (const char* id : {"dive-onto-tank", "tanks-3", "full-rage"})
        ASSERT_EQ(play.reachedAt.count(id), 1u) << id;
    EXPECT_EQ(play.shownAt["dive-onto-tank"].tally.divesOntoTanks, 1);
    EXPECT_EQ(play.shownBefore["dive-onto-tank"].tally.divesOntoTanks, 0);
    EXPECT_GE(play.shownAt["tanks-3"].tally.tanksLandedOn, 3);
    EXPECT_LT(play.shownBefore["tanks-3"].tally.tanksLandedOn, 3);
    EXPECT_EQ(play.shownAt["full-rage"].tally.peakRage, 1.0f);
    EXPECT_LT(play.shownBefore["full-rage"].tally.peakRage, 1.0f);

    // Distances and bounces in the frame the rules first show them, whichever frame that is.
    GoalFrame frame;
    while (!frame.throwEnded && play.frames < 100000)
        frame = play.step();
    for (const char* id : {"reach-250", "reach-500", "reach-1000"}) {
        if (!play.reachedAt.count(id))
            continue;
        EXPECT_GE(play.shownAt[id].distance, findGoal(id)->target) << id;
        EXPECT_LT(play.shownBefore[id].distance, findGoal(id)->target) << id << " a frame early";
    }
    ASSERT_EQ(play.reachedAt.count("reach-250"), 1u) << "a full-power throw passes 250 m";
    if (play.reachedAt.count("bounces-10")) {
        EXPECT_EQ(play.shownAt["bounces-10"].tally.bounces, 10);
        EXPECT_EQ(play.shownBefore["bounces-10"].tally.bounces, 9);
    }
    EXPECT_EQ(play.reachedAt.count("clean-750"), 0u) << "it touched tanks";

    // The end: four goals of the totals in the one frame.
    ASSERT_TRUE(frame.throwEnded);
    EXPECT_EQ(TrackedThrow::ids(frame),
              (std::vector<std::string>{"first-throw", "throws-10", "throws-25", "total-10km"}));
    EXPECT_FLOAT_EQ(float(frame.metres), play.rig.logic.distance());
    EXPECT_FLOAT_EQ(float(frame.throwBests.best("reach-1000")), play.rig.logic.distance());
    EXPECT_GE(frame.throwBests.best("tanks-3"), 3.0);
}

// Beating the old record while its ghost flies counts only in the frame the throw ends; a clean
// flight counts from the frame it passes 300 m; the game-over screen's nearest open goals.
TEST(Goals, TheGhostRecordCountsAtTheEndAndACleanFlightFromItsDistance)
{
    TrackedThrow play;
    ASSERT_TRUE(play.rig.launchAt(-180.0f));
    EXPECT_TRUE(play.step(GameLogicRig::FRAME, true).reached.empty()) << "no record before the throw ends";
    // Carried along the ground's length to just short of 750 m, away from every tank.
    SceneObject& grov = play.rig.grov;
    const float metresPerUnit = 0.7f;
    const float start = grov.position().z + play.rig.logic.distance() / metresPerUnit;
    grov.setPosition({grov.position().x + 120.0f, grov.position().y + 40.0f, start - 749.5f / metresPerUnit});
    while (play.rig.logic.distance() < 750.0f && play.frames < 1000)
        play.step();
    EXPECT_EQ(play.reachedAt["clean-750"], play.frames);
    EXPECT_LT(play.shownBefore["clean-750"].distance, 750.0f);

    const GoalFrame end = play.toTheEnd();
    const std::vector<std::string> ended = TrackedThrow::ids(end);
    EXPECT_EQ(std::count(ended.begin(), ended.end(), "beat-the-ghost"), 0) << "this throw beat no ghost";
    play.book.noteBest("bounces-10", 4);
    const auto closest = play.tracker.closest(play.book);
    ASSERT_EQ(closest.size(), 2u);
    EXPECT_GE(closest[0].second / closest[0].first->target, closest[1].second / closest[1].first->target);
    for (const auto& [goal, value] : closest)
        EXPECT_FALSE(play.book.isReached(goal->id)) << goal->id;

    // Told at every frame that the throw beat the ghost, the tracker counts it only at the end.
    TrackedThrow ghostly;
    ASSERT_TRUE(ghostly.rig.launchAt(-90.0f));
    GoalFrame frame;
    while (!frame.throwEnded && ghostly.frames < 100000)
        frame = ghostly.step(GameLogicRig::FRAME, true);
    EXPECT_EQ(ghostly.reachedAt["beat-the-ghost"], ghostly.frames);
}

TEST(Goals, TheBookReadsBackWhatItWritesAndRefusesEveryDamagedLine)
{
    GoalBook book;
    book.setTotals(12, 3456.78);
    book.reach("reach-250", "2026-12-09 21:40:12");
    book.reach("reach-250", "2026-12-10 08:00:00"); // later: the first date stays
    book.noteBest("bounces-10", 6);
    book.noteBest("bounces-10", 4);
    GoalBook read;
    std::istringstream lines(book.toText());
    for (std::string line; std::getline(lines, line);)
        EXPECT_NE(read.addLine(line), GoalBook::LINE_DAMAGED) << line;
    EXPECT_EQ(read.toText(), book.toText());
    EXPECT_EQ(read.reachedWhen("reach-250"), "2026-12-09 21:40:12");
    EXPECT_EQ(read.best("bounces-10"), 6.0);
    EXPECT_EQ(progressText(*findGoal("bounces-10"), read.progress(*findGoal("bounces-10"))), "6 / 10 bounces");
    EXPECT_EQ(progressText(*findGoal("total-10km"), read.metres()), "3.4 / 10 km");
    EXPECT_EQ(progressText(*findGoal("full-power"), 88.9), "88 / 96 % power");

    for (const char* bad :
         {"hello", "throws", "throws -3", "throws 1.5", "throws 99999999999", "metres 1e9", "metres nan", "metres 12.",
          "best bounces-10", "best Bounces 3", "best bounces-10 3 4", "reached reach-250 2026-02-30 10:00:00",
          "reached reach-250 2026-12-09 25:00:00", "reached reach-250 2026-12-09", "reached a_b 2026-12-09 10:00:00",
          "reached waytoolongforagoalidwaytoolongforagoal 2026-12-09 10:00:00"})
        EXPECT_EQ(GoalBook().addLine(bad), GoalBook::LINE_DAMAGED) << bad;
    for (const char* empty : {"", "   ", "# a note", "  # indented"})
        EXPECT_EQ(GoalBook().addLine(empty), GoalBook::LINE_EMPTY) << empty;
}

class GoalStoreTest : public ScratchFolderTest {
protected:
    std::string folder() const { return root + "/grov-rage"; }
    std::string file() const { return folder() + "/goals.txt"; }
    // What the store says on the console while it opens.
    std::string opening(GoalStore& store)
    {
        QuietConsole console;
        store.open(folder());
        return console.text();
    }
};

TEST_F(GoalStoreTest, TwoCopiesOfTheGameKeepEveryGoalAndAddUpTheirThrows)
{
    GoalStore first;
    GoalStore second;
    EXPECT_EQ(opening(first), "");
    EXPECT_EQ(opening(second), "");
    GoalBook bests;
    bests.noteBest("bounces-10", 3);
    first.reach("reach-250", WHEN);
    first.addThrow(120.5, bests);
    second.reach("full-power", "2026-12-09 22:00:00");
    bests.noteBest("bounces-10", 7);
    second.addThrow(80.25, bests);
    EXPECT_EQ(second.book().throws(), 2) << "the save merged the other copy's throw";

    GoalStore later;
    EXPECT_EQ(opening(later), "");
    EXPECT_TRUE(later.book().isReached("reach-250"));
    EXPECT_TRUE(later.book().isReached("full-power"));
    EXPECT_EQ(later.book().throws(), 2);
    EXPECT_DOUBLE_EQ(later.book().metres(), 200.75);
    EXPECT_EQ(later.book().best("bounces-10"), 7.0);
}

TEST_F(GoalStoreTest, ADamagedFileKeepsItsGoodLinesAndIsSetAsideOnce)
{
    ASSERT_EQ(::mkdir(folder().c_str(), 0700), 0);
    std::ofstream(file()) << "throws 4\nmetres 900.5\ngarbage here\nreached reach-100 2026-12-09 21:40:12\n"
                          << std::string(500, 'x') << "\n";
    GoalStore store;
    const std::string said = opening(store);
    EXPECT_EQ(said,
              "Goals: " + file()
                  + " is damaged: 2 bad line(s) skipped, 3 good one(s) kept; the damaged file is kept as " + file()
                  + ".bad\n");
    EXPECT_TRUE(store.isSaving());
    EXPECT_EQ(store.book().throws(), 4);
    EXPECT_TRUE(store.book().isReached("reach-100"));
    EXPECT_NE(fileText(file() + ".bad").find("garbage here"), std::string::npos);
    EXPECT_EQ(fileText(file()).find("garbage"), std::string::npos) << "rewritten clean";
    GoalStore again;
    EXPECT_EQ(opening(again), "") << "reported once";

    // Larger than any goals file: damage too, and nothing of it is kept in memory.
    std::ofstream(file()) << std::string(GoalStore::MAX_GOALS_BYTES + 10, '#');
    GoalStore huge;
    EXPECT_NE(opening(huge).find("is damaged"), std::string::npos);
    EXPECT_EQ(huge.book().throws(), 0);

    // Something else in the file's place is left alone, and the goals last for this run.
    std::remove(file().c_str());
    std::remove((file() + ".bad").c_str());
    ASSERT_EQ(::mkdir(file().c_str(), 0700), 0);
    GoalStore blocked;
    EXPECT_EQ(opening(blocked),
              "Goals: " + file() + " is not a file; it is left as it is; goals last for this run only\n");
    EXPECT_FALSE(blocked.isSaving());
    blocked.addThrow(50.0, GoalBook());
    EXPECT_EQ(blocked.book().throws(), 1);
}

TEST_F(GoalStoreTest, AWriteCutOffLeavesTheOldFileAndNoFolderMeansOneLine)
{
    GoalStore store;
    opening(store);
    store.addThrow(10.0, GoalBook());
    const std::string before = fileText(file());
    const pid_t child = fork();
    if (child == 0) {
        AtomicFile cut(file());
        cut.write("throws 99\nmetr");
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(fileText(file()), before);
    GoalStore reopened;
    EXPECT_EQ(opening(reopened), "");
    EXPECT_EQ(reopened.book().throws(), 1);

    // A file where the folder should be: one line, and the game plays on.
    std::ofstream(root + "/plain") << "x";
    GoalStore nowhere;
    QuietConsole console;
    EXPECT_FALSE(nowhere.open(root + "/plain/grov-rage"));
    nowhere.addThrow(20.0, GoalBook());
    nowhere.reach("reach-250", WHEN);
    nowhere.save();
    const std::string lines = console.text();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
    EXPECT_NE(lines.find("goals last for this run only"), std::string::npos);
    EXPECT_TRUE(nowhere.book().isReached("reach-250"));
}

} // namespace
