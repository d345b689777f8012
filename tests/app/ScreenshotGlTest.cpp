// A drawn frame, captured and written as the F12 screenshot, comes back from the PNG pixel for
// pixel as GL has it; and the window icon takes the images that load and skips the rest.

#include "app/ScreenshotWriter.h"
#include "app/WindowIcon.h"
#include "render/FrameCapture.h"

#include "GlTestContext.h"
#include "ScratchFolderTest.h"

#include <gtest/gtest.h>

#include <FreeImage.h>
#include <GL/glew.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

// Rows of 70 pixels are 210 bytes, not a multiple of four: row padding would show.
constexpr int FRAME_WIDTH = 70;
constexpr int FRAME_HEIGHT = 50;

class ScreenshotGlTest : public ScratchFolderTest {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open(FRAME_WIDTH, FRAME_HEIGHT))
            GTEST_SKIP() << "no OpenGL 3.3 context";
        ScratchFolderTest::SetUp();
    }
};

void fillRect(int x, int y, int width, int height, float r, float g, float b)
{
    glScissor(x, y, width, height);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

// Red ground, a green block at the bottom left and a blue band along the top: no mirror or
// turn of the picture looks the same.
void drawKnownFrame()
{
    glEnable(GL_SCISSOR_TEST);
    fillRect(0, 0, FRAME_WIDTH, FRAME_HEIGHT, 1.0f, 0.0f, 0.0f);
    fillRect(0, 0, 20, 10, 0.0f, 1.0f, 0.0f);
    fillRect(0, FRAME_HEIGHT - 5, FRAME_WIDTH, 5, 0.0f, 0.0f, 1.0f);
    fillRect(FRAME_WIDTH - 3, 17, 3, 3, 0.25f, 0.5f, 0.75f);
    glDisable(GL_SCISSOR_TEST);
}

void writeIcon(const std::string& path, int side)
{
    FIBITMAP* image = FreeImage_Allocate(side, side, 32);
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, image, path.c_str(), 0));
    FreeImage_Unload(image);
}

} // namespace

TEST_F(ScreenshotGlTest, TheSavedPngIsTheFrameAsGlReadsIt)
{
    drawKnownFrame();
    glFinish();
    std::vector<unsigned char> expected(std::size_t(FRAME_WIDTH) * FRAME_HEIGHT * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, FRAME_WIDTH, FRAME_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, expected.data());

    const CapturedFrame frame = captureBackBuffer(FRAME_WIDTH, FRAME_HEIGHT);
    ASSERT_EQ(frame.width, FRAME_WIDTH);
    std::tm time{};
    const ScreenshotResult result = writeScreenshot(frame, root, time);
    ASSERT_TRUE(result.saved) << result.error;

    FIBITMAP* image = FreeImage_Load(FreeImage_GetFileType(result.path.c_str(), 0), result.path.c_str(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FreeImage_GetFileType(result.path.c_str(), 0), FIF_PNG);
    ASSERT_EQ(FreeImage_GetWidth(image), unsigned(FRAME_WIDTH));
    ASSERT_EQ(FreeImage_GetHeight(image), unsigned(FRAME_HEIGHT));
    int wrong = 0;
    // FreeImage counts rows from the bottom, as GL does; the PNG itself stores them top-down.
    for (int y = 0; y < FRAME_HEIGHT; ++y) {
        for (int x = 0; x < FRAME_WIDTH; ++x) {
            RGBQUAD pixel{};
            FreeImage_GetPixelColor(image, unsigned(x), unsigned(y), &pixel);
            const unsigned char* want = &expected[(std::size_t(y) * FRAME_WIDTH + x) * 4];
            wrong += pixel.rgbRed != want[0] || pixel.rgbGreen != want[1] || pixel.rgbBlue != want[2];
        }
    }
    EXPECT_EQ(wrong, 0);
    RGBQUAD top{};
    FreeImage_GetPixelColor(image, 30, FRAME_HEIGHT - 1, &top);
    EXPECT_EQ(top.rgbBlue, 255);
    EXPECT_EQ(top.rgbRed, 0);
    FreeImage_Unload(image);
}

TEST_F(ScreenshotGlTest, TheIconTakesTheImagesThatLoad)
{
    ASSERT_NO_FATAL_FAILURE(writeIcon(root + "/grov-rage-64.png", 64));
    std::ofstream(root + "/grov-rage-128.png") << "not a png at all";
    testing::internal::CaptureStdout();
    const int sizes = setWindowIcon(GlTestContext::window(), root);
    const int none = setWindowIcon(GlTestContext::window(), root + "/missing");
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(sizes, 1);
    EXPECT_EQ(none, 0);
    EXPECT_NE(console.find(root + "/grov-rage-128.png"), std::string::npos) << console;
    EXPECT_NE(console.find(root + "/grov-rage-256.png"), std::string::npos) << console;
    EXPECT_NE(console.find(root + "/missing/grov-rage-64.png"), std::string::npos) << console;
}
