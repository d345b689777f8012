// The blur over the game's own landscape during a dive: terrain and sky drawn into the
// off-screen target from the flight camera, then composed through the motion-blur program as
// if the camera had been one frame's dive step higher and further back. With
// GROV_SCREENSHOT_DIR set, the sharp and the blurred frame are saved there to look at.

#include "GlTestContext.h"
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

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 1024; // pixels
constexpr int HEIGHT = 768; // pixels
const glm::vec3 GROV(0.0f, 45.0f, -300.0f);              // mid-dive, world units
const glm::vec3 CAMERA_OFFSET(0.0f, 20.0f, 19.0f);       // flight camera behind and above Grov
const glm::vec3 LOOK(0.0f, -15.0f, -30.0f);              // flight camera's look vector
const glm::vec3 DIVE_STEP(0.0f, -3.1f, -1.8f);           // world units per frame at 60 Hz
const glm::vec3 LIGHT_POSITION(-1500.0f, 3358.0f, -3500.0f);

using Image = std::vector<unsigned char>; // RGBA rows, bottom up

Image readBound()
{
    Image pixels(std::size_t(WIDTH) * HEIGHT * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void save(const Image& pixels, const char* name)
{
    const char* dir = std::getenv("GROV_SCREENSHOT_DIR");
    if (!dir)
        return;
    FIBITMAP* image = FreeImage_Allocate(WIDTH, HEIGHT, 24);
    for (int y = 0; y < HEIGHT; ++y) {
        BYTE* line = FreeImage_GetScanLine(image, y);
        for (int x = 0; x < WIDTH; ++x) {
            const unsigned char* p = &pixels[(std::size_t(y) * WIDTH + x) * 4];
            line[x * 3 + FI_RGBA_RED] = p[0];
            line[x * 3 + FI_RGBA_GREEN] = p[1];
            line[x * 3 + FI_RGBA_BLUE] = p[2];
        }
    }
    FreeImage_Save(FIF_PNG, image, (std::string(dir) + "/" + name).c_str(), 0);
    FreeImage_Unload(image);
}

double meanBrightness(const Image& pixels)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % 4 != 3)
            sum += pixels[i];
    }
    return sum / (double(WIDTH) * HEIGHT * 3);
}

// Mean absolute difference of horizontally neighbouring pixels: how much fine detail is left.
double detail(const Image& pixels, int rowFrom, int rowTo)
{
    double sum = 0.0;
    for (int y = rowFrom; y < rowTo; ++y) {
        for (int x = 0; x + 1 < WIDTH; ++x) {
            const std::size_t i = (std::size_t(y) * WIDTH + x) * 4;
            sum += std::abs(int(pixels[i + 1]) - int(pixels[i + 5]));
        }
    }
    return sum / (double(rowTo - rowFrom) * (WIDTH - 1));
}

} // namespace

TEST(SceneInMotionDiveGlTest, ADiveBlursTheLandscapeWithoutDarkeningOrBreakingIt)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    char previousDir[4096] = {};
    ASSERT_NE(getcwd(previousDir, sizeof previousDir), nullptr);
    ASSERT_EQ(chdir(GROV_GAME_DIR), 0);

    ShaderCache cache;
    cache.createDefaultEntry();
    Shader* terrainProgram = cache.get("shader/heightmap.vert", "shader/heightmapBlinnPhongTexture.frag");
    Shader* skyProgram = cache.get("shader/standard.vert", "shader/texture.frag");
    Shader* blurProgram = cache.get("shader/fullscreen.vert", "shader/motionblur.frag");
    ASSERT_NE(blurProgram->program(), 0u);

    const glm::vec3 eye = GROV + CAMERA_OFFSET;
    MovableCamera camera(eye, eye + LOOK, glm::vec3(0.0f, 1.0f, 0.0f), 0.00045f, 20.0f);
    MovableCamera* activeCamera = &camera;
    const glm::mat4 projection = glm::perspective(glm::radians(45.0f), float(WIDTH) / HEIGHT, 0.1f, 5000.0f);
    const glm::mat4 view = camera.viewMatrix();
    const glm::mat4 previousView = glm::lookAt(eye - DIVE_STEP, eye - DIVE_STEP + LOOK, glm::vec3(0.0f, 1.0f, 0.0f));

    Framebuffer scene;
    Framebuffer screen;
    scene.create();
    screen.create();
    {
        Terrain terrain;
        terrain.generate(800, 800);
        terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
        terrain.setPosition(glm::vec3(10.0f, 0.0f, 0.0f));
        terrain.setCamera(&activeCamera);
        terrain.setShader(terrainProgram);
        Skybox sky;
        sky.setup(&activeCamera, "res/skybox2/front.jpg", "res/skybox2/back.jpg", "res/skybox2/left.jpg",
                  "res/skybox2/right.jpg", "res/skybox2/top.jpg", "res/skybox2/bottom.jpg");
        sky.setShader(skyProgram);
        terrain.update(0.0);
        sky.update(0.0);

        scene.bind();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (SceneObject* object : {static_cast<SceneObject*>(&terrain), static_cast<SceneObject*>(&sky)}) {
            object->shader()->use();
            object->shader()->setViewMatrix(view);
            object->shader()->setProjectionMatrix(projection);
            setUniform3f(UNIFORM_LIGHT_POSITION_WORLD, LIGHT_POSITION.x, LIGHT_POSITION.y, LIGHT_POSITION.z);
            object->render();
            Shader::unuse();
        }
        scene.unbind();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(scene.framebuffer()));
    const Image sharp = readBound();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    SceneInMotion quad;
    quad.setShader(blurProgram);
    quad.setTexture(scene.colorTexture(), 1);
    quad.setDepthTexture(scene.depthTexture(), 2);
    quad.setViewProjectionInverse(glm::inverse(projection * view));
    quad.setViewProjectionPrevious(projection * previousView);
    quad.setBlurSamples(32);
    quad.setBlurScale(0.1f);
    screen.bind();
    glDisable(GL_DEPTH_TEST);
    blurProgram->use();
    blurProgram->setViewMatrix(view);
    blurProgram->setProjectionMatrix(glm::mat4(1.0f));
    quad.render();
    Shader::unuse();
    const Image blurred = readBound();
    screen.unbind();
    glEnable(GL_DEPTH_TEST);

    save(sharp, "dive-sharp.png");
    save(blurred, "dive-blurred.png");
    scene.release();
    screen.release();
    cache.clear();
    EXPECT_EQ(chdir(previousDir), 0);

    // Averaging moves light around but neither adds nor loses it.
    EXPECT_NEAR(meanBrightness(blurred), meanBrightness(sharp), 0.03 * meanBrightness(sharp));
    // The ground rushing past, nearest at the bottom of the screen, loses its fine detail;
    // the far horizon near the top hardly moves and keeps most of it.
    const double nearLoss = detail(blurred, 0, HEIGHT / 4) / detail(sharp, 0, HEIGHT / 4);
    EXPECT_LT(nearLoss, 0.7);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
