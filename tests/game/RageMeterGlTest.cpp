// The rage gauge drawn with the game's own program and images, read back from the framebuffer.

#include "GameLogicRig.h"
#include "GlTestContext.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/ShaderVariable.h"
#include "render/TextureManager.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int VIEW_SIZE = 256; // pixels, the test context's window
constexpr int BAR_ROW = VIEW_SIZE / 2;

struct Rgb {
    int r, g, b;
};

Rgb pixelAt(int x, int y)
{
    const unsigned value = GlTestContext::readPixel(x, y);
    return {int(value >> 24), int((value >> 16) & 0xff), int((value >> 8) & 0xff)};
}

// The column of the view where the gauge's image has this u, with the gauge filling the view.
int columnOf(float u)
{
    return int(u * VIEW_SIZE);
}

bool isRed(Rgb c)
{
    return c.r > 150 && c.g < 110 && c.b < 110;
}

// Saves the frame when GROV_SCREENSHOT_DIR is set, to look at by eye.
void saveScreenshot(const char* name)
{
    const char* dir = std::getenv("GROV_SCREENSHOT_DIR");
    if (!dir)
        return;
    FIBITMAP* image = FreeImage_Allocate(VIEW_SIZE, VIEW_SIZE, 32);
    glReadPixels(0, 0, VIEW_SIZE, VIEW_SIZE, GL_BGRA, GL_UNSIGNED_BYTE, FreeImage_GetBits(image));
    FreeImage_Save(FIF_PNG, image, (std::string(dir) + "/" + name).c_str(), 0);
    FreeImage_Unload(image);
}

class RageMeterGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open(VIEW_SIZE, VIEW_SIZE))
            GTEST_SKIP() << "no OpenGL 3.3 context";
        directory = std::make_unique<ChangeDirectory>(GROV_GAME_DIR);
        ASSERT_TRUE(directory->ok);
        cache.createDefaultEntry();
        program = cache.get("shader/simple.vert", "shader/textureWithColor.frag");
        ASSERT_NE(program->program(), 0u);
        meter = std::make_unique<RageMeter>();
        meter->setTextures("res/rageometer1.png", "res/rageometer2.png");
        ASSERT_NE(meter->background().texture(), 0);
        ASSERT_NE(meter->fill().texture(), 0);
        meter->setShader(program);
        meter->setScale(glm::vec3(1, 1, 0));
        glViewport(0, 0, VIEW_SIZE, VIEW_SIZE);
        glDisable(GL_DEPTH_TEST);
    }

    void TearDown() override
    {
        meter.reset();
        Shader::unuse();
        cache.clear();
        TextureManager::destroy();
        directory.reset();
    }

    // What the World's HUD pass does for one object; an identity projection makes HUD units
    // the window's own -1 to 1.
    void draw()
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        program->use();
        program->setViewMatrix(glm::mat4(1.0f));
        program->setProjectionMatrix(glm::mat4(1.0f));
        meter->render();
    }

    glm::vec4 uniform4(int id)
    {
        glm::vec4 v(-9.0f);
        glGetUniformfv(program->program(), uniformLocation(id), &v.x);
        return v;
    }

    std::unique_ptr<ChangeDirectory> directory;
    ShaderCache cache;
    Shader* program = nullptr;
    std::unique_ptr<RageMeter> meter;
};

TEST_F(RageMeterGlTest, FillShowsUpToTheValueInRed)
{
    meter->setValue(0.3f);
    draw();
    saveScreenshot("ragemeter-0.3.png");
    EXPECT_EQ(uniform4(UNIFORM_UV_AREA), glm::vec4(0, 0, 0.3f, 1));
    EXPECT_EQ(uniform4(UNIFORM_OBJECT_COLOR), glm::vec4(0.5f, -0.7f, -0.7f, 0));
    EXPECT_TRUE(isRed(pixelAt(columnOf(0.15f), BAR_ROW)));
    EXPECT_TRUE(isRed(pixelAt(columnOf(0.28f), BAR_ROW)));
    EXPECT_FALSE(isRed(pixelAt(columnOf(0.33f), BAR_ROW)));
    EXPECT_FALSE(isRed(pixelAt(columnOf(0.7f), BAR_ROW)));

    meter->setValue(0.0f);
    draw();
    EXPECT_FALSE(isRed(pixelAt(columnOf(0.15f), BAR_ROW)));

    meter->setValue(1.0f);
    draw();
    saveScreenshot("ragemeter-1.0.png");
    EXPECT_TRUE(isRed(pixelAt(columnOf(0.9f), BAR_ROW)));

    // The gauge passes what it is given; keeping it in range is the game's business.
    meter->setValue(1.7f);
    draw();
    EXPECT_EQ(uniform4(UNIFORM_UV_AREA), glm::vec4(0, 0, 1.7f, 1));
    EXPECT_FLOAT_EQ(meter->value(), 1.7f);
}

TEST_F(RageMeterGlTest, BothLayersMoveWithTheGaugeAndHideWithIt)
{
    meter->setValue(1.0f);
    meter->setScale(glm::vec3(0.5f, 0.5f, 0));
    meter->setPosition(glm::vec3(-0.5f, 0, 0));
    draw();
    // u = 0.4 of the gauge in the left half of the view, and in the right half.
    const int left = int(0.4f * VIEW_SIZE / 2), right = VIEW_SIZE / 2 + left;
    EXPECT_TRUE(isRed(pixelAt(left, BAR_ROW)));
    EXPECT_FALSE(isRed(pixelAt(right, BAR_ROW)));

    meter->setPosition(glm::vec3(0.5f, 0, 0));
    draw();
    EXPECT_EQ(meter->background().position(), glm::vec3(0.5f, 0, 0));
    EXPECT_EQ(meter->fill().position(), glm::vec3(0.5f, 0, 0));
    EXPECT_EQ(meter->fill().scale(), glm::vec3(0.5f, 0.5f, 0));
    EXPECT_FALSE(isRed(pixelAt(left, BAR_ROW)));
    EXPECT_TRUE(isRed(pixelAt(right, BAR_ROW)));

    meter->setVisible(false);
    draw();
    for (int x = 0; x < VIEW_SIZE; x += 8) {
        const Rgb c = pixelAt(x, BAR_ROW);
        ASSERT_EQ(c.r + c.g + c.b, 0) << "hidden gauge drew at column " << x;
    }
}

} // namespace
