// Building programs from files, the cache with its fallback, and the uniform table.

#include "GlTestContext.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/ShaderVariable.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <unistd.h>

namespace {

// Uses every matrix that setModelMatrix uploads, so none is optimised away.
const char* VALID_VERTEX = R"(#version 330 core
layout(location = 0) in vec3 position;
uniform mat4 mMatrix;
uniform mat4 mvMatrix;
uniform mat4 mvpMatrix;
uniform mat3 nMatrix;
out vec3 shade;
void main()
{
    vec4 point = vec4(position, 1.0);
    shade = nMatrix * (mMatrix * point).xyz + (mvMatrix * point).xyz;
    gl_Position = mvpMatrix * point;
}
)";
const char* VALID_FRAGMENT = R"(#version 330 core
in vec3 shade;
uniform float transparency;
out vec4 fragColor;
void main() { fragColor = vec4(shade, transparency); }
)";
const char* BROKEN = "#version 330 core\nvoid main() { this is not glsl; }\n";
// Mesa warns about an unknown extension requested with "warn" but still compiles.
const char* WARNING_FRAGMENT = R"(#version 330 core
#extension GL_GROV_no_such_thing : warn
in vec3 shade;
out vec4 fragColor;
void main() { fragColor = vec4(shade, 1.0); }
)";
// A stage without main compiles on its own but cannot be linked.
const char* NO_MAIN_FRAGMENT = R"(#version 330 core
out vec4 fragColor;
void paint() { fragColor = vec4(1.0); }
)";

const std::string GAME_SHADERS = std::string(GROV_GAME_DIR) + "/shader/";
const std::pair<const char*, const char*> GAME_PROGRAMS[] = {
    {"heightmap.vert", "heightmapBlinnPhongTexture.frag"},
    {"heightmap.vert", "heightmapLod.frag"},
    {"heightmap.vert", "heightmapFar.frag"},
    {"standard.vert", "texture.frag"},
    {"BlinnPhongTexture.vert", "BlinnPhongTexture.frag"},
    {"vertexSkinning.vert", "BlinnPhongTexture.frag"},
    {"simple.vert", "texture.frag"},
    {"simple.vert", "textureWithColor.frag"},
    {"fullscreen.vert", "motionblur.frag"},
};

class ShaderGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        dir = std::filesystem::temp_directory_path() / ("grov-shader-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        cache.createDefaultEntry();
    }

    void TearDown() override
    {
        cache.clear();
        Shader::unuse();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::string write(const std::string& name, const char* source)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path) << source;
        return path;
    }

    // Runs get and returns what it printed.
    std::string request(Shader*& result, const std::string& vertex, const std::string& fragment)
    {
        testing::internal::CaptureStdout();
        result = cache.get(vertex, fragment);
        return testing::internal::GetCapturedStdout();
    }

    std::filesystem::path dir;
    ShaderCache cache;
};

} // namespace

TEST_F(ShaderGlTest, EveryGameProgramCompilesLinksAndValidates)
{
    for (const auto& [vertex, fragment] : GAME_PROGRAMS) {
        Shader* shader = nullptr;
        const std::string output = request(shader, GAME_SHADERS + vertex, GAME_SHADERS + fragment);
        EXPECT_NE(shader, cache.defaultShader()) << vertex << " + " << fragment << "\n" << output;
        EXPECT_EQ(output.find("Failed"), std::string::npos) << output;
    }
    EXPECT_EQ(cache.size(), std::size(GAME_PROGRAMS) + 1) << "each program once, and the default";
}

TEST_F(ShaderGlTest, SamePairIsBuiltOnceAndShared)
{
    const std::string vertex = write("a.vert", VALID_VERTEX);
    const std::string fragment = write("a.frag", VALID_FRAGMENT);
    Shader* first = nullptr;
    Shader* second = nullptr;
    EXPECT_EQ(request(first, vertex, fragment), "");
    EXPECT_EQ(request(second, vertex, fragment), "");
    EXPECT_EQ(first, second);
    EXPECT_NE(first, cache.defaultShader());
    EXPECT_NE(first->program(), 0u);
    EXPECT_TRUE(cache.contains(vertex + fragment));
    EXPECT_EQ(cache.size(), 2u);
}

TEST_F(ShaderGlTest, FailedBuildsFallBackAndStoreNothing)
{
    const std::string fragment = write("b.frag", VALID_FRAGMENT);
    const std::string missing = (dir / "nowhere.vert").string();
    for (int attempt = 0; attempt < 2; ++attempt) {
        Shader* shader = nullptr;
        // Reported again on every request, since nothing is cached for the pair.
        EXPECT_EQ(request(shader, missing, fragment), "Could not open '" + missing + "'\n");
        EXPECT_EQ(shader, cache.defaultShader());
        EXPECT_EQ(shader->program(), 0u);
    }
    EXPECT_FALSE(cache.contains(missing + fragment));

    // The fragment stage is compiled and reported even though the vertex stage failed.
    const std::string vertex = write("broken.vert", BROKEN);
    const std::string brokenFragment = write("broken.frag", BROKEN);
    Shader* shader = nullptr;
    const std::string output = request(shader, vertex, brokenFragment);
    EXPECT_NE(output.find("Failed to compile shader '" + vertex + "': "), std::string::npos) << output;
    EXPECT_NE(output.find("Failed to compile shader '" + brokenFragment + "': "), std::string::npos) << output;
    EXPECT_EQ(shader, cache.defaultShader());
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(ShaderGlTest, LinkFailureIsReportedWithItsLog)
{
    const std::string vertex = write("c.vert", VALID_VERTEX);
    const std::string fragment = write("nomain.frag", NO_MAIN_FRAGMENT);
    Shader* shader = nullptr;
    const std::string output = request(shader, vertex, fragment);
    EXPECT_EQ(output.rfind("Failed to link the shader:\n", 0), 0u) << output;
    EXPECT_GT(output.size(), std::string("Failed to link the shader:\n\n").size());
    // The linker's log names no file; the line after it does.
    EXPECT_NE(output.find("Could not link '" + vertex + "' with '" + fragment + "'\n"), std::string::npos) << output;
    EXPECT_EQ(shader, cache.defaultShader());
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(ShaderGlTest, CompileWarningsAreShownAndTheProgramIsUsable)
{
    const std::string vertex = write("d.vert", VALID_VERTEX);
    // Mesa keeps compiled shaders on disk and skips the compile, and its log, for a source it
    // has seen before; a fresh comment makes this source new on every run.
    const std::string source = std::string(WARNING_FRAGMENT) + "// " + std::to_string(std::random_device()()) + "\n";
    const std::string fragment = write("warn.frag", source.c_str());
    Shader* shader = nullptr;
    const std::string output = request(shader, vertex, fragment);
    EXPECT_NE(output.find("Shader info for '" + fragment + "': "), std::string::npos) << output;
    EXPECT_NE(shader, cache.defaultShader());
    EXPECT_NE(shader->program(), 0u);
}

TEST_F(ShaderGlTest, UniformTableNames)
{
    EXPECT_STREQ(uniformName(0), "PROGRAMMING ERROR");
    EXPECT_STREQ(uniformName(13), "PROGRAMMING ERROR");
    EXPECT_STREQ(uniformName(UNIFORM_TEXTURE_MAP3), "textureMap3");
    EXPECT_STREQ(uniformName(35), "bones[0]");
    EXPECT_STREQ(uniformName(36), "bones[1]");
}

TEST_F(ShaderGlTest, UniformsThatTheProgramLacksAreSkipped)
{
    Shader* shader = nullptr;
    request(shader, write("e.vert", VALID_VERTEX), write("e.frag", VALID_FRAGMENT));
    shader->use();
    EXPECT_EQ(currentProgram(), shader->program());
    EXPECT_EQ(uniformLocation(UNIFORM_TEXTURE_SCALE1), -1);
    setUniform1f(UNIFORM_TEXTURE_SCALE1, 600.0f);
    setUniform1i(13, 3);
    setUniform1f(UNIFORM_TRANSPARENCY, 0.25f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    float transparency = 0.0f;
    glGetUniformfv(shader->program(), uniformLocation(UNIFORM_TRANSPARENCY), &transparency);
    EXPECT_FLOAT_EQ(transparency, 0.25f);

    // The fallback binds no program: every uniform is skipped without a GL error.
    Shader* fallback = cache.defaultShader();
    fallback->use();
    EXPECT_EQ(currentProgram(), 0u);
    setUniform1f(UNIFORM_TRANSPARENCY, 0.5f);
    fallback->setModelMatrix(glm::mat4(1.0f));
    fallback->release();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    Shader::unuse();
    EXPECT_EQ(currentProgram(), 0u);
}

TEST_F(ShaderGlTest, ModelMatrixUploadsTheDerivedMatrices)
{
    Shader* shader = nullptr;
    request(shader, write("f.vert", VALID_VERTEX), write("f.frag", VALID_FRAGMENT));
    shader->use();
    const glm::mat4 view = glm::lookAt(glm::vec3(0, 2, 5), glm::vec3(0), glm::vec3(0, 1, 0));
    const glm::mat4 projection = glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 100.0f);
    const glm::mat4 model = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)), glm::vec3(2, 3, 4));
    shader->setViewMatrix(view);
    shader->setProjectionMatrix(projection);
    shader->setModelMatrix(model);

    // Whole matrices: the translation column is where a dropped or misplaced factor shows.
    const std::pair<int, glm::mat4> expected[] = {
        {UNIFORM_M_MATRIX, model},
        {UNIFORM_MV_MATRIX, view * model},
        {UNIFORM_MVP_MATRIX, projection * view * model},
    };
    for (const auto& [uniform, matrix] : expected) {
        SCOPED_TRACE(uniformName(uniform));
        ASSERT_NE(uniformLocation(uniform), -1);
        glm::mat4 sent(0.0f);
        glGetUniformfv(shader->program(), uniformLocation(uniform), &sent[0][0]);
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 4; ++row)
                EXPECT_NEAR(sent[column][row], matrix[column][row], 1e-5f) << "column " << column << " row " << row;
    }
    glm::mat3 normal(0.0f);
    glGetUniformfv(shader->program(), uniformLocation(UNIFORM_N_MATRIX), &normal[0][0]);
    const glm::mat3 expectedNormal = glm::transpose(glm::inverse(glm::mat3(view * model)));
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            EXPECT_NEAR(normal[column][row], expectedNormal[column][row], 1e-5f);

    // A flat HUD object (z scale 0) must not fill the normal matrix with infinities.
    shader->setModelMatrix(glm::scale(glm::mat4(1.0f), glm::vec3(0.4f, 0.08f, 0.0f)));
    glGetUniformfv(shader->program(), uniformLocation(UNIFORM_N_MATRIX), &normal[0][0]);
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            EXPECT_TRUE(std::isfinite(normal[column][row]));
}
