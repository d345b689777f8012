// The per-object draw: model matrix, blending and the "transparency" value sent to the shader.

#include "GlTestContext.h"
#include "render/SceneObject.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/ShaderVariable.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <string>

namespace {

const std::string SHADER_DIR = std::string(GROV_GAME_DIR) + "/shader/";

// Records what the GL state looks like at the moment render hands over to draw.
class ProbeObject : public SceneObject {
public:
    void draw(Shader* shader) override
    {
        ++draws;
        blendDuringDraw = glIsEnabled(GL_BLEND) == GL_TRUE;
        glGetUniformfv(shader->program(), uniformLocation(UNIFORM_TRANSPARENCY), &sentTransparency);
        glGetUniformfv(shader->program(), uniformLocation(UNIFORM_M_MATRIX), &sentModel[0][0]);
    }

    int draws = 0;
    bool blendDuringDraw = false;
    float sentTransparency = -1.0f;
    glm::mat4 sentModel = glm::mat4(0.0f);
};

class SceneObjectGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        cache.createDefaultEntry();
        shader = cache.get(SHADER_DIR + "simple.vert", SHADER_DIR + "texture.frag");
        ASSERT_NE(shader->program(), 0u);
        shader->use();
        shader->setViewMatrix(glm::mat4(1.0f));
        shader->setProjectionMatrix(glm::mat4(1.0f));
        object.setShader(shader);
        glDisable(GL_BLEND);
    }

    void TearDown() override
    {
        transparencyEnabled = true;
        glDisable(GL_BLEND);
        Shader::unuse();
        cache.clear();
    }

    ShaderCache cache;
    Shader* shader = nullptr;
    ProbeObject object;
};

} // namespace

TEST_F(SceneObjectGlTest, OnlyTransparentObjectsSwitchBlendingAndTheyRestoreIt)
{
    object.setTransparent(true);
    object.render();
    EXPECT_TRUE(object.blendDuringDraw);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glEnable(GL_BLEND);
    object.render();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    // An opaque object leaves blending as it finds it, and still sends its transparency.
    object.setTransparent(false);
    object.setTransparency(0.3f);
    object.render();
    EXPECT_TRUE(object.blendDuringDraw);
    glDisable(GL_BLEND);
    object.render();
    EXPECT_FALSE(object.blendDuringDraw);
    EXPECT_FLOAT_EQ(object.sentTransparency, 0.3f);
}

TEST_F(SceneObjectGlTest, TransparencyRoundsWhenSwitchedOff)
{
    object.setTransparent(true);
    const struct {
        float stored;
        bool enabled;
        float sent;
    } cases[] = {
        {0.5f, false, 0.0f},
        {0.51f, false, 1.0f},
        {0.5f, true, 0.5f},
        {0.51f, true, 0.51f},
    };
    for (const auto& c : cases) {
        transparencyEnabled = c.enabled;
        object.setTransparency(c.stored);
        object.render();
        EXPECT_FLOAT_EQ(object.sentTransparency, c.sent) << c.stored << (c.enabled ? " on" : " off");
        // The stored value itself is never rounded.
        EXPECT_FLOAT_EQ(object.transparency(), c.stored);
    }
    object.setTransparency(1.7f);
    EXPECT_FLOAT_EQ(object.transparency(), 1.0f);
    object.setTransparency(-0.2f);
    EXPECT_FLOAT_EQ(object.transparency(), 0.0f);
}

TEST_F(SceneObjectGlTest, HiddenOrShaderlessObjectsAreNotDrawn)
{
    object.setVisible(false);
    object.render();
    EXPECT_EQ(object.draws, 0);

    ProbeObject orphan;
    testing::internal::CaptureStdout();
    orphan.render();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warning! No shader attached to scene object\n");
    EXPECT_EQ(orphan.draws, 0);
}

TEST_F(SceneObjectGlTest, ModelMatrixScalesThenRotatesThenTranslates)
{
    object.setPosition(glm::vec3(1.0f, 2.0f, 3.0f));
    object.setRotationAxis(glm::vec3(0.0f, 0.0f, 1.0f));
    object.setRotationAngle(90.0f);
    object.setScale(glm::vec3(2.0f, 1.0f, 1.0f));
    // (1, 0, 0) is stretched to (2, 0, 0), turned onto (0, 2, 0), then moved.
    const glm::vec4 corner = object.modelMatrix() * glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(corner.x, 1.0f, 1e-5f);
    EXPECT_NEAR(corner.y, 4.0f, 1e-5f);
    EXPECT_NEAR(corner.z, 3.0f, 1e-5f);

    object.render();
    EXPECT_EQ(object.sentModel, object.modelMatrix());
}
