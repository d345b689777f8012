// Whole game frames (landscape, Grov, tanks, sky and HUD) read back with glReadPixels must be
// the same with culling off and on: while aiming, in flight, and from the free camera behind
// the start and looking straight down.

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

#include <memory>
#include <vector>

namespace {

constexpr int width = 1024;
constexpr int height = 768;
// Long steps (the game takes any step up to a second), so the throw gets to its flight in few
// frames.
constexpr double frameStep = 0.1; // seconds

class CullingFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open(width, height))
            GTEST_SKIP() << "no OpenGL 3.3 context";
        directory = std::make_unique<ScopedWorkingDirectory>(GROV_GAME_DIR);
        input.windowWidth = width;
        input.windowHeight = height;
        input.mouseX = width / 2;
        input.mouseY = height / 2;
        cache.createDefaultEntry();
        world.init(&cache);
        glViewport(0, 0, width, height);
        world.onResize(width, height);
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
        std::vector<unsigned char> pixels(std::size_t(width) * height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    void expectSameFrameEitherWay()
    {
        const std::vector<unsigned char> off = redraw(false);
        ASSERT_EQ(redraw(false), off) << "the frame must not change by itself, or the comparison means nothing";
        EXPECT_TRUE(redraw(true) == off) << "culling changed the picture";
        EXPECT_LT(world.terrainNow()->culling().drawnIndices(), world.terrainNow()->indexCount() / 2);
    }

    void play(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            clock.advance(frameStep);
            world.frame(frameStep, frameStep);
        }
    }

    std::unique_ptr<ScopedWorkingDirectory> directory;
    ManualClock clock{0.0};
    ScriptedInput input;
    ShaderCache cache;
    World world;
};

TEST_F(CullingFrameTest, AimingAndFlightLookTheSameWithCullingOnAndOff)
{
    play(2);
    expectSameFrameEitherWay();

    GameLogic* logic = world.gameLogicNow();
    world.onSpace();
    for (int frames = 0; logic->state() == GameLogic::STATE_WIND_UP && frames < 40; ++frames)
        play(1);
    ASSERT_EQ(logic->state(), GameLogic::STATE_FLIGHT);
    play(5);
    ASSERT_EQ(logic->state(), GameLogic::STATE_FLIGHT);
    ASSERT_FALSE(logic->wantsMotionBlur());
    expectSameFrameEitherWay();
}

TEST_F(CullingFrameTest, TheFreeCameraBehindTheStartAndLookingDownSeesTheSameWithCullingOnAndOff)
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
