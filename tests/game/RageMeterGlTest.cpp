// The rage gauge drawn with the game's own program and images, read back from the framebuffer.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "game/RageMeter.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/ShaderVariable.h"
#include "render/TextureManager.h"

#include <gtest/gtest.h>

namespace {

constexpr int VIEW_SIZE = 256; // pixels, the test context's window
constexpr int BAR_ROW = VIEW_SIZE / 2;

// Whether the pixel at u of a gauge spanning columns [left, left + width) shows the red fill.
bool redAt(int left, int width, float u)
{
    const unsigned c = GlTestContext::readPixel(left + int(u * float(width)), BAR_ROW);
    return (c >> 24) > 150 && ((c >> 16) & 0xff) < 110 && ((c >> 8) & 0xff) < 110;
}

TEST(RageMeterGlTest, FillShowsTheValueAndFollowsTheGauge)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    ScopedWorkingDirectory inGameDir(GROV_GAME_DIR);
    ShaderCache cache;
    cache.createDefaultEntry();
    Shader* program = cache.get("shader/simple.vert", "shader/textureWithColor.frag");
    ASSERT_NE(program->program(), 0u);
    {
        RageMeter meter;
        meter.setTextures("res/rageometer1.png", "res/rageometer2.png");
        ASSERT_NE(meter.fill().texture(), 0);
        meter.setShader(program);
        meter.setScale(glm::vec3(1, 1, 0));
        glViewport(0, 0, VIEW_SIZE, VIEW_SIZE);
        glDisable(GL_DEPTH_TEST);
        // The World's HUD pass for one object; an identity projection makes HUD units the view.
        const auto draw = [&](float value) {
            meter.setValue(value);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            program->use();
            program->setViewMatrix(glm::mat4(1.0f));
            program->setProjectionMatrix(glm::mat4(1.0f));
            meter.render();
        };

        // The same with only the images' visible parts drawn (AUTO's way): the fill still ends
        // at the value, and the trough beyond it stays dark.
        meter.findVisibleParts(32);
        for (bool partOnly : {false, true}) {
            meter.setVisiblePartOnly(partOnly);
            draw(0.3f);
            glm::vec4 area(0.0f);
            glGetUniformfv(program->program(), uniformLocation(UNIFORM_UV_AREA), &area.x);
            EXPECT_EQ(area, glm::vec4(0, 0, 0.3f, 1));
            EXPECT_TRUE(redAt(0, VIEW_SIZE, 0.15f) && redAt(0, VIEW_SIZE, 0.28f)) << partOnly;
            EXPECT_FALSE(redAt(0, VIEW_SIZE, 0.33f) || redAt(0, VIEW_SIZE, 0.7f)) << partOnly;
            draw(0.0f);
            EXPECT_FALSE(redAt(0, VIEW_SIZE, 0.15f)) << partOnly;
        }
        meter.setVisiblePartOnly(false);

        // Both layers go where the gauge goes, at its size.
        meter.setScale(glm::vec3(0.5f, 0.5f, 0));
        meter.setPosition(glm::vec3(0.5f, 0, 0));
        draw(1.0f);
        EXPECT_TRUE(redAt(VIEW_SIZE / 2, VIEW_SIZE / 2, 0.4f));
        EXPECT_FALSE(redAt(0, VIEW_SIZE / 2, 0.4f));
        EXPECT_EQ(meter.background().position(), glm::vec3(0.5f, 0, 0));

        meter.setVisible(false);
        draw(1.0f);
        for (int x = 0; x < VIEW_SIZE; x += 8)
            ASSERT_EQ(GlTestContext::readPixel(x, BAR_ROW) >> 8, 0u) << "hidden gauge drew at column " << x;
    }
    Shader::unuse();
    cache.clear();
    TextureManager::destroy();
}

} // namespace
