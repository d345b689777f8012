// Loading each model the game uses, and posing Grov for one frame.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "QuietConsole.h"

#include "model/BoneObject.h"
#include "model/Tank.h"
#include "render/Shader.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

template <typename Model>
void importModel(benchmark::State& state, const char* path)
{
    if (!GlTestContext::open()) {
        state.SkipWithError("no OpenGL 3.3 context");
        return;
    }
    ScopedWorkingDirectory inGameDir(GROV_GAME_DIR);
    QuietConsole quiet;
    for (auto _ : state) {
        Model model(path);
        benchmark::DoNotOptimize(model.meshEntries().data());
    }
}

void BM_ImportGrovAnimated(benchmark::State& state)
{
    importModel<BoneObject>(state, "assets/grov_anim.dae");
}
BENCHMARK(BM_ImportGrovAnimated)->Unit(benchmark::kMillisecond);

void BM_ImportGrovStatic(benchmark::State& state)
{
    importModel<ImportObject>(state, "assets/grov.dae");
}
BENCHMARK(BM_ImportGrovStatic)->Unit(benchmark::kMillisecond);

void BM_ImportTank(benchmark::State& state)
{
    importModel<Tank>(state, "assets/tank.dae");
}
BENCHMARK(BM_ImportTank)->Unit(benchmark::kMillisecond);

// One frame's pose of Grov with the upload of his bone matrices to the skinning program.
void BM_GrovUpdate(benchmark::State& state)
{
    if (!GlTestContext::open()) {
        state.SkipWithError("no OpenGL 3.3 context");
        return;
    }
    ScopedWorkingDirectory inGameDir(GROV_GAME_DIR);
    std::unique_ptr<BoneObject> grov;
    Shader* program = nullptr;
    {
        QuietConsole quiet;
        grov = std::make_unique<BoneObject>("assets/grov_anim.dae");
        program = Shader::build("shader/vertexSkinning.vert", "shader/BlinnPhongTexture.frag");
    }
    if (!program) {
        state.SkipWithError("skinning program did not build");
        return;
    }
    grov->setShader(program);
    for (auto _ : state)
        grov->update(1.0 / 60.0);
    state.counters["bones"] = double(grov->boneTable().size());
    grov.reset();
    program->release();
    delete program;
}
BENCHMARK(BM_GrovUpdate)->Unit(benchmark::kMicrosecond);

} // namespace
