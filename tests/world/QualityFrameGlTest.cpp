// Whole game frames (landscape, Grov, tanks, sky and HUD) read back with glReadPixels. With
// QUALITY FULL they must be the same with culling off and on: while aiming, in flight, and
// from the free camera behind the start and looking straight down. AUTO's picture at render
// scale 1 (far ground with less detail, drawn nearest first, single-sampled) must stay close
// to FULL's from the same poses, and its ground must have no cracks.

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
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int frameWidth = 1024;
constexpr int frameHeight = 768;
// Long steps (the game takes any step up to a second), so the throw gets to its flight in few
// frames.
constexpr double playStep = 0.1; // seconds

class QualityFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open(frameWidth, frameHeight))
            GTEST_SKIP() << "no OpenGL 3.3 context";
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

    // AUTO at render scale 1 against the reference picture, as a peak signal-to-noise ratio.
    void expectAutoCloseTo(const std::vector<unsigned char>& reference)
    {
        world.setQuality(RenderQuality::Auto);
        world.pinRenderScale(1.0);
        const std::vector<unsigned char> automatic = redraw(true);
        world.setQuality(RenderQuality::Full);
        double squared = 0.0;
        for (std::size_t i = 0; i < reference.size(); ++i)
            if (i % 4 != 3) {
                const double d = double(reference[i]) - double(automatic[i]);
                squared += d * d;
            }
        const double mse = squared / (double(reference.size()) * 0.75);
        const double psnr = mse > 0.0 ? 10.0 * std::log10(255.0 * 255.0 / mse) : 99.0;
        EXPECT_GE(psnr, 35.0) << "AUTO strays from the reference picture";
        EXPECT_LT(world.terrainNow()->lod().verticesDrawn(), world.terrainNow()->vertexCount() / 4);
    }

    // Pixels of the clear colour inside the ground's silhouette with only the ground drawn:
    // in each column, below the highest ground pixel, all must be ground.
    int holesInTheGround()
    {
        world.setGhostVisible(false);
        world.setQuality(RenderQuality::Auto);
        world.pinRenderScale(1.0);
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
        const std::vector<unsigned char> pixels = readBack();
        world.setQuality(RenderQuality::Full);
        for (auto& [object, visible] : hidden)
            object->setVisible(visible);

        int holes = 0;
        const auto clear = [&](int x, int y) {
            const unsigned char* p = &pixels[(std::size_t(y) * frameWidth + x) * 4];
            return p[0] == 0 && p[1] == 0 && p[2] == 0;
        };
        for (int x = 0; x < frameWidth; ++x) {
            int top = frameHeight - 1;
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

    std::unique_ptr<ScopedWorkingDirectory> directory;
    ManualClock clock{0.0};
    ScriptedInput input;
    ShaderCache cache;
    World world;
};

TEST_F(QualityFrameTest, AimingAndFlightLookTheSameWithCullingOnAndOff)
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

TEST_F(QualityFrameTest, TheFreeCameraBehindTheStartAndLookingDownSeesTheSameWithCullingOnAndOff)
{
    play(2);
    world.setPaused(true);
    MovableCamera* camera = world.activeCameraNow();
    camera->lookAt(glm::vec3(-15.0f, 60.0f, 120.0f), glm::vec3(0.0f, 10.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    expectSameFrameEitherWay();
    camera->lookAt(glm::vec3(10.0f, 250.0f, -40.0f), glm::vec3(10.0f, 0.0f, -40.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    expectSameFrameEitherWay();
}

} // namespace

namespace {

TEST_F(QualityFrameTest, TheGroundWithLessDetailHasNoCracksFromAnyPose)
{
    play(2);
    EXPECT_EQ(holesInTheGround(), 0) << "aiming";
    world.onThrow();
    GameLogic* logic = world.gameLogicNow();
    for (int frames = 0; logic->state() != GameLogic::STATE_FLIGHT && frames < 40; ++frames)
        play(1);
    play(8);
    EXPECT_EQ(holesInTheGround(), 0) << "flight";

    world.setPaused(true);
    MovableCamera* camera = world.activeCameraNow();
    const Terrain& ground = *world.terrainNow();
    camera->lookAt(glm::vec3(10.0f, 400.0f, -40.0f), glm::vec3(10.0f, 0.0f, -40.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    EXPECT_EQ(holesInTheGround(), 0) << "straight down";
    // Low over the ground, looking at the horizon across the levels' borders, two ways.
    for (const glm::vec3& direction : {glm::vec3(0.0f, -0.02f, -1.0f), glm::vec3(0.7f, -0.03f, -0.7f)}) {
        const glm::vec3 eye(40.0f, ground.heightAt(40.0f, -300.0f) + 4.0f, -300.0f);
        camera->lookAt(eye, eye + direction, glm::vec3(0.0f, 1.0f, 0.0f));
        EXPECT_EQ(holesInTheGround(), 0) << "low, looking at the horizon";
    }
}

} // namespace
