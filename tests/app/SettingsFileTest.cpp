// Settings written back: nothing else in the file is lost, the write is atomic, a link stays a
// link, and a file that cannot be written is named while the change still holds.

#include "FileText.h"
#include "ScratchFolderTest.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "core/PlayerFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(SettingsText, ALineChangesInPlaceAndANewKeyGoesAtTheEnd)
{
    const std::string text = "# my window\nFULLSCREEN 0\nWIDTH 1024   # wide\nMY_OWN_KEY yes\nWIDTH 800\n"
                             "HEIGHT 768";
    // The later WIDTH is the one read, so it is the one changed; the rest stays, to the byte.
    EXPECT_EQ(withSetting(text, "WIDTH", "1280"),
              "# my window\nFULLSCREEN 0\nWIDTH 1024   # wide\n"
              "MY_OWN_KEY yes\nWIDTH 1280\nHEIGHT 768\n");
    EXPECT_EQ(withSetting(text, "MUSIC_VOLUME", "50"), text + "\nMUSIC_VOLUME 50\n");
    EXPECT_EQ(withSetting("", "GHOST", "0"), "GHOST 0\n");
    // A comment that names a key is no setting of it.
    EXPECT_EQ(withSetting("# GHOST 1\n", "GHOST", "0"), "# GHOST 1\nGHOST 0\n");
}

class SettingsFileTest : public ScratchFolderTest {};

TEST_F(SettingsFileTest, ASavedChangeIsReadBackAndTheLinkToTheFileStays)
{
    const std::string real = root + "/config-settings.txt";
    const std::string link = root + "/settings.txt";
    std::ofstream(real) << "# mine\nFULLSCREEN 0\nWIDTH 1024\n";
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);

    testing::internal::CaptureStdout();
    Settings settings(link);
    EXPECT_TRUE(settings.set("MUSIC_VOLUME", "50"));
    EXPECT_TRUE(settings.set("WIDTH", "800"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(settings.getPercent("MUSIC_VOLUME"), 50);

    struct stat info {};
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    EXPECT_EQ(fileText(real), "# mine\nFULLSCREEN 0\nWIDTH 800\nMUSIC_VOLUME 50\n");
    EXPECT_EQ(Settings(link).getInt("WIDTH"), 800);
    // Only the file itself is left in the folder: no temporary file stays behind.
    EXPECT_EQ(std::system(("test $(ls -A '" + root + "' | wc -l) -eq 2").c_str()), 0);

    // A missing file is made.
    std::string error;
    EXPECT_TRUE(saveSetting(root + "/new.txt", "GHOST", "0", error)) << error;
    EXPECT_EQ(fileText(root + "/new.txt"), "GHOST 0\n");
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenIsNamedAndTheChangeStillHolds)
{
    // A folder in the way of the file: read as missing, and nothing can be written there.
    const std::string path = root + "/settings.txt";
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    testing::internal::CaptureStdout();
    Settings settings(path);
    EXPECT_FALSE(settings.set("WIDTH", "800"));
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_NE(console.find(path + ": could not save WIDTH 800: " + path + " is not a file\n"), std::string::npos)
        << console;
    EXPECT_EQ(settings.getInt("WIDTH"), 800) << "the change holds until the game closes";

    // A file whose folder is a file cannot be made; a link to nothing is not replaced by one.
    std::ofstream(root + "/plain") << "x";
    std::string error;
    EXPECT_FALSE(saveSetting(root + "/plain/settings.txt", "WIDTH", "800", error));
    EXPECT_FALSE(error.empty());
    const std::string dangling = root + "/dangling.txt";
    ASSERT_EQ(symlink((root + "/gone.txt").c_str(), dangling.c_str()), 0);
    EXPECT_FALSE(saveSetting(dangling, "WIDTH", "800", error));
    EXPECT_EQ(error, dangling + " is a link to nothing");
}

TEST_F(SettingsFileTest, AWriteCutOffMidwayLeavesTheOldFileWholeAndTheNextSaveGoesThrough)
{
    const std::string path = root + "/settings.txt";
    const std::string before = "# mine\nKEY_THROW ENTER\nWIDTH 1024\n";
    std::ofstream(path) << before;
    const pid_t child = fork();
    if (child == 0) {
        // Dies in the middle of writing the replacement, as a crash would.
        AtomicFile file(path);
        file.write("# mine\nKEY_THR");
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(fileText(path), before);

    // A rebinding with its swap is one write of both keys.
    Settings settings(path);
    std::string error;
    EXPECT_TRUE(settings.set({{"KEY_THROW", "F5"}, {"KEY_MIPMAP", "ENTER"}}, error)) << error;
    EXPECT_EQ(fileText(path), "# mine\nKEY_THROW F5\nWIDTH 1024\nKEY_MIPMAP ENTER\n");
}

} // namespace
