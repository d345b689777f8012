// Where F12 screenshots go and what they are called, without a window.

#include "ScratchFolderTest.h"
#include "core/PlayerFile.h"
#include "core/ScreenshotPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ScreenshotPathTest : public ScratchFolderTest {};

std::tm at(int year, int month, int day, int hour, int minute, int second)
{
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

} // namespace

TEST_F(ScreenshotPathTest, FolderIsThePicturesDirThenPicturesInHomeThenThePlayerData)
{
    const std::string home = root + "/home";
    ASSERT_EQ(::mkdir(home.c_str(), 0700), 0);
    const std::string data = root + "/data";

    EXPECT_EQ(screenshotFolder("/shots/here", home.c_str(), data.c_str()), "/shots/here");
    // No ~/Pictures: the player's data folder, from XDG_DATA_HOME or else from HOME.
    EXPECT_EQ(screenshotFolder(nullptr, home.c_str(), data.c_str()), data + "/grov-rage/screenshots");
    EXPECT_EQ(screenshotFolder("", home.c_str(), nullptr), home + "/.local/share/grov-rage/screenshots");
    // A relative XDG_PICTURES_DIR counts for nothing, as with the other XDG variables.
    EXPECT_EQ(screenshotFolder("Pictures", home.c_str(), data.c_str()), data + "/grov-rage/screenshots");

    ASSERT_EQ(::mkdir((home + "/Pictures").c_str(), 0700), 0);
    EXPECT_EQ(screenshotFolder(nullptr, home.c_str(), data.c_str()), home + "/Pictures");
    EXPECT_EQ(screenshotFolder("/shots/here", home.c_str(), data.c_str()), "/shots/here");

    EXPECT_EQ(screenshotFolder(nullptr, nullptr, nullptr), "");
}

TEST_F(ScreenshotPathTest, NamesCarryTheLocalTimeAndANumberWhenTheNameIsTaken)
{
    const std::tm time = at(2026, 12, 8, 22, 15, 0);
    EXPECT_EQ(screenshotFileName(time, 1), "grov-rage-20261208-221500.png");
    EXPECT_EQ(screenshotFileName(at(2027, 1, 2, 3, 4, 5), 1), "grov-rage-20270102-030405.png");

    EXPECT_EQ(freeScreenshotPath(root, time), root + "/grov-rage-20261208-221500.png");
    std::ofstream(root + "/grov-rage-20261208-221500.png") << "taken";
    EXPECT_EQ(freeScreenshotPath(root, time), root + "/grov-rage-20261208-221500-2.png");
    // A dangling link takes its name too: writing through it would land elsewhere.
    ASSERT_EQ(::symlink((root + "/nowhere").c_str(), (root + "/grov-rage-20261208-221500-2.png").c_str()), 0);
    EXPECT_EQ(freeScreenshotPath(root, time), root + "/grov-rage-20261208-221500-3.png");
}

TEST_F(ScreenshotPathTest, ANameTakenWhileWritingIsLeftAsItWas)
{
    const std::string path = root + "/grov-rage-20261208-221500.png";
    AtomicFile file(path);
    ASSERT_TRUE(file.write("new picture"));
    std::ofstream(path) << "another program's";
    EXPECT_FALSE(file.commitAsNew());
    EXPECT_TRUE(file.nameTaken());
    std::stringstream kept;
    kept << std::ifstream(path).rdbuf();
    EXPECT_EQ(kept.str(), "another program's");
    EXPECT_EQ(::access(file.temporaryPath().c_str(), F_OK), -1);

    AtomicFile fresh(root + "/free.png");
    ASSERT_TRUE(fresh.write("picture"));
    EXPECT_TRUE(fresh.commitAsNew());
    EXPECT_EQ(::access((root + "/free.png").c_str(), F_OK), 0);
    EXPECT_EQ(::access(fresh.temporaryPath().c_str(), F_OK), -1);
}
