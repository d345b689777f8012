// The motion-blur quad with the game's own programs: a striped wall is drawn into the
// off-screen target from one camera, then the quad composes it onto a second target as the
// World would, given this and the previous frame's view-projection.

#include "GlTestContext.h"
#include "render/Framebuffer.h"
#include "render/SceneInMotion.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/ShaderVariable.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string SHADER_DIR = std::string(GROV_GAME_DIR) + "/shader/";
constexpr int VIEW_SIZE = 256;            // pixels, both targets
constexpr float WALL_DISTANCE = 10.0f;    // world units in front of the camera
constexpr float WALL_HALF_SIZE = 6.0f;    // world units; wider than the view at that distance
constexpr int STRIPE_TEXELS = 4;          // width of one stripe in the wall's texture
constexpr int STRIPE_TEXTURE_SIZE = 128;  // texels

using Image = std::vector<unsigned char>; // RGBA rows, bottom up

int redAt(const Image& image, int x, int y)
{
    return image[(std::size_t(y) * VIEW_SIZE + x) * 4];
}

int largestDifference(const Image& a, const Image& b)
{
    int largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i % 4 != 3)
            largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    }
    return largest;
}

// Share of pixels that are neither the black nor the white of the stripes.
double midToneShare(const Image& image)
{
    int mid = 0;
    for (int y = 0; y < VIEW_SIZE; ++y) {
        for (int x = 0; x < VIEW_SIZE; ++x) {
            const int red = redAt(image, x, y);
            mid += red > 30 && red < 225;
        }
    }
    return double(mid) / (VIEW_SIZE * VIEW_SIZE);
}

// Largest change between vertically neighbouring pixels.
int largestVerticalStep(const Image& image)
{
    int largest = 0;
    for (int y = 0; y + 1 < VIEW_SIZE; ++y) {
        for (int x = 0; x < VIEW_SIZE; ++x)
            largest = std::max(largest, std::abs(redAt(image, x, y + 1) - redAt(image, x, y)));
    }
    return largest;
}

glm::mat4 lookFrom(const glm::vec3& eye, float yawDegrees = 0.0f)
{
    const glm::vec3 forward = glm::vec3(glm::rotate(glm::mat4(1.0f), glm::radians(yawDegrees),
                                                    glm::vec3(0.0f, 1.0f, 0.0f)) * glm::vec4(0.0f, 0.0f, -1.0f, 0.0f));
    return glm::lookAt(eye, eye + forward, glm::vec3(0.0f, 1.0f, 0.0f));
}

class SceneInMotionGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        cache.createDefaultEntry();
        sceneProgram = cache.get(SHADER_DIR + "standard.vert", SHADER_DIR + "texture.frag");
        blurProgram = cache.get(SHADER_DIR + "fullscreen.vert", SHADER_DIR + "motionblur.frag");
        ASSERT_NE(sceneProgram->program(), 0u);
        ASSERT_NE(blurProgram->program(), 0u);

        scene.resize(VIEW_SIZE, VIEW_SIZE);
        scene.create();
        screen.resize(VIEW_SIZE, VIEW_SIZE);
        screen.create();
        stripes = makeVerticalStripes();

        wall = std::make_unique<Sprite>();
        wall->setTexture(int(stripes), 1);
        wall->setShader(sceneProgram);
        wall->setPosition(glm::vec3(0.0f, 0.0f, -WALL_DISTANCE));
        wall->setScale(glm::vec3(WALL_HALF_SIZE, WALL_HALF_SIZE, 1.0f));

        quad = std::make_unique<SceneInMotion>();
        quad->setShader(blurProgram);
        quad->setTexture(scene.colorTexture(), 1);
        quad->setDepthTexture(scene.depthTexture(), 2);
        projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 5000.0f);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
    }

    void TearDown() override
    {
        quad.reset();
        wall.reset();
        glDeleteTextures(1, &stripes);
        scene.release();
        screen.release();
        Shader::unuse();
        cache.clear();
        glViewport(0, 0, VIEW_SIZE, VIEW_SIZE);
        glEnable(GL_DEPTH_TEST);
    }

    static GLuint makeVerticalStripes()
    {
        std::vector<unsigned char> texels(STRIPE_TEXTURE_SIZE * STRIPE_TEXTURE_SIZE * 4, 255);
        for (int y = 0; y < STRIPE_TEXTURE_SIZE; ++y) {
            for (int x = 0; x < STRIPE_TEXTURE_SIZE; ++x) {
                const unsigned char shade = (x / STRIPE_TEXELS) % 2 ? 255 : 0;
                unsigned char* texel = &texels[(std::size_t(y) * STRIPE_TEXTURE_SIZE + x) * 4];
                texel[0] = texel[1] = texel[2] = shade;
            }
        }
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, STRIPE_TEXTURE_SIZE, STRIPE_TEXTURE_SIZE, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, 0);
        return name;
    }

    static Image readBound()
    {
        Image pixels(std::size_t(VIEW_SIZE) * VIEW_SIZE * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, VIEW_SIZE, VIEW_SIZE, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // The 3D pass into the off-screen target. As sky, the wall lands at the far end of the
    // depth range, the way the game's sky box is drawn.
    Image drawScene(const glm::mat4& view, bool asSky = false)
    {
        scene.bind();
        glEnable(GL_DEPTH_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (asSky) {
            glDepthRange(1.0, 1.0);
            glDepthFunc(GL_LEQUAL);
        }
        sceneProgram->use();
        sceneProgram->setViewMatrix(view);
        sceneProgram->setProjectionMatrix(projection);
        wall->render();
        Shader::unuse();
        glDepthRange(0.0, 1.0);
        glDepthFunc(GL_LESS);
        Image pixels = readBound();
        scene.unbind();
        return pixels;
    }

    // The HUD pass's first object: the quad over the whole second target.
    Image compose(const glm::mat4& currentInverse, const glm::mat4& previous, float blurScale = 0.1f)
    {
        quad->setViewProjectionInverse(currentInverse);
        quad->setViewProjectionPrevious(previous);
        quad->setBlurSamples(32);
        quad->setBlurScale(blurScale);
        screen.bind();
        glDisable(GL_DEPTH_TEST);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        blurProgram->use();
        blurProgram->setViewMatrix(glm::mat4(1.0f));
        blurProgram->setProjectionMatrix(glm::mat4(1.0f));
        quad->render();
        Shader::unuse();
        Image pixels = readBound();
        screen.unbind();
        glEnable(GL_DEPTH_TEST);
        return pixels;
    }

    // Draws the wall from `now` and composes it as if the camera had been at `before`.
    Image blurred(const glm::mat4& before, const glm::mat4& now, float blurScale = 0.1f,
                  bool asSky = false)
    {
        drawScene(now, asSky);
        return compose(glm::inverse(projection * now), projection * before, blurScale);
    }

    ShaderCache cache;
    Shader* sceneProgram = nullptr;
    Shader* blurProgram = nullptr;
    Framebuffer scene;
    Framebuffer screen;
    GLuint stripes = 0;
    std::unique_ptr<Sprite> wall;
    std::unique_ptr<SceneInMotion> quad;
    glm::mat4 projection{1.0f};
};

} // namespace

TEST_F(SceneInMotionGlTest, DrawHandsTheProgramBothImagesTheMatricesAndTheBlurSettings)
{
    const glm::mat4 current = projection * lookFrom(glm::vec3(1.0f, 2.0f, 3.0f), 20.0f);
    const glm::mat4 previous = projection * lookFrom(glm::vec3(0.0f, 2.0f, 3.0f));
    quad->setViewProjectionInverse(glm::inverse(current));
    quad->setViewProjectionPrevious(previous);
    quad->setBlurSamples(32);
    quad->setBlurScale(0.05f);
    blurProgram->use();
    quad->render();

    const GLuint program = blurProgram->program();
    GLint colourUnit = -1, depthUnit = -1, samples = -1;
    GLfloat scale = -1.0f;
    glm::mat4 sentInverse(0.0f), sentPrevious(0.0f);
    glGetUniformiv(program, uniformLocation(UNIFORM_TEXTURE_MAP), &colourUnit);
    glGetUniformiv(program, uniformLocation(UNIFORM_TEXTURE_MAP2), &depthUnit);
    glGetUniformiv(program, uniformLocation(UNIFORM_BLUR_SAMPLES), &samples);
    glGetUniformfv(program, uniformLocation(UNIFORM_BLUR_SCALE), &scale);
    glGetUniformfv(program, uniformLocation(UNIFORM_VIEW_PROJECTION_INVERSE), &sentInverse[0][0]);
    glGetUniformfv(program, uniformLocation(UNIFORM_VIEW_PROJECTION_PREVIOUS), &sentPrevious[0][0]);
    Shader::unuse();
    EXPECT_EQ(colourUnit, 1);
    EXPECT_EQ(depthUnit, 2);
    EXPECT_EQ(samples, 32);
    EXPECT_FLOAT_EQ(scale, 0.05f);
    EXPECT_EQ(sentInverse, glm::inverse(current));
    EXPECT_EQ(sentPrevious, previous);

    GLint bound = 0;
    glActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, scene.colorTexture());
    glActiveTexture(GL_TEXTURE2);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, scene.depthTexture());
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SceneInMotionGlTest, SettingsThatWouldBreakThePictureAreRefused)
{
    SceneInMotion fresh;
    EXPECT_EQ(fresh.blurSamples(), 32);
    EXPECT_FLOAT_EQ(fresh.blurScale(), 0.1f);

    // A frame with no real time step gives 0.1 / 60 / 0 = infinity; the last good scale stays.
    fresh.setBlurScale(0.05f);
    fresh.setBlurScale(std::numeric_limits<float>::infinity());
    fresh.setBlurScale(std::numeric_limits<float>::quiet_NaN());
    fresh.setBlurScale(-0.1f);
    EXPECT_FLOAT_EQ(fresh.blurScale(), 0.05f);
    fresh.setBlurScale(0.0f);
    EXPECT_FLOAT_EQ(fresh.blurScale(), 0.0f);

    fresh.setBlurSamples(0);
    EXPECT_EQ(fresh.blurSamples(), 1);
    fresh.setBlurSamples(100000);
    EXPECT_EQ(fresh.blurSamples(), SceneInMotion::MAX_BLUR_SAMPLES);
}

TEST_F(SceneInMotionGlTest, AStillCameraAZeroScaleOrABrokenMatrixGiveTheImageBackUnchanged)
{
    const glm::mat4 view = lookFrom(glm::vec3(0.5f, 0.3f, 0.0f), 10.0f);
    const Image input = drawScene(view);
    const glm::mat4 inverse = glm::inverse(projection * view);
    EXPECT_EQ(largestDifference(compose(inverse, projection * view), input), 0);

    const glm::mat4 moved = lookFrom(glm::vec3(-0.5f, 0.3f, 0.0f), 10.0f);
    EXPECT_EQ(largestDifference(compose(inverse, projection * moved, 0.0f), input), 0);

    // A singular matrix reconstructs nothing; the pixels must not turn black or garbage.
    EXPECT_EQ(largestDifference(compose(glm::mat4(0.0f), projection * moved), input), 0);

    // Without a depth image there is nothing to reconstruct either.
    quad->setDepthTexture(-1, -1);
    EXPECT_EQ(largestDifference(compose(inverse, projection * moved), input), 0);
}

TEST_F(SceneInMotionGlTest, ACameraMovingAcrossTheStripesSmearsThemSidewaysAndScaleSetsHowFar)
{
    const glm::mat4 now = lookFrom(glm::vec3(0.0f));
    const glm::mat4 before = lookFrom(glm::vec3(-0.3f, 0.0f, 0.0f));
    const Image input = drawScene(now);
    ASSERT_LT(midToneShare(input), 0.01) << "the wall is drawn in pure black and white";

    const Image full = blurred(before, now, 0.1f);
    const Image half = blurred(before, now, 0.05f);
    EXPECT_GT(midToneShare(full), 0.3);
    EXPECT_GT(midToneShare(full), 1.5 * midToneShare(half));
    // Smeared along the motion only: every column stays one shade from top to bottom.
    EXPECT_LE(largestVerticalStep(full), 2);

    // Moving along the stripes changes nothing one can see.
    const Image along = blurred(lookFrom(glm::vec3(0.0f, -0.3f, 0.0f)), now, 0.1f);
    EXPECT_LE(largestDifference(along, input), 2);
}

TEST_F(SceneInMotionGlTest, TheSkyBlursWhenTheCameraTurnsButNotWhenItTravels)
{
    const glm::mat4 now = lookFrom(glm::vec3(0.0f));
    const Image input = drawScene(now, true);

    // A journey that would smear a wall ten units away leaves the infinitely far sky alone.
    const Image travelled = blurred(lookFrom(glm::vec3(-3.0f, 1.0f, 2.0f)), now, 0.1f, true);
    EXPECT_LE(largestDifference(travelled, input), 2);

    const Image turned = blurred(lookFrom(glm::vec3(0.0f), 1.5f), now, 0.1f, true);
    EXPECT_GT(midToneShare(turned), 0.2);
}
