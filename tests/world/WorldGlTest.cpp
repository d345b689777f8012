// The assembled world, frame by frame, in a hidden window: the message line, the pause with the
// free camera, resizes and minimising, the day and night icons and one throw with its blur.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "ManualClock.h"
#include "ScriptedInput.h"
#include "game/GameLogic.h"
#include "game/ViewMath.h"
#include "game/World.h"
#include "render/MovableCamera.h"
#include "render/SceneInMotion.h"
#include "render/ShaderCache.h"
#include "render/Sprite.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

#include <FreeImage.h>
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int width = 1024;
constexpr int height = 768;
constexpr double frameStep = 1.0 / 60.0;

// Saves the current frame when GROV_SCREENSHOT_DIR names a folder, so a person can look at it.
void saveFrame(const std::string& name)
{
    const char* dir = std::getenv("GROV_SCREENSHOT_DIR");
    if (!dir)
        return;
    std::vector<unsigned char> pixels(width * height * 3);
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
    FIBITMAP* image =
        FreeImage_ConvertFromRawBits(pixels.data(), width, height, width * 3, 24, 0xFF0000, 0x00FF00, 0x0000FF, false);
    FreeImage_Save(FIF_PNG, image, (std::string(dir) + "/" + name + ".png").c_str());
    FreeImage_Unload(image);
}

class WorldTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!GlTestContext::open(width, height))
            return;
        directory = std::make_unique<ScopedWorkingDirectory>(GROV_GAME_DIR);
        clock = std::make_unique<ManualClock>(0.0);
        input = std::make_unique<ScriptedInput>();
        input->windowWidth = width;
        input->windowHeight = height;
        input->mouseX = width / 2;
        input->mouseY = height / 2;
        cache = std::make_unique<ShaderCache>();
        cache->createDefaultEntry();
        world = std::make_unique<World>();
        world->init(cache.get());
        // The reference picture's wiring; AUTO's own path has a test of its own at the end.
        world->setQuality(RenderQuality::Full);
        glViewport(0, 0, width, height);
        world->onResize(width, height);
    }

    static void TearDownTestSuite()
    {
        if (world)
            world->release();
        world.reset();
        if (cache)
            cache->clear();
        cache.reset();
        TextureManager::destroy();
        input.reset();
        clock.reset();
        directory.reset();
    }

    void SetUp() override
    {
        if (!world)
            GTEST_SKIP() << "no OpenGL 3.3 context";
    }

    // One frame of the main loop at the nominal step, the game clock running unless paused.
    static void frame(bool paused = false)
    {
        clock->advance(frameStep);
        world->frame(paused ? 0.0 : frameStep, frameStep);
    }

public:
    static const std::vector<SceneObject*>& hud() { return world->hudList(); }

protected:
    static std::unique_ptr<ScopedWorkingDirectory> directory;
    static std::unique_ptr<ManualClock> clock;
    static std::unique_ptr<ScriptedInput> input;
    static std::unique_ptr<ShaderCache> cache;
    static std::unique_ptr<World> world;
};

std::unique_ptr<ScopedWorkingDirectory> WorldTest::directory;
std::unique_ptr<ManualClock> WorldTest::clock;
std::unique_ptr<ScriptedInput> WorldTest::input;
std::unique_ptr<ShaderCache> WorldTest::cache;
std::unique_ptr<World> WorldTest::world;

// The tests share one world and run in the order written.

TEST_F(WorldTest, StartsAimingWithTheCullingMessageUntilJustOverThreeSeconds)
{
    EXPECT_EQ(world->gameLogicNow()->state(), GameLogic::STATE_AIMING);
    EXPECT_EQ(world->sceneObjects().size(), 11u);
    EXPECT_EQ(world->hudList().size(), 14u);
    ASSERT_TRUE(world->messageLine()->isVisible());
    EXPECT_EQ(world->messageLine()->text(), "Culling ON");
    EXPECT_FALSE(world->fpsLine()->isVisible());

    clock->time = 2.99;
    world->frame(frameStep, frameStep);
    EXPECT_TRUE(world->messageLine()->isVisible());
    clock->time = 3.0;
    world->frame(frameStep, frameStep);
    EXPECT_TRUE(world->messageLine()->isVisible()) << "exactly 3 s still shows it";
    clock->time = 3.01;
    world->frame(frameStep, frameStep);
    EXPECT_FALSE(world->messageLine()->isVisible());
    saveFrame("world-aiming");
}

TEST_F(WorldTest, ANewMessageReplacesTheOldAndRestartsItsTime)
{
    world->toggleSampling();
    EXPECT_EQ(world->messageLine()->text(), "Sampling NEAREST");
    clock->advance(2.0);
    world->cycleMipmapMode();
    EXPECT_EQ(world->messageLine()->text(), "Mip mapping OFF");
    clock->advance(2.0);
    world->frame(frameStep, frameStep);
    EXPECT_TRUE(world->messageLine()->isVisible());
    clock->advance(1.1);
    world->frame(frameStep, frameStep);
    EXPECT_FALSE(world->messageLine()->isVisible());

    // Back to the start modes: bilinear sampling, linear mip-mapping.
    world->toggleSampling();
    world->cycleMipmapMode();
    world->cycleMipmapMode();
    EXPECT_EQ(world->samplingModeNow(), 1);
    EXPECT_EQ(world->mipmapModeNow(), 2);
    EXPECT_EQ(world->messageLine()->text(), "Mip mapping LINEAR");
}

Sprite* findArrow()
{
    // The arrow is the one HUD sprite that turns about the screen's axis.
    for (SceneObject* object : WorldTest::hud())
        if (auto* sprite = dynamic_cast<Sprite*>(object); sprite && sprite->rotationAxis().z == 1.0f)
            return sprite;
    return nullptr;
}

// The blur quad is the HUD's first object, so everything else on the HUD draws over it.
SceneInMotion* blurQuad()
{
    return dynamic_cast<SceneInMotion*>(WorldTest::hud().front());
}

float largestDifference(const glm::mat4& a, const glm::mat4& b)
{
    float largest = 0.0f;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            largest = std::max(largest, std::fabs(a[column][row] - b[column][row]));
    return largest;
}

// The off-screen target filled with a colour no frame of the game draws, and the number of
// its pixels that still hold that colour.
constexpr unsigned char untouched[4] = {255, 0, 255, 17};

void markTarget(const Framebuffer& target)
{
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(target.framebuffer()));
    glClearColor(untouched[0] / 255.0f, untouched[1] / 255.0f, untouched[2] / 255.0f, untouched[3] / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

int untouchedPixels(const Framebuffer& target)
{
    std::vector<unsigned char> rgba(std::size_t(target.width()) * target.height() * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(target.framebuffer()));
    glReadPixels(0, 0, target.width(), target.height(), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    int count = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        count += std::equal(untouched, untouched + 4, &rgba[i]);
    return count;
}

int textureWidth(int texture)
{
    GLint texels = 0;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

TEST_F(WorldTest, PauseFreezesTheGameButTheFreeCameraFlies)
{
    MovableCamera* gameCamera = world->gameCameraNow();
    world->setPaused(true);
    MovableCamera* freeCamera = world->activeCameraNow();
    ASSERT_NE(freeCamera, gameCamera);
    EXPECT_EQ(freeCamera->eye(), gameCamera->eye());
    EXPECT_EQ(input->mouseX, width / 2);

    Sprite* arrow = findArrow();
    ASSERT_NE(arrow, nullptr);
    float angle = arrow->rotationAngle();
    glm::vec3 eye = freeCamera->eye();
    input->press(KEY_W);
    for (int i = 0; i < 10; ++i)
        frame(true);
    input->release(KEY_W);
    EXPECT_EQ(arrow->rotationAngle(), angle) << "the game clock stood still";
    EXPECT_NE(freeCamera->eye(), eye) << "W flew the free camera";

    world->setPaused(false);
    EXPECT_EQ(world->activeCameraNow(), gameCamera);
    frame();
    EXPECT_NE(arrow->rotationAngle(), angle);
}

TEST_F(WorldTest, MinimisingKeepsTheTargetAndAResizeHandsTheBlurItsNewTextures)
{
    glm::mat4 projection = world->projectionNow();
    glm::mat4 hud = world->hudProjectionNow();
    world->onResize(0, 0);
    frame();
    EXPECT_EQ(world->projectionNow(), projection);
    EXPECT_EQ(world->hudProjectionNow(), hud);
    EXPECT_EQ(world->target().width(), width);

    world->onResize(1600, 900);
    EXPECT_EQ(world->hudProjectionNow(), hudProjection(1600, 900));
    EXPECT_EQ(world->target().width(), 1600);
    // Blurring the old, deleted textures would show nothing, or a stale frame.
    SceneInMotion* quad = blurQuad();
    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(quad->texture(), world->target().colorTexture());
    EXPECT_EQ(quad->depthTexture(), world->target().depthTexture());
    EXPECT_EQ(textureWidth(quad->texture()), 1600);
    EXPECT_EQ(textureWidth(quad->depthTexture()), 1600);
    world->onResize(width, height);
    EXPECT_EQ(world->projectionNow(), projection);
    EXPECT_EQ(world->target().height(), height);
}

TEST_F(WorldTest, AThrowBlursTheSwoopAndEndsInGameOver)
{
    GameLogic* logic = world->gameLogicNow();
    SceneInMotion* quad = blurQuad();
    ASSERT_NE(quad, nullptr);
    const Framebuffer& target = world->target();
    const int targetPixels = target.width() * target.height();
    // Without blur the scene goes straight to the window and the target is left alone.
    ASSERT_FALSE(logic->wantsMotionBlur());
    markTarget(target);
    frame();
    EXPECT_EQ(untouchedPixels(target), targetPixels);
    EXPECT_FALSE(quad->isVisible());

    // Stopped on full power, so there is rage for a dive.
    logic->setArrowAngle(-270.0f);
    world->onThrow();
    ASSERT_EQ(logic->state(), GameLogic::STATE_WIND_UP);
    bool blurred = false;
    int frames = 0;
    while (logic->state() == GameLogic::STATE_WIND_UP && frames++ < 200) {
        frame();
        if (frames % 15 == 0)
            saveFrame("world-wind-up-" + std::to_string(frames));
        if (logic->wantsMotionBlur() && !blurred) {
            blurred = true;
            // The blur compares where this frame's camera sees a point with where the last
            // frame's saw it: handed this frame's matrix twice, the swoop would come out sharp.
            const glm::mat4 before = world->projectionNow() * world->activeCameraNow()->viewMatrix();
            markTarget(target);
            frame();
            const glm::mat4 now = world->projectionNow() * world->activeCameraNow()->viewMatrix();
            ASSERT_GT(largestDifference(now, before), 0.01f) << "the swoop moves the camera";
            EXPECT_LT(largestDifference(quad->viewProjectionPrevious(), before), 1e-5f);
            EXPECT_LT(largestDifference(quad->viewProjectionInverse(), glm::inverse(now)), 1e-3f);
            EXPECT_TRUE(quad->isVisible());
            EXPECT_EQ(untouchedPixels(target), 0) << "the scene is drawn off-screen for the blur";
            saveFrame("world-swoop");
            // Nothing of the blurred frame may be left empty.
            unsigned int centre = GlTestContext::readPixel(width / 2, height / 4);
            EXPECT_NE(centre & 0xFFFFFF00u, 0u);

            // A scaled scene is streaked at its own size, then scaled up to the whole window.
            world->setQuality(RenderQuality::Auto);
            world->pinRenderScale(0.6);
            frame();
            ASSERT_TRUE(logic->wantsMotionBlur());
            EXPECT_EQ(textureWidth(quad->texture()), int(std::lround(width * 0.6)));
            EXPECT_NE(quad->texture(), world->sceneTargetNow().colorTexture());
            EXPECT_NE(GlTestContext::readPixel(width - 2, height - 2) & 0xFFFFFF00u, 0u) << "top right";
            EXPECT_NE(GlTestContext::readPixel(1, 1) & 0xFFFFFF00u, 0u) << "bottom left";
            saveFrame("world-swoop-auto-0.6");
            world->pinRenderScale(-1.0);
            world->setQuality(RenderQuality::Full);
        }
    }
    EXPECT_TRUE(blurred);
    ASSERT_EQ(logic->state(), GameLogic::STATE_FLIGHT);
    for (int i = 0; i < 30; ++i)
        frame();
    saveFrame("world-flight");

    // Rage for a dive comes from the launch; make sure there is some.
    world->onThrow();
    EXPECT_TRUE(logic->wantsMotionBlur()) << "a full-power throw has rage for a dive";
    frame();
    frame();
    saveFrame("world-dive");
    // The rest of the flight only needs to happen, not to be seen: the rules and the scene move
    // on as in a drawn frame, and the frame after it is drawn whole.
    while (logic->state() == GameLogic::STATE_FLIGHT && frames++ < 6000) {
        clock->advance(frameStep);
        world->update(frameStep, frameStep);
    }
    ASSERT_EQ(logic->state(), GameLogic::STATE_GAME_OVER);
    frame();
    saveFrame("world-game-over");
    world->onThrow();
    EXPECT_EQ(logic->state(), GameLogic::STATE_AIMING);
}

TEST_F(WorldTest, TheIconsFollowTheLight)
{
    for (int i = 0; i < 20; ++i) {
        clock->advance(1.0);
        world->update(0.0, 1.0);
        const LightState& light = world->light();
        EXPECT_EQ(world->sunIcon()->isVisible(), light.position.y > 4000.0f);
        EXPECT_EQ(world->moonIcon()->isVisible(), light.position.y < 510.0f);
    }
}

TEST_F(WorldTest, AutoQualityDrawsTheSceneSmallerAndScalesItUpUnderTheHud)
{
    world->setQuality(RenderQuality::Auto);
    world->pinRenderScale(0.6);
    frame(true);
    ASSERT_TRUE(world->sceneOffscreen());
    EXPECT_EQ(world->sceneTargetNow().width(), int(std::lround(width * 0.6)));
    EXPECT_EQ(world->sceneTargetNow().height(), int(std::lround(height * 0.6)));
    SceneInMotion* quad = blurQuad();
    EXPECT_TRUE(quad->isVisible());
    EXPECT_EQ(quad->texture(), world->sceneTargetNow().colorTexture());
    // The HUD is drawn over the whole window, and the scaled scene reaches its corners.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], width);
    EXPECT_EQ(viewport[3], height);
    EXPECT_NE(GlTestContext::readPixel(width - 2, height - 2) & 0xFFFFFF00u, 0u) << "sky at the top right";
    EXPECT_NE(GlTestContext::readPixel(1, 1) & 0xFFFFFF00u, 0u) << "ground at the bottom left";
    saveFrame("world-auto-scale-0.6");

    GLint windowSamples = 0;
    glGetIntegerv(GL_SAMPLES, &windowSamples);
    EXPECT_EQ(world->frameMultisampledOffWindow(), !world->softwareRendering() && windowSamples == 0);

    world->pinRenderScale(0.2);
    EXPECT_EQ(world->renderScaleNow(), RenderScale::floorFor(width, height)) << "the window's floor holds";
    world->setQuality(RenderQuality::Full);
    EXPECT_EQ(world->renderScaleNow(), 1.0) << "FULL is always drawn at the window's size";
    frame(true);
    EXPECT_FALSE(world->sceneOffscreen());
    // The test's window has no multisampling of its own: FULL brings its own.
    EXPECT_EQ(world->frameMultisampledOffWindow(), windowSamples == 0);
    world->pinRenderScale(-1.0);
}

} // namespace
