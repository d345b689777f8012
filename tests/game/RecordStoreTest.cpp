// The records and the ghost files without a window: the order of the ten, two games writing
// at once, every kind of damaged file, and a write cut off by a crash.

#include "QuietConsole.h"
#include "ScratchFolderTest.h"
#include "core/PlayerFile.h"
#include "game/RecordStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void spit(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

ThrowRecord throwOf(double metres, int second = 0)
{
    char when[32];
    std::snprintf(when, sizeof when, "2025-03-14 18:02:%02d", second);
    return ThrowRecord{metres, when};
}

GhostPath flightOf(double seconds, float metres)
{
    GhostPath path;
    GhostPose pose;
    path.start(pose);
    pose.position.z = -metres / 0.7f;
    path.record(seconds, pose);
    path.finish();
    return path;
}

class RecordStoreTest : public ScratchFolderTest {
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        folder = root + "/grov-rage";
    }

    std::string records() const { return folder + "/records.txt"; }
    std::string ghost() const { return folder + "/best-throw.ghost"; }

    std::string folder;
};

TEST(RecordTable, KeepsTheTenLongestLongestFirstAndNamesThePlaces)
{
    RecordTable table;
    const double distances[] = {50, 310.5, 12, 400, 99.99, 250, 7, 180, 65, 333, 120, 88};
    for (int i = 0; i < 12; ++i)
        table.add(throwOf(distances[i], i));
    ASSERT_EQ(table.entries().size(), 10u);
    for (std::size_t i = 1; i < table.entries().size(); ++i)
        EXPECT_GT(table.entries()[i - 1].metres, table.entries()[i].metres);
    EXPECT_EQ(table.entries().back().metres, 50.0) << "12 m and 7 m fell out";
    EXPECT_EQ(table.add(throwOf(3.0, 40)), 0) << "too short for the ten";
    EXPECT_EQ(table.add(throwOf(400.0, 41)), 2) << "the older of two equal throws stays ahead";
    EXPECT_EQ(table.add(throwOf(400.0, 41)), 2) << "the same throw is not entered twice";
    EXPECT_EQ(table.entries().size(), 10u);

    EXPECT_EQ(standingText(1, table), "New record!");
    EXPECT_EQ(standingText(2, table), "2nd best throw");
    EXPECT_EQ(standingText(3, table), "3rd best throw");
    EXPECT_EQ(standingText(10, table), "10th best throw");
    EXPECT_EQ(standingText(0, table), "Best: 400.00 m");
}

TEST(RecordTable, RefusesLinesThatAreNotThrows)
{
    ThrowRecord record;
    EXPECT_EQ(RecordTable::parseLine("412.37 2025-03-14 18:02:51", record), RecordTable::LINE_RECORD);
    EXPECT_EQ(record.metres, 412.37);
    EXPECT_EQ(RecordTable::parseLine("  # a note", record), RecordTable::LINE_EMPTY);
    EXPECT_EQ(RecordTable::parseLine("\r", record), RecordTable::LINE_EMPTY);
    for (const char* bad :
         {"nan 2025-03-14 18:02:51", "inf 2025-03-14 18:02:51", "-5 2025-03-14 18:02:51", "1e308 2025-03-14 18:02:51",
          "99999999 2025-03-14 18:02:51", "412.37 2025-03-14", "412.37 2025-02-30 18:02:51",
          "412.37 2025-03-14 25:00:00", "412.37 2025-03-14 18:02:51 x", "4l2.37 2025-03-14 18:02:51"})
        EXPECT_EQ(RecordTable::parseLine(bad, record), RecordTable::LINE_DAMAGED) << bad;
}

TEST(PlayerFiles, LiveInTheXdgDataFolderOrUnderHome)
{
    EXPECT_EQ(playerDataDirectory("/data", "/home/p"), "/data/grov-rage");
    EXPECT_EQ(playerDataDirectory("relative", "/home/p"), "/home/p/.local/share/grov-rage");
    EXPECT_EQ(playerDataDirectory("", "/home/p"), "/home/p/.local/share/grov-rage");
    EXPECT_EQ(playerDataDirectory(nullptr, nullptr), "");
}

TEST_F(RecordStoreTest, KeepsThrowsAndTheBestGhostFromOneRunToTheNext)
{
    {
        RecordStore store;
        ASSERT_TRUE(store.open(folder));
        EXPECT_EQ(store.addThrow(throwOf(120.0), flightOf(4.0, 120.0f)), 1);
        EXPECT_EQ(store.addThrow(throwOf(80.0, 1), flightOf(3.0, 80.0f)), 2);
        EXPECT_EQ(store.ghost().duration(), 4.0) << "the ghost stays the best throw's";
    }
    EXPECT_NE(slurp(records()).find("120.00 2025-03-14 18:02:00\n80.00 2025-03-14 18:02:01\n"), std::string::npos);
    RecordStore again;
    QuietConsole console;
    ASSERT_TRUE(again.open(folder));
    EXPECT_EQ(again.table().entries().size(), 2u);
    EXPECT_EQ(again.ghost().duration(), 4.0);
    EXPECT_EQ(console.text(), "") << "good files say nothing";
}

TEST_F(RecordStoreTest, TwoGamesWritingAtOnceBothKeepTheirThrows)
{
    RecordStore first;
    RecordStore second;
    ASSERT_TRUE(first.open(folder));
    ASSERT_TRUE(second.open(folder));
    first.addThrow(throwOf(100.0, 1), flightOf(2.0, 100.0f));
    // The second game never read the first one's throw, and still learns its place.
    EXPECT_EQ(second.addThrow(throwOf(90.0, 2), flightOf(2.0, 90.0f)), 2);
    EXPECT_EQ(second.ghost().duration(), 2.0) << "the other game's best brings its ghost";

    // Processes racing for real: each of four adds five throws.
    for (int child = 0; child < 4; ++child)
        if (::fork() == 0) {
            RecordStore store;
            store.open(folder);
            for (int i = 0; i < 5; ++i)
                store.addThrow(throwOf(10.0 + child * 5 + i, child * 5 + i), GhostPath());
            ::_exit(0);
        }
    for (int child = 0; child < 4; ++child)
        ::wait(nullptr);
    RecordStore after;
    after.open(folder);
    ASSERT_EQ(after.table().entries().size(), 10u);
    EXPECT_EQ(after.table().entries()[2].metres, 29.0) << "the children's longest eight follow the two";
    EXPECT_EQ(after.table().entries()[9].metres, 22.0);
}

TEST_F(RecordStoreTest, ADamagedFileKeepsItsGoodLinesAndACopy)
{
    const std::string good = "300.00 2025-03-14 18:02:01\n150.50 2025-03-14 18:02:02\n";
    std::string randomBytes(3000, '\0');
    for (std::size_t i = 0; i < randomBytes.size(); ++i)
        randomBytes[i] = char((i * 2654435761u) >> 13);
    const std::pair<const char*, std::string> damages[] = {
        {"random bytes", good + randomBytes},
        {"cut short", good + "77.1 2025-03"},
        {"absurd numbers", good + "123456789.00 2025-03-14 18:02:03\n5.00 9999-99-99 99:99:99\n"},
        {"NaN", "nan 2025-03-14 18:02:03\n" + good},
        {"a megabyte line", good.substr(0, 27) + std::string(1 << 20, '7') + "\n" + good.substr(27)},
    };
    for (const auto& [name, bytes] : damages) {
        SCOPED_TRACE(name);
        std::system(("rm -rf '" + folder + "'").c_str());
        ::mkdir(folder.c_str(), 0700);
        spit(records(), bytes);
        QuietConsole console;
        RecordStore store;
        ASSERT_TRUE(store.open(folder));
        EXPECT_NE(console.text().find("Records: " + records() + " is damaged"), std::string::npos) << console.text();
        ASSERT_EQ(store.table().entries().size(), 2u);
        EXPECT_EQ(store.table().entries()[1].metres, 150.5);
        EXPECT_EQ(slurp(records() + ".bad"), bytes) << "the damaged file as it was";
        EXPECT_EQ(store.addThrow(throwOf(200.0, 9), GhostPath()), 2);
        const std::string said = console.text();
        EXPECT_EQ(said.find("is damaged", said.find("is damaged") + 1), std::string::npos) << "reported once: " << said;
        EXPECT_NE(slurp(records()).find("300.00 2025-03-14 18:02:01\n200.00"), std::string::npos);
    }
}

TEST_F(RecordStoreTest, WithoutAUsableFolderTheGamePlaysOnForThisRun)
{
    ::mkdir(folder.c_str(), 0700);
    ::mkdir(records().c_str(), 0700);
    {
        QuietConsole console;
        RecordStore store;
        EXPECT_FALSE(store.open(folder));
        EXPECT_NE(console.text().find(records() + " is not a file"), std::string::npos) << console.text();
        EXPECT_EQ(store.addThrow(throwOf(50.0), flightOf(1.0, 50.0f)), 1) << "this run still has its table";
        EXPECT_EQ(store.ghost().duration(), 1.0);
    }
    struct stat info {};
    EXPECT_TRUE(::stat(records().c_str(), &info) == 0 && S_ISDIR(info.st_mode)) << "left as it was";

    spit(root + "/file", "not a folder");
    const std::string unusable[] = {"", root + "/file/grov-rage", "/proc/grov-rage"};
    for (const std::string& place : unusable) {
        QuietConsole console;
        RecordStore store;
        EXPECT_FALSE(store.open(place)) << place;
        EXPECT_NE(console.text().find("records last for this run only"), std::string::npos) << console.text();
        EXPECT_EQ(console.text().find('\n'), console.text().size() - 1) << "said once: " << console.text();
        EXPECT_EQ(store.addThrow(throwOf(50.0), GhostPath()), 1);
    }
}

TEST_F(RecordStoreTest, ADamagedOrStrayGhostIsIgnored)
{
    {
        RecordStore store;
        store.open(folder);
        store.addThrow(throwOf(120.0), flightOf(4.0, 120.0f));
    }
    const std::string saved = slurp(ghost());
    const std::string header = saved.substr(0, saved.find("samples"));
    const std::pair<const char*, std::string> ghosts[] = {
        {"belongs to the throw",
         "grov-rage ghost 1\nthrow 99.00 2025-03-14 18:02:00" + saved.substr(saved.find("\ninterval"))},
        {"does not fit its duration", header + "samples 18000\n0 0 0 0 0\n"},
        {"cut short", saved.substr(0, saved.rfind('\n', saved.size() - 2) + 1)},
        {"sample 1 is damaged", header + "samples 121\n" + std::string(121, '\n')},
        {"not a ghost file", std::string(100, '\xff') + "\n\xfe\n"},
        {"line far too long", std::string(5000, '\xff')},
    };
    for (const auto& [problem, bytes] : ghosts) {
        SCOPED_TRACE(problem);
        spit(ghost(), bytes);
        QuietConsole console;
        RecordStore store;
        store.open(folder);
        EXPECT_TRUE(store.ghost().empty());
        EXPECT_NE(console.text().find("Ghost: " + ghost() + " is ignored"), std::string::npos) << console.text();
        EXPECT_NE(console.text().find(problem), std::string::npos) << console.text();
        EXPECT_EQ(store.table().entries().size(), 1u) << "the records do not suffer";
    }
}

TEST_F(RecordStoreTest, AWriteCutOffByACrashLeavesTheOldFileWhole)
{
    {
        RecordStore store;
        store.open(folder);
        store.addThrow(throwOf(120.0), GhostPath());
    }
    const std::string before = slurp(records());
    const pid_t child = ::fork();
    if (child == 0) {
        // Dies in the middle of writing the replacement, as a crash would.
        AtomicFile file(records());
        file.write("500.00 2025-03-14 18:0");
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(slurp(records()), before);

    QuietConsole console;
    RecordStore store;
    ASSERT_TRUE(store.open(folder));
    EXPECT_EQ(console.text(), "") << "the half-written file beside it is no damage";
    ASSERT_EQ(store.table().entries().size(), 1u);
    EXPECT_EQ(store.addThrow(throwOf(60.0, 1), GhostPath()), 2);
}

} // namespace
