// The game's own eight programs, built from the run directory's shader files.

#include "GlTestContext.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const std::string SHADER_DIR = std::string(GROV_GAME_DIR) + "/shader/";

const std::pair<const char*, const char*> GAME_PROGRAMS[] = {
    {"standard.vert", "simple.frag"},
    {"heightmap.vert", "heightmapBlinnPhongTexture.frag"},
    {"standard.vert", "texture.frag"},
    {"BlinnPhongTexture.vert", "BlinnPhongTexture.frag"},
    {"vertexSkinning.vert", "BlinnPhongTexture.frag"},
    {"simple.vert", "texture.frag"},
    {"simple.vert", "textureWithColor.frag"},
    {"fullscreen.vert", "motionblur.frag"},
};

} // namespace

TEST(ShaderProgramsGlTest, EveryGameProgramCompilesLinksAndValidates)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    ShaderCache cache;
    cache.createDefaultEntry();
    for (const auto& [vertex, fragment] : GAME_PROGRAMS) {
        testing::internal::CaptureStdout();
        Shader* shader = cache.get(SHADER_DIR + vertex, SHADER_DIR + fragment);
        const std::string output = testing::internal::GetCapturedStdout();
        ASSERT_NE(shader, cache.defaultShader()) << vertex << " + " << fragment << "\n" << output;
        EXPECT_NE(shader->program(), 0u);
        EXPECT_EQ(output.find("Failed"), std::string::npos) << output;
    }
    // Eight pairs plus the fallback; pairs that share a stage are still separate programs.
    EXPECT_EQ(cache.size(), 9u);
    cache.clear();
}
