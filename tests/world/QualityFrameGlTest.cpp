// Whole game frames (landscape, Grov, tanks, sky and HUD) read back with glReadPixels. With
// QUALITY FULL they must be the same with culling off and on: while aiming, in flight, and
// from the free camera behind the start and looking straight down. AUTO's picture (far ground
// with less detail and cheaper shading, drawn nearest first, single-sampled) must stay close to
// FULL's from the same poses, at render scale 1 and at the lowest scale it may take, and its
// ground must have no cracks; in the game's usual window and on a full HD screen.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "ManualClock.h"
#include "ScriptedInput.h"
#include "game/GameLogic.h"
#include "game/World.h"
#include "render/MovableCamera.h"
#include "render/SceneObject.h"
#include "render/ShaderCache.h"
#include "render/Terrain.h"
#include "render/TextureManager.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct FrameSize {
    int width;
    int height;
};
// The hidden window is made for the largest size; the smaller frames use its lower left.
constexpr FrameSize largestFrame{1920, 1080};

// A window at least this large, growing the test binary's hidden one if needed.
bool windowOfAtLeast(FrameSize size)
{
    if (!GlTestContext::open(largestFrame.width, largestFrame.height))
        return false;
    int width = 0, height = 0;
    glfwGetFramebufferSize(GlTestContext::window(), &width, &height);
    if (width < size.width || height < size.height) {
        glfwSetWindowSize(GlTestContext::window(), std::max(width, size.width), std::max(height, size.height));
        glfwPollEvents();
        glfwGetFramebufferSize(GlTestContext::window(), &width, &height);
    }
    return width >= size.width && height >= size.height;
}
// Long steps (the game takes any step up to a second), so the throw gets to its flight in few
// frames.
constexpr double playStep = 0.1; // seconds

class QualityFrameTest : public testing::TestWithParam<FrameSize> {
protected:
    void SetUp() override
    {
        if (!windowOfAtLeast(GetParam()))
            GTEST_SKIP() << "no OpenGL 3.3 context of " << frameWidth << " x " << frameHeight;
        directory = std::make_unique<ScopedWorkingDirectory>(GROV_GAME_DIR);
        input.windowWidth = frameWidth;
        input.windowHeight = frameHeight;
        input.mouseX = frameWidth / 2;
        input.mouseY = frameHeight / 2;
        cache.createDefaultEntry();
        world.init(&cache);
        world.setQuality(RenderQuality::Full);
        glViewport(0, 0, frameWidth, frameHeight);
        world.onResize(frameWidth, frameHeight);
    }

    void TearDown() override
    {
        if (!directory)
            return;
        world.release();
        cache.clear();
        TextureManager::destroy();
        cullingEnabled = true;
    }

    // The frame as it stands, drawn again without moving anything on.
    std::vector<unsigned char> redraw(bool culling)
    {
        cullingEnabled = culling;
        world.frame(0.0, 0.0);
        return readBack();
    }

    std::vector<unsigned char> readBack() const
    {
        std::vector<unsigned char> pixels(std::size_t(frameWidth) * frameHeight * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, frameWidth, frameHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    void expectSameFrameEitherWay()
    {
        const std::vector<unsigned char> off = redraw(false);
        ASSERT_EQ(redraw(false), off) << "the frame must not change by itself, or the comparison means nothing";
        EXPECT_TRUE(redraw(true) == off) << "culling changed the picture";
        EXPECT_LT(world.terrainNow()->culling().drawnIndices(), world.terrainNow()->indexCount() / 2);
        expectAutoCloseTo(off);
    }

    // AUTO against the reference picture, as a peak signal-to-noise ratio: at render scale 1,
    // and at the floor of this window (a pin of 0 is held up to it).
    void expectAutoCloseTo(const std::vector<unsigned char>& reference)
    {
        world.setQuality(RenderQuality::Auto);
        for (const auto& [scale, floorDb] : {std::pair{1.0, 35.0}, std::pair{0.0, 33.0}}) {
            world.pinRenderScale(scale);
            const std::vector<unsigned char> automatic = redraw(true);
            double squared = 0.0;
            for (std::size_t i = 0; i < reference.size(); ++i)
                if (i % 4 != 3) {
                    const double d = double(reference[i]) - double(automatic[i]);
                    squared += d * d;
                }
            const double mse = squared / (double(reference.size()) * 0.75);
            const double psnr = mse > 0.0 ? 10.0 * std::log10(255.0 * 255.0 / mse) : 99.0;
            EXPECT_GE(psnr, floorDb) << "AUTO at scale " << world.renderScaleNow() << " strays from the reference";
            // The view stands still: the kept ground comes back with one band of it shaded
            // again, frame after frame, and Grov and the tanks over it, all as drawn whole.
            for (int frame = 0; scale == 0.0 && frame <= Backdrop::BANDS; ++frame)
                ASSERT_TRUE(redraw(true) == automatic) << "still frame " << frame;
        }
        EXPECT_TRUE(world.backdropNow().isKept());
        world.setQuality(RenderQuality::Full);
        EXPECT_LT(world.terrainNow()->lod().verticesDrawn(), world.terrainNow()->vertexCount() / 4);
    }

    // Pixels of the clear colour inside the ground's silhouette with only the ground drawn:
    // in each column, below the highest ground pixel, all must be ground. Read from the scene
    // as drawn, before any scaling: at the floor the nearest level reaches less far.
    int holesInTheGround(double scale)
    {
        world.setGhostVisible(false);
        world.setQuality(RenderQuality::Auto);
        world.pinRenderScale(scale);
        cullingEnabled = true;
        // Moves nothing on, but brings the ground's detail to the camera and the HUD to the
        // rules, which the drawing below must not undo.
        world.update(0.0, 0.0);
        std::vector<std::pair<SceneObject*, bool>> hidden;
        for (auto* list : {&world.sceneObjects(), &world.hudList()})
            for (SceneObject* object : *list)
                if (object != world.terrainNow()) {
                    hidden.emplace_back(object, object->isVisible());
                    object->setVisible(false);
                }
        world.render(0.0);
        world.finishFrame();
        int width = frameWidth, height = frameHeight;
        std::vector<unsigned char> pixels;
        if (world.sceneOffscreen()) {
            const Framebuffer& scene = world.sceneTargetNow();
            width = scene.width();
            height = scene.height();
            pixels.resize(std::size_t(width) * height * 4);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(scene.framebuffer()));
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        } else {
            pixels = readBack();
        }
        world.pinRenderScale(-1.0);
        world.setQuality(RenderQuality::Full);
        for (auto& [object, visible] : hidden)
            object->setVisible(visible);

        int holes = 0;
        const auto clear = [&](int x, int y) {
            const unsigned char* p = &pixels[(std::size_t(y) * width + x) * 4];
            return p[0] == 0 && p[1] == 0 && p[2] == 0;
        };
        for (int x = 0; x < width; ++x) {
            int top = height - 1;
            while (top >= 0 && clear(x, top))
                --top;
            for (int y = 0; y < top; ++y)
                holes += clear(x, y) ? 1 : 0;
        }
        return holes;
    }

    void play(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            clock.advance(playStep);
            world.frame(playStep, playStep);
        }
    }

    const int frameWidth = GetParam().width;
    const int frameHeight = GetParam().height;
    std::unique_ptr<ScopedWorkingDirectory> directory;
    ManualClock clock{0.0};
    ScriptedInput input;
    ShaderCache cache;
    World world;
};

TEST_P(QualityFrameTest, AimingAndFlightLookTheSameWithCullingOnAndOff)
{
    play(2);
    expectSameFrameEitherWay();

    GameLogic* logic = world.gameLogicNow();
    world.onThrow();
    for (int frames = 0; logic->state() == GameLogic::STATE_WIND_UP && frames < 40; ++frames)
        play(1);
    ASSERT_EQ(logic->state(), GameLogic::STATE_FLIGHT);
    play(5);
    ASSERT_EQ(logic->state(), GameLogic::STATE_FLIGHT);
    ASSERT_FALSE(logic->wantsMotionBlur());
    expectSameFrameEitherWay();
}

TEST_P(QualityFrameTest, TheFreeCameraBehindTheStartAndLookingDownSeesTheSameWithCullingOnAndOff)
{
    play(2);
    world.setPaused(true);
    MovableCamera* camera = world.activeCameraNow();
    camera->lookAt(glm::vec3(-15.0f, 60.0f, 120.0f), glm::vec3(0.0f, 10.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    expectSameFrameEitherWay();
    camera->lookAt(glm::vec3(10.0f, 250.0f, -40.0f), glm::vec3(10.0f, 0.0f, -40.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    expectSameFrameEitherWay();
}

TEST_P(QualityFrameTest, TheGroundWithLessDetailHasNoCracksFromAnyPose)
{
    // At scale 1 the levels reach as far as they can; at the floor (a pin of 0) the nearest
    // one ends sooner.
    const auto expectNoHoles = [&](const char* pose) {
        for (double scale : {1.0, 0.0})
            EXPECT_EQ(holesInTheGround(scale), 0) << pose << " at scale " << scale;
    };
    play(2);
    expectNoHoles("aiming");
    world.onThrow();
    GameLogic* logic = world.gameLogicNow();
    for (int frames = 0; logic->state() != GameLogic::STATE_FLIGHT && frames < 40; ++frames)
        play(1);
    play(8);
    expectNoHoles("flight");

    world.setPaused(true);
    MovableCamera* camera = world.activeCameraNow();
    const Terrain& ground = *world.terrainNow();
    camera->lookAt(glm::vec3(10.0f, 400.0f, -40.0f), glm::vec3(10.0f, 0.0f, -40.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    expectNoHoles("straight down");
    // Low over the ground, looking at the horizon across the levels' borders, two ways.
    for (const glm::vec3& direction : {glm::vec3(0.0f, -0.02f, -1.0f), glm::vec3(0.7f, -0.03f, -0.7f)}) {
        const glm::vec3 eye(40.0f, ground.heightAt(40.0f, -300.0f) + 4.0f, -300.0f);
        camera->lookAt(eye, eye + direction, glm::vec3(0.0f, 1.0f, 0.0f));
        expectNoHoles("low, looking at the horizon");
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, QualityFrameTest,
                         testing::Values(FrameSize{1024, 768}, FrameSize{largestFrame.width, largestFrame.height}),
                         [](const testing::TestParamInfo<FrameSize>& size) {
                             return std::to_string(size.param.width) + "x" + std::to_string(size.param.height);
                         });

} // namespace
