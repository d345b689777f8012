// Text meshes and the per-object uniform upload of SceneObject::render.

#include "GlTestContext.h"
#include "render/SceneObject.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/Text2D.h"

#include <benchmark/benchmark.h>
#include <glm/gtc/matrix_transform.hpp>

#include <string>
#include <vector>

namespace {

const std::string SHADER_DIR = std::string(GROV_GAME_DIR) + "/shader/";
const std::string LINE_A = "You've reached 1234.56 m - press SPACE!!"; // 40 characters
const std::string LINE_B = "You've reached 6543.21 m - press SPACE!!";

// Draws nothing, so only render's own work is measured.
class EmptyObject : public SceneObject {
public:
    void draw(Shader*) override {}
};

void BM_Text2DBuildMesh40(benchmark::State& state)
{
    std::vector<float> positions;
    std::vector<float> texcoords;
    for (auto _ : state) {
        Text2D::buildMesh(LINE_A, Text2D::ALIGN_CENTER, positions, texcoords);
        benchmark::DoNotOptimize(positions.data());
        benchmark::DoNotOptimize(texcoords.data());
    }
}
BENCHMARK(BM_Text2DBuildMesh40);

// A changing 40-character text: the mesh is rebuilt and uploaded on every call.
void BM_Text2DSetText40(benchmark::State& state)
{
    if (!GlTestContext::open()) {
        state.SkipWithError("no OpenGL 3.3 context");
        return;
    }
    Text2D text;
    text.setFont(0, 1); // keep the font file out of the measurement
    bool flip = false;
    for (auto _ : state) {
        text.setText(flip ? LINE_A : LINE_B);
        flip = !flip;
    }
    glFinish();
}
BENCHMARK(BM_Text2DSetText40);

// Per object: the four model matrices (with the normal matrix), the transparency and the
// lookups that come with each, for a lit model program and for the HUD program.
void BM_RenderUniformUpload(benchmark::State& state, const char* vertex, const char* fragment)
{
    if (!GlTestContext::open()) {
        state.SkipWithError("no OpenGL 3.3 context");
        return;
    }
    ShaderCache cache;
    cache.createDefaultEntry();
    Shader* shader = cache.get(SHADER_DIR + vertex, SHADER_DIR + fragment);
    if (shader->program() == 0) {
        state.SkipWithError("program did not build");
        return;
    }
    shader->use();
    shader->setViewMatrix(glm::lookAt(glm::vec3(0, 15, 15), glm::vec3(0, 0, -28), glm::vec3(0, 1, 0)));
    shader->setProjectionMatrix(glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 5000.0f));
    EmptyObject object;
    object.setShader(shader);
    object.setTransparent(true);
    object.setPosition(glm::vec3(20, 0, -50));
    object.setRotationAngle(30.0f);
    for (auto _ : state)
        object.render();
    glFinish();
    Shader::unuse();
    cache.clear();
}
BENCHMARK_CAPTURE(BM_RenderUniformUpload, model, "BlinnPhongTexture.vert", "BlinnPhongTexture.frag");
BENCHMARK_CAPTURE(BM_RenderUniformUpload, hud, "simple.vert", "texture.frag");

} // namespace
