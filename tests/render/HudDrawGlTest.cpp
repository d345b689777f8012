// A sprite and a line of text drawn with the game's own HUD program and font, read back from
// the framebuffer.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/Sprite.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int VIEW_SIZE = 256; // pixels; the context's window

struct Rgba {
    int r, g, b, a;
};

Rgba pixelAt(int x, int y)
{
    const unsigned value = GlTestContext::readPixel(x, y);
    return {int(value >> 24), int((value >> 16) & 0xff), int((value >> 8) & 0xff), int(value & 0xff)};
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

class HudDrawGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        workingDirectory = std::make_unique<ScopedWorkingDirectory>(GROV_GAME_DIR);
        cache.createDefaultEntry();
        hud = cache.get("shader/simple.vert", "shader/texture.frag");
        ASSERT_NE(hud->program(), 0u);
        glViewport(0, 0, VIEW_SIZE, VIEW_SIZE);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void TearDown() override
    {
        Shader::unuse();
        cache.clear();
        TextureManager::destroy();
        std::error_code ignored;
        std::filesystem::remove(imagePath, ignored);
        workingDirectory.reset();
    }

    // What the World does for each HUD object; an identity projection makes HUD units the
    // window's own -1 to 1.
    void drawObject(SceneObject& object)
    {
        hud->use();
        hud->setViewMatrix(glm::mat4(1.0f));
        hud->setProjectionMatrix(glm::mat4(1.0f));
        object.render();
        Shader::unuse();
    }

    // A solid orange 32-bit PNG.
    std::string writeOrangeImage()
    {
        FIBITMAP* image = FreeImage_Allocate(4, 4, 32);
        for (int y = 0; y < 4; ++y) {
            BYTE* line = FreeImage_GetScanLine(image, y);
            for (int x = 0; x < 4; ++x) {
                line[x * 4 + FI_RGBA_RED] = 255;
                line[x * 4 + FI_RGBA_GREEN] = 128;
                line[x * 4 + FI_RGBA_BLUE] = 0;
                line[x * 4 + FI_RGBA_ALPHA] = 255;
            }
        }
        imagePath =
            (std::filesystem::temp_directory_path() / ("grov-orange-" + std::to_string(getpid()) + ".png")).string();
        EXPECT_TRUE(FreeImage_Save(FIF_PNG, image, imagePath.c_str(), 0));
        FreeImage_Unload(image);
        return imagePath;
    }

    ShaderCache cache;
    Shader* hud = nullptr;
    std::string imagePath;
    std::unique_ptr<ScopedWorkingDirectory> workingDirectory;
};

} // namespace

TEST_F(HudDrawGlTest, SpriteAndGlyphAppearWhereTheirTransformPutsThem)
{
    const GLuint orange = TextureManager::instance().load(writeOrangeImage(), GL_RGBA, GL_BGRA, GL_LINEAR_MIPMAP_LINEAR,
                                                          GL_LINEAR, GL_REPEAT, GL_REPEAT);
    ASSERT_NE(orange, 0u);
    Sprite sprite;
    sprite.setTransparent(true);
    sprite.setTexture(int(orange), 1);
    sprite.setShader(hud);
    // Spans x -0.75 to -0.25 and y 0.25 to 0.75: pixels 32 to 96 across, 160 to 224 up.
    sprite.setPosition(glm::vec3(-0.5f, 0.5f, 0.0f));
    sprite.setScale(glm::vec3(0.25f, 0.25f, 0.0f));
    drawObject(sprite);

    Text2D text;
    text.setShader(hud);
    text.setText("I");
    // The box spans x 0.25 to 0.75 and y -0.75 to -0.25: pixels 160 to 224, 32 to 96.
    text.setPosition(glm::vec3(0.5f, -0.5f, 0.0f));
    text.setScale(glm::vec3(0.5f, 0.5f, 0.0f));
    drawObject(text);
    saveScreenshot("hud-sprite-and-glyph.png");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    const Rgba inside = pixelAt(64, 192);
    EXPECT_EQ(inside.r, 255);
    EXPECT_NEAR(inside.g, 128, 2);
    EXPECT_EQ(inside.b, 0);
    for (const auto& [x, y] : {std::pair{28, 192}, std::pair{100, 192}, std::pair{64, 156}, std::pair{64, 228}})
        EXPECT_EQ(pixelAt(x, y).r, 0) << x << ", " << y;

    // The capital I is a white stem up the middle of its cell, standing on the baseline.
    const Rgba stem = pixelAt(192, 64);
    EXPECT_GT(stem.r, 200);
    EXPECT_GT(stem.g, 200);
    EXPECT_GT(stem.b, 200);
    EXPECT_LT(pixelAt(170, 64).r, 20); // beside the stem
    EXPECT_LT(pixelAt(214, 64).r, 20);
    EXPECT_LT(pixelAt(192, 36).r, 20);  // below the baseline
    EXPECT_LT(pixelAt(192, 93).r, 20);  // above the cap height
    EXPECT_LT(pixelAt(192, 128).r, 20); // outside the box
}

TEST_F(HudDrawGlTest, TheVisiblePartsOfTheArrowAndTheWheelLandOnTheSamePixelsAsTheirWholeQuads)
{
    // The round wheel's part is an octagon, well inside its square; the arrow's is a sliver.
    for (const auto& [path, largestShare] : {std::pair{"res/arrow.png", 0.2f}, std::pair{"res/wheel.png", 0.85f}}) {
        SCOPED_TRACE(path);
        const GLuint image = TextureManager::instance().load(path, GL_RGBA8, GL_BGRA, GL_LINEAR_MIPMAP_LINEAR,
                                                             GL_LINEAR, GL_REPEAT, GL_REPEAT);
        ASSERT_NE(image, 0u);
        Sprite sprite;
        sprite.setTransparent(true);
        sprite.setTransparency(0.5f);
        sprite.setTexture(int(image), 1);
        sprite.setShader(hud);
        sprite.setRotationAxis(glm::vec3(0.0f, 0.0f, 1.0f));
        sprite.setRotationAngle(0.7f);
        sprite.setScale(glm::vec3(0.9f, 0.9f, 0.0f));
        sprite.findVisiblePart(8);
        // The outline's area by the shoelace formula, as a share of the whole image.
        const std::vector<glm::vec2>& part = sprite.visiblePart();
        float area = 0.0f;
        for (std::size_t i = 0; i < part.size(); ++i)
            area += part[i].x * part[(i + 1) % part.size()].y - part[(i + 1) % part.size()].x * part[i].y;
        EXPECT_GT(area / 2.0f, 0.05f);
        EXPECT_LT(area / 2.0f, largestShare);

        const auto draw = [&](bool partOnly) {
            glClearColor(0.3f, 0.4f, 0.5f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            sprite.setVisiblePartOnly(partOnly);
            drawObject(sprite);
            std::vector<unsigned char> pixels(std::size_t(VIEW_SIZE) * VIEW_SIZE * 4);
            glReadPixels(0, 0, VIEW_SIZE, VIEW_SIZE, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            return pixels;
        };
        const std::vector<unsigned char> whole = draw(false);
        const std::vector<unsigned char> partDrawn = draw(true);
        const std::vector<unsigned char> wholeAgain = draw(false);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

        int imagePixels = 0, differing = 0, largest = 0;
        for (std::size_t i = 0; i < whole.size(); i += 4) {
            // The corner stays background: both images stand in the middle.
            if (whole[i] != whole[0] || whole[i + 1] != whole[1] || whole[i + 2] != whole[2])
                ++imagePixels;
            int step = 0;
            for (std::size_t c = 0; c < 3; ++c)
                step = std::max(step, std::abs(int(whole[i + c]) - int(partDrawn[i + c])));
            differing += step > 0;
            largest = std::max(largest, step);
        }
        EXPECT_GT(imagePixels, 1000) << "the image was not drawn";
        // Only the triangles' split moves: the odd edge pixel may round the other way.
        EXPECT_LE(largest, 1);
        EXPECT_LT(differing, imagePixels / 100);
        EXPECT_TRUE(whole == wholeAgain) << "switching back must restore the whole quad";
    }
}
