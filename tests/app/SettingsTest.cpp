#include "app/Settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

Settings fromText(const std::string& text)
{
    std::istringstream in(text);
    return Settings(in);
}

TEST(Settings, ReadsTheDefaultFile)
{
    Settings settings = fromText("FULLSCREEN 0\nWIDTH 1024\nHEIGHT 768\n");
    EXPECT_EQ(settings.getInt("FULLSCREEN"), 0);
    EXPECT_EQ(settings.getInt("WIDTH"), 1024);
    EXPECT_EQ(settings.getInt("HEIGHT"), 768);
}

TEST(Settings, AbsentKeysAndEmptyFileGiveMinusOne)
{
    Settings empty = fromText("");
    EXPECT_EQ(empty.getInt("FULLSCREEN"), -1);
    EXPECT_EQ(empty.getInt("WIDTH"), -1);
    EXPECT_EQ(empty.getInt("HEIGHT"), -1);
    // Keys are exact, case-sensitive byte strings.
    EXPECT_EQ(fromText("width 800").getInt("WIDTH"), -1);
}

TEST(Settings, ValuesAreReadLikeAtoi)
{
    EXPECT_EQ(fromText("WIDTH 800px").getInt("WIDTH"), 800);
    EXPECT_EQ(fromText("WIDTH abc").getInt("WIDTH"), 0);
    EXPECT_EQ(fromText("WIDTH -12").getInt("WIDTH"), -12);
    EXPECT_EQ(fromText("WIDTH +7x").getInt("WIDTH"), 7);
}

TEST(Settings, TokensPairUpAcrossLines)
{
    Settings settings = fromText("WIDTH\n\n  800\tHEIGHT\t600");
    EXPECT_EQ(settings.getInt("WIDTH"), 800);
    EXPECT_EQ(settings.getInt("HEIGHT"), 600);
    EXPECT_EQ(fromText("WIDTH=1024").getInt("WIDTH"), -1);
}

TEST(Settings, OddTrailingTokenIsDropped)
{
    EXPECT_EQ(fromText("WIDTH").getInt("WIDTH"), -1);
    Settings settings = fromText("HEIGHT 600 WIDTH");
    EXPECT_EQ(settings.getInt("HEIGHT"), 600);
    EXPECT_EQ(settings.getInt("WIDTH"), -1);
}

TEST(Settings, RepeatedKeyKeepsTheLastValue)
{
    EXPECT_EQ(fromText("FULLSCREEN 1\nWIDTH 800\nFULLSCREEN 0\n").getInt("FULLSCREEN"), 0);
}

// A line that starts with "#" is a comment, whatever its tokens, so the game can keep a
// player's notes when it writes the file; a "#" later in a line is an ordinary token.
TEST(Settings, CommentLinesAreSkipped)
{
    EXPECT_EQ(fromText("# note\nWIDTH 800\n").getInt("WIDTH"), 800);
    EXPECT_EQ(fromText("#note\nWIDTH 800\n").getInt("WIDTH"), 800);
    Settings settings = fromText("  # FULLSCREEN 1 and WIDTH\nFULLSCREEN 0\nWIDTH 800 #wide\n");
    EXPECT_EQ(settings.getInt("FULLSCREEN"), 0);
    EXPECT_EQ(settings.getInt("WIDTH"), 800);
    EXPECT_EQ(settings.getInt("#wide"), -1) << "an odd token at the end is dropped";
}

TEST(Settings, PercentagesDefaultToAHundredAndAreClampedWithALine)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(fromText("").getPercent("MUSIC_VOLUME"), 100);
    EXPECT_EQ(fromText("MUSIC_VOLUME 0").getPercent("MUSIC_VOLUME"), 0);
    EXPECT_EQ(fromText("MUSIC_VOLUME 50").getPercent("MUSIC_VOLUME"), 50);
    EXPECT_EQ(fromText("EFFECTS_VOLUME 100").getPercent("EFFECTS_VOLUME"), 100);
    // Read as every other number is: what atoi makes of it.
    EXPECT_EQ(fromText("EFFECTS_VOLUME loud").getPercent("EFFECTS_VOLUME"), 0);
    EXPECT_EQ(fromText("EFFECTS_VOLUME 70%").getPercent("EFFECTS_VOLUME"), 70);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    testing::internal::CaptureStdout();
    EXPECT_EQ(fromText("MUSIC_VOLUME 150").getPercent("MUSIC_VOLUME"), 100);
    EXPECT_EQ(fromText("EFFECTS_VOLUME -1").getPercent("EFFECTS_VOLUME"), 0);
    // Far beyond an int, still the top, not a number wrapped back into range.
    EXPECT_EQ(fromText("MUSIC_VOLUME 99999999999999999999").getPercent("MUSIC_VOLUME"), 100);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "settings.txt: MUSIC_VOLUME 150 is outside 0 to 100, using 100\n"
              "settings.txt: EFFECTS_VOLUME -1 is outside 0 to 100, using 0\n"
              "settings.txt: MUSIC_VOLUME 99999999999999999999 is outside 0 to 100, using 100\n");
}

TEST(Settings, AChoiceDefaultsToItsFirstWordAndNamesAnUnknownOne)
{
    const std::vector<std::string> qualities{"AUTO", "FULL"};
    testing::internal::CaptureStdout();
    EXPECT_EQ(fromText("").getChoice("QUALITY", qualities), "AUTO");
    EXPECT_EQ(fromText("QUALITY FULL").getChoice("QUALITY", qualities), "FULL");
    EXPECT_EQ(fromText("QUALITY full").getChoice("QUALITY", qualities), "FULL");
    EXPECT_EQ(fromText("QUALITY Auto").getChoice("QUALITY", qualities), "AUTO");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    testing::internal::CaptureStdout();
    EXPECT_EQ(fromText("QUALITY FAST").getChoice("QUALITY", qualities), "AUTO");
    EXPECT_EQ(fromText("QUALITY 1").getChoice("QUALITY", qualities), "AUTO");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "settings.txt: QUALITY FAST is not AUTO or FULL, using AUTO\n"
              "settings.txt: QUALITY 1 is not AUTO or FULL, using AUTO\n");
}

TEST(Settings, MissingOrUnreadableFileReportsAndLeavesEverythingAbsent)
{
    // A directory in the file's place opens, but every read of it fails.
    char directory[] = "/tmp/grov-settings-dir-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    for (const std::string& path : {std::string("/nonexistent/settings.txt"), std::string(directory)}) {
        testing::internal::CaptureStdout();
        Settings settings(path);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: Could not find setting.txt\n") << path;
        EXPECT_EQ(settings.getInt("WIDTH"), -1) << path;
    }
    rmdir(directory);
}

TEST(Settings, EmptyFileReportsNothing)
{
    char path[] = "/tmp/grov-settings-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    testing::internal::CaptureStdout();
    Settings settings(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(settings.getInt("HEIGHT"), -1);
    std::remove(path);
}

} // namespace
