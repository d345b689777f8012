// The motion-blur quad with the game's own programs: a scene is drawn into the off-screen
// target from this frame's camera, then the quad composes it onto a second target as the
// World does, given this and the previous frame's view-projection. With GROV_SCREENSHOT_DIR
// set, the dive over the landscape is saved there sharp and blurred, to look at.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "render/Framebuffer.h"
#include "render/MovableCamera.h"
#include "render/SceneInMotion.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/ShaderVariable.h"
#include "render/Skybox.h"
#include "render/Terrain.h"

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <memory>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int WALL_VIEW_SIZE = 256;      // pixels, both targets of the striped wall
constexpr int STRIPE_TEXELS = 4;         // width of one stripe in the wall's texture
constexpr int STRIPE_TEXTURE_SIZE = 128; // texels

// RGBA rows, bottom up, of a width x height target.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
    int red(int x, int y) const { return rgba[(std::size_t(y) * width + x) * 4]; }
};

Image readBound(int width, int height)
{
    Image image{width, height, std::vector<unsigned char>(std::size_t(width) * height * 4)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    return image;
}

int largestDifference(const Image& a, const Image& b)
{
    int largest = 0;
    for (std::size_t i = 0; i < a.rgba.size(); ++i)
        largest = std::max(largest, i % 4 == 3 ? 0 : std::abs(int(a.rgba[i]) - int(b.rgba[i])));
    return largest;
}

// Share of pixels that are neither the black nor the white of the stripes.
double midToneShare(const Image& image)
{
    int mid = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            mid += image.red(x, y) > 30 && image.red(x, y) < 225;
    return double(mid) / (image.width * image.height);
}

glm::mat4 lookFrom(const glm::vec3& eye, float yawDegrees = 0.0f)
{
    const glm::vec3 forward(-std::sin(glm::radians(yawDegrees)), 0.0f, -std::cos(glm::radians(yawDegrees)));
    return glm::lookAt(eye, eye + forward, glm::vec3(0.0f, 1.0f, 0.0f));
}

class SceneInMotionGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        workingDirectory = std::make_unique<ScopedWorkingDirectory>(GROV_GAME_DIR);
        cache.createDefaultEntry();
        sceneProgram = cache.get("shader/standard.vert", "shader/texture.frag");
        blurProgram = cache.get("shader/fullscreen.vert", "shader/motionblur.frag");
        ASSERT_NE(blurProgram->program(), 0u);
        useTargets(WALL_VIEW_SIZE, WALL_VIEW_SIZE);
        projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 5000.0f);

        // A black-and-white striped wall ten units ahead, wider than the view.
        std::vector<unsigned char> texels(STRIPE_TEXTURE_SIZE * STRIPE_TEXTURE_SIZE * 4, 255);
        for (std::size_t i = 0; i < texels.size(); i += 4)
            texels[i] = texels[i + 1] = texels[i + 2] = (i / 4 % STRIPE_TEXTURE_SIZE / STRIPE_TEXELS) % 2 ? 255 : 0;
        glGenTextures(1, &stripes);
        glBindTexture(GL_TEXTURE_2D, stripes);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, STRIPE_TEXTURE_SIZE, STRIPE_TEXTURE_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, 0);
        wall.setTexture(int(stripes), 1);
        wall.setShader(sceneProgram);
        wall.setPosition(glm::vec3(0.0f, 0.0f, -10.0f));
        wall.setScale(glm::vec3(6.0f, 6.0f, 1.0f));
        quad.setShader(blurProgram);
    }

    void TearDown() override
    {
        glDeleteTextures(1, &stripes);
        scene.release();
        screen.release();
        cache.clear();
        glViewport(0, 0, WALL_VIEW_SIZE, WALL_VIEW_SIZE);
        glEnable(GL_DEPTH_TEST);
        workingDirectory.reset();
    }

    // Both targets at this size, and the quad on the new textures as after a window resize.
    void useTargets(int width, int height)
    {
        for (Framebuffer* target : {&scene, &screen}) {
            target->resize(width, height);
            target->create();
        }
        quad.setTexture(scene.colorTexture(), 1);
        quad.setDepthTexture(scene.depthTexture(), 2);
    }

    // The 3D pass into the off-screen target, objects drawn as the World draws them.
    Image drawScene(const glm::mat4& view, std::initializer_list<SceneObject*> objects)
    {
        scene.bind();
        glEnable(GL_DEPTH_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (SceneObject* object : objects) {
            object->shader()->use();
            object->shader()->setViewMatrix(view);
            object->shader()->setProjectionMatrix(projection);
            setUniform3f(UNIFORM_LIGHT_POSITION_WORLD, -1500.0f, 3358.0f, -3500.0f);
            object->render();
            Shader::unuse();
        }
        Image image = readBound(scene.width(), scene.height());
        scene.unbind();
        return image;
    }

    // The striped wall; as sky it lands at the far end of the depth range, as the sky box does.
    Image drawWall(const glm::mat4& view, bool asSky = false)
    {
        glDepthRange(asSky ? 1.0 : 0.0, 1.0);
        glDepthFunc(asSky ? GL_LEQUAL : GL_LESS);
        Image image = drawScene(view, {&wall});
        glDepthRange(0.0, 1.0);
        glDepthFunc(GL_LESS);
        return image;
    }

    // The HUD pass's first object: the quad over the whole second target.
    Image compose(const glm::mat4& currentInverse, const glm::mat4& previous, float blurScale = 0.1f)
    {
        quad.setViewProjectionInverse(currentInverse);
        quad.setViewProjectionPrevious(previous);
        quad.setBlurSamples(32);
        quad.setBlurScale(blurScale);
        screen.bind();
        glDisable(GL_DEPTH_TEST);
        blurProgram->use();
        quad.render();
        Shader::unuse();
        Image image = readBound(screen.width(), screen.height());
        screen.unbind();
        glEnable(GL_DEPTH_TEST);
        return image;
    }

    // Draws the wall from `now` and composes it as if the camera had been at `before`.
    Image blurredWall(const glm::mat4& before, const glm::mat4& now, float blurScale = 0.1f, bool asSky = false)
    {
        drawWall(now, asSky);
        return compose(glm::inverse(projection * now), projection * before, blurScale);
    }

    std::unique_ptr<ScopedWorkingDirectory> workingDirectory;
    ShaderCache cache;
    Shader* sceneProgram = nullptr;
    Shader* blurProgram = nullptr;
    Framebuffer scene;
    Framebuffer screen;
    GLuint stripes = 0;
    Sprite wall;
    SceneInMotion quad;
    glm::mat4 projection{1.0f};
};

void save(const Image& image, const char* name)
{
    const char* dir = std::getenv("GROV_SCREENSHOT_DIR");
    if (!dir)
        return;
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 24);
    for (int y = 0; y < image.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < image.width; ++x) {
            const unsigned char* p = &image.rgba[(std::size_t(y) * image.width + x) * 4];
            line[x * 3 + FI_RGBA_RED] = p[0];
            line[x * 3 + FI_RGBA_GREEN] = p[1];
            line[x * 3 + FI_RGBA_BLUE] = p[2];
        }
    }
    FreeImage_Save(FIF_PNG, bitmap, (std::string(dir) + "/" + name).c_str(), 0);
    FreeImage_Unload(bitmap);
}

// Mean difference of horizontal neighbours' green over some rows: how much detail is left.
double detail(const Image& image, int rowFrom, int rowTo)
{
    double sum = 0.0;
    for (int y = rowFrom; y < rowTo; ++y)
        for (int x = 0; x + 1 < image.width; ++x) {
            const std::size_t i = (std::size_t(y) * image.width + x) * 4 + 1;
            sum += std::abs(int(image.rgba[i]) - int(image.rgba[i + 4]));
        }
    return sum / (double(rowTo - rowFrom) * (image.width - 1));
}

} // namespace

TEST_F(SceneInMotionGlTest, SettingsThatWouldBreakThePictureAreRefused)
{
    EXPECT_EQ(quad.blurSamples(), 32);
    EXPECT_FLOAT_EQ(quad.blurScale(), 0.1f);

    // A frame with no real time step gives 0.1 / 60 / 0 = infinity; the last good scale stays.
    quad.setBlurScale(0.05f);
    quad.setBlurScale(std::numeric_limits<float>::infinity());
    quad.setBlurScale(std::numeric_limits<float>::quiet_NaN());
    quad.setBlurScale(-0.1f);
    EXPECT_FLOAT_EQ(quad.blurScale(), 0.05f);

    quad.setBlurSamples(0);
    EXPECT_EQ(quad.blurSamples(), 1);
    quad.setBlurSamples(100000);
    EXPECT_EQ(quad.blurSamples(), SceneInMotion::MAX_BLUR_SAMPLES);
}

TEST_F(SceneInMotionGlTest, AStillCameraAZeroScaleOrABrokenMatrixGiveTheImageBackUnchanged)
{
    const glm::mat4 view = lookFrom(glm::vec3(0.5f, 0.3f, 0.0f), 10.0f);
    const glm::mat4 moved = projection * lookFrom(glm::vec3(-0.5f, 0.3f, 0.0f), 10.0f);
    const Image input = drawWall(view);
    const glm::mat4 inverse = glm::inverse(projection * view);
    EXPECT_EQ(largestDifference(compose(inverse, projection * view), input), 0);
    EXPECT_EQ(largestDifference(compose(inverse, moved, 0.0f), input), 0);
    // A singular matrix reconstructs nothing; the pixels must not turn black or garbage.
    EXPECT_EQ(largestDifference(compose(glm::mat4(0.0f), moved), input), 0);
    // Without a depth image there is nothing to reconstruct either.
    quad.setDepthTexture(-1, -1);
    EXPECT_EQ(largestDifference(compose(inverse, moved), input), 0);
}

TEST_F(SceneInMotionGlTest, ACameraMovingAcrossTheStripesSmearsThemSidewaysAndScaleSetsHowFar)
{
    const glm::mat4 now = lookFrom(glm::vec3(0.0f));
    const glm::mat4 before = lookFrom(glm::vec3(-0.3f, 0.0f, 0.0f));
    const Image input = drawWall(now);
    ASSERT_LT(midToneShare(input), 0.01) << "the wall is drawn in pure black and white";

    const Image full = blurredWall(before, now, 0.1f);
    EXPECT_GT(midToneShare(full), 0.3);
    EXPECT_GT(midToneShare(full), 1.5 * midToneShare(blurredWall(before, now, 0.05f)));
    // Smeared along the motion only: every column stays one shade from top to bottom.
    int verticalStep = 0;
    for (int y = 0; y + 1 < WALL_VIEW_SIZE; ++y)
        for (int x = 0; x < WALL_VIEW_SIZE; ++x)
            verticalStep = std::max(verticalStep, std::abs(full.red(x, y + 1) - full.red(x, y)));
    EXPECT_LE(verticalStep, 2);

    // Moving along the stripes changes nothing one can see.
    EXPECT_LE(largestDifference(blurredWall(lookFrom(glm::vec3(0.0f, -0.3f, 0.0f)), now), input), 2);
}

TEST_F(SceneInMotionGlTest, TheSkyBlursWhenTheCameraTurnsButNotWhenItTravels)
{
    const glm::mat4 now = lookFrom(glm::vec3(0.0f));
    const Image input = drawWall(now, true);
    // A journey that would smear a wall ten units away leaves the infinitely far sky alone.
    EXPECT_LE(largestDifference(blurredWall(lookFrom(glm::vec3(-3.0f, 1.0f, 2.0f)), now, 0.1f, true), input), 2);
    EXPECT_GT(midToneShare(blurredWall(lookFrom(glm::vec3(0.0f), 1.5f), now, 0.1f, true)), 0.2);
}

TEST_F(SceneInMotionGlTest, ADiveBlursTheLandscapeWithoutDarkeningOrBreakingIt)
{
    // Mid-dive: the flight camera behind and above Grov, one frame's dive step lower and
    // further on than a frame ago (world units at 60 frames per second).
    const glm::vec3 eye = glm::vec3(0.0f, 45.0f, -300.0f) + glm::vec3(0.0f, 20.0f, 19.0f);
    const glm::vec3 look(0.0f, -15.0f, -30.0f);
    const glm::vec3 diveStep(0.0f, -3.1f, -1.8f);
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    useTargets(1024, 768);
    projection = glm::perspective(glm::radians(45.0f), 1024.0f / 768.0f, 0.1f, 5000.0f);

    MovableCamera camera(eye, eye + look, up, 0.00045f, 20.0f);
    MovableCamera* activeCamera = &camera;
    Terrain terrain;
    terrain.generate(800, 800);
    terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
    terrain.setPosition(glm::vec3(10.0f, 0.0f, 0.0f));
    terrain.setCamera(&activeCamera);
    terrain.setShader(cache.get("shader/heightmap.vert", "shader/heightmapBlinnPhongTexture.frag"));
    Skybox sky;
    sky.setup(&activeCamera, "res/skybox2/front.jpg", "res/skybox2/back.jpg", "res/skybox2/left.jpg",
              "res/skybox2/right.jpg", "res/skybox2/top.jpg", "res/skybox2/bottom.jpg");
    sky.setShader(sceneProgram);
    terrain.update(0.0);
    sky.update(0.0);

    const Image sharp = drawScene(camera.viewMatrix(), {&terrain, &sky});
    const Image blurred = compose(glm::inverse(projection * camera.viewMatrix()),
                                  projection * glm::lookAt(eye - diveStep, eye - diveStep + look, up));
    save(sharp, "dive-sharp.png");
    save(blurred, "dive-blurred.png");

    // Averaging moves light around but neither adds nor loses it.
    double sharpSum = 0.0, blurredSum = 0.0;
    for (std::size_t i = 0; i < sharp.rgba.size(); ++i) {
        sharpSum += sharp.rgba[i];
        blurredSum += blurred.rgba[i];
    }
    EXPECT_NEAR(blurredSum, sharpSum, 0.03 * sharpSum);
    // The ground rushing past at the bottom of the screen loses its fine detail.
    EXPECT_LT(detail(blurred, 0, 192) / detail(sharp, 0, 192), 0.7);
}
