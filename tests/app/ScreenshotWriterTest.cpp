// Writing screenshots off the main thread: the file appears whole or not at all, a folder
// that cannot be written is reported, and quitting right after F12 still writes the file.

#include "ScratchFolderTest.h"
#include "app/ScreenshotWriter.h"

#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ScreenshotWriterTest : public ScratchFolderTest {
protected:
    std::set<std::string> entries(const std::string& folder) const
    {
        std::set<std::string> names;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (dirent* entry = ::readdir(dir))
                if (entry->d_name[0] != '.')
                    names.insert(entry->d_name);
            ::closedir(dir);
        }
        return names;
    }
};

CapturedFrame greyFrame(int width, int height)
{
    CapturedFrame frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(std::size_t(width) * height * 3, 128);
    return frame;
}

std::tm someTime()
{
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 8;
    time.tm_hour = 22;
    time.tm_min = 15;
    return time;
}

} // namespace

TEST_F(ScreenshotWriterTest, QuittingRightAfterSavingStillWritesEveryFileWhole)
{
    const std::string folder = root + "/new/shots";
    {
        ScreenshotWriter writer;
        ASSERT_TRUE(writer.save(greyFrame(30, 20), folder, someTime()));
        ASSERT_TRUE(writer.save(greyFrame(30, 20), folder, someTime()));
    }
    // Two in the same second: the second gets a number; no temporary file stays behind.
    EXPECT_EQ(entries(folder),
              (std::set<std::string>{"grov-rage-20261208-221500.png", "grov-rage-20261208-221500-2.png"}));
    FIBITMAP* image = FreeImage_Load(FIF_PNG, (folder + "/grov-rage-20261208-221500-2.png").c_str(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(image), 30u);
    EXPECT_EQ(FreeImage_GetHeight(image), 20u);
    FreeImage_Unload(image);
}

TEST_F(ScreenshotWriterTest, AFolderThatCannotBeMadeIsReportedByName)
{
    // Running as root, permissions stop nothing; a regular file where a folder must go does.
    std::ofstream(root + "/file") << "in the way";
    const std::string folder = root + "/file/shots";

    ScreenshotWriter writer;
    ASSERT_TRUE(writer.save(greyFrame(8, 8), folder, someTime()));
    writer.finish();
    ScreenshotResult result;
    ASSERT_TRUE(writer.poll(result));
    EXPECT_FALSE(result.saved);
    EXPECT_NE(result.error.find(root + "/file"), std::string::npos) << result.error;
    EXPECT_FALSE(result.reason.empty());
    EXPECT_FALSE(writer.poll(result));

    const ScreenshotResult none = writeScreenshot(greyFrame(8, 8), "", someTime());
    EXPECT_FALSE(none.saved);
    EXPECT_NE(none.error.find("HOME"), std::string::npos) << none.error;
}
