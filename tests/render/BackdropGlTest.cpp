// The kept ground and sky of a still view: when it is drawn whole, when one band, and that the
// bands together are the whole picture, each row from exactly one of them.

#include "GlTestContext.h"
#include "render/Backdrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int WIDTH = 40;
constexpr int HEIGHT = 30; // not a multiple of the bands: the last takes the rest

class BackdropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        target.resize(WIDTH, HEIGHT);
        target.create();
        view.width = WIDTH;
        view.height = HEIGHT;
    }
    void TearDown() override
    {
        backdrop.release();
        target.release();
    }

    // One frame whose still part is a clear to this frame's own shade of red; the light moves
    // on a little, or jumps.
    Backdrop::Drawn frame(bool lightSteady = true)
    {
        ++frames;
        light += lightSteady ? 0.1 : 2.0 * Backdrop::LIGHT_JUMP_DEGREES;
        return backdrop.draw(view, light, target, [this] {
            glClearColor(float(frames) / 255.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        });
    }

    // The frame each row of the target was last drawn in, from its red.
    std::vector<int> rowFrames()
    {
        std::vector<unsigned char> pixels(std::size_t(WIDTH) * HEIGHT * 4);
        glBindFramebuffer(GL_FRAMEBUFFER, GLuint(target.framebuffer()));
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        std::vector<int> rows;
        for (int y = 0; y < HEIGHT; ++y)
            rows.push_back(pixels[std::size_t(y) * WIDTH * 4]);
        return rows;
    }

    Framebuffer target;
    Backdrop backdrop;
    Backdrop::View view;
    int frames = 0;
    double light = 359.7; // round past 360 on the way
};

TEST_F(BackdropTest, AStillViewIsKeptFromItsSecondFrameAndRedrawnBandByBand)
{
    EXPECT_EQ(frame(), Backdrop::Drawn::Whole);
    EXPECT_FALSE(backdrop.isKept()) << "a view seen once may be moving";
    EXPECT_EQ(frame(), Backdrop::Drawn::Whole);
    EXPECT_TRUE(backdrop.isKept());
    const int keptFrame = frames;

    // Each still frame shades one band again; after BANDS of them every row is new, and each
    // band shows the frame that drew it.
    std::vector<int> bandFrames;
    for (int band = 0; band < Backdrop::BANDS; ++band) {
        EXPECT_EQ(frame(), Backdrop::Drawn::OneBand);
        bandFrames.push_back(frames);
    }
    // Bottom to top, band by band: no row left from the kept picture, none drawn twice.
    const std::vector<int> rows = rowFrames();
    for (int band = 0; band < Backdrop::BANDS; ++band) {
        const int drawn = int(std::count(rows.begin(), rows.end(), bandFrames[std::size_t(band)]));
        EXPECT_GE(drawn, HEIGHT / Backdrop::BANDS) << "band " << band;
    }
    EXPECT_EQ(std::count(rows.begin(), rows.end(), keptFrame), 0);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
}

TEST_F(BackdropTest, AnyChangeToTheViewOrAJumpOfTheLightDrawsTheWholePicture)
{
    frame();
    frame();
    ASSERT_EQ(frame(), Backdrop::Drawn::OneBand);

    view.settings = 1; // wireframe, say
    EXPECT_EQ(frame(), Backdrop::Drawn::Whole);
    EXPECT_FALSE(backdrop.isKept());
    EXPECT_EQ(frame(), Backdrop::Drawn::Whole);
    EXPECT_EQ(frame(), Backdrop::Drawn::OneBand);

    view.viewProjection[3][0] += 0.001f; // the camera moves a little
    EXPECT_EQ(frame(), Backdrop::Drawn::Whole);
    frame();
    EXPECT_EQ(frame(false), Backdrop::Drawn::Whole);
    EXPECT_EQ(frame(), Backdrop::Drawn::Whole) << "kept again only once the light is steady";
    EXPECT_EQ(frame(), Backdrop::Drawn::OneBand);
}

} // namespace
