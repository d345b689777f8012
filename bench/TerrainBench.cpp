// Cost of the ground queries the game makes every frame (the height under a point, the highest
// ground under Grov's and a tank's box) and of drawing the whole landscape at 1024 x 768.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "render/SceneObject.h"
#include "render/Terrain.h"

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string GAME_DIR = GROV_GAME_DIR;

// Boxes relative to the object's position, world units: Grov about 2 x 4 x 2, a tank
// 7 wide, 4 high and 11 long.
const glm::vec3 GROV_MIN(-1.0f, 0.0f, -1.0f), GROV_MAX(1.0f, 4.0f, 1.0f);
const glm::vec3 TANK_MIN(-3.5f, 0.0f, -5.5f), TANK_MAX(3.5f, 4.0f, 5.5f);

// The game's heightmap, in memory only.
const Terrain& gameTerrain()
{
    static Terrain terrain;
    static bool loaded = false;
    if (!loaded) {
        terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
        terrain.loadHeights(GAME_DIR + "/res/heightmap.png");
        loaded = true;
    }
    return terrain;
}

// A walk down the flight line with some sideways drift, so the lookups touch many pixels.
glm::vec2 walk(long step)
{
    return glm::vec2(float(step % 97) * 3.1f - 150.0f, -float(step % 4001) * 1.7f);
}

void BM_TerrainHeightAt(benchmark::State& state)
{
    const Terrain& terrain = gameTerrain();
    if (terrain.heightmapWidth() == 0)
        state.SkipWithError("res/heightmap.png missing");
    long step = 0;
    for (auto _ : state) {
        const glm::vec2 p = walk(step++);
        benchmark::DoNotOptimize(terrain.heightAt(p.x, p.y));
    }
}
BENCHMARK(BM_TerrainHeightAt);

void BM_TerrainMaxHeightUnderBox(benchmark::State& state, glm::vec3 low, glm::vec3 high)
{
    const Terrain& terrain = gameTerrain();
    if (terrain.heightmapWidth() == 0)
        state.SkipWithError("res/heightmap.png missing");
    long step = 0;
    for (auto _ : state) {
        const glm::vec2 p = walk(step++);
        benchmark::DoNotOptimize(terrain.maxHeightInArea(p.x, p.y, low, high));
    }
}
BENCHMARK_CAPTURE(BM_TerrainMaxHeightUnderBox, grov, GROV_MIN, GROV_MAX);
BENCHMARK_CAPTURE(BM_TerrainMaxHeightUnderBox, tank, TANK_MIN, TANK_MAX);

// One full frame of the start view: clear, the 800 x 800 terrain, then the sky, finished on
// the GPU, with the terrain's culling off or on. "fps" is frames per second in the virtual
// display.
void BM_TerrainAndSkyFrame1024x768(benchmark::State& state, bool culling)
{
    if (!GlTestContext::open()) {
        state.SkipWithError("no OpenGL 3.3 context");
        return;
    }
    LandscapeScene scene;
    if (!scene.build(GAME_DIR, 1024, 768)) {
        state.SkipWithError("could not build the landscape");
        return;
    }
    cullingEnabled = culling;
    scene.draw();
    glFinish();
    for (auto _ : state) {
        scene.draw();
        glFinish();
    }
    cullingEnabled = true;
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_TerrainAndSkyFrame1024x768, cullingOff, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_TerrainAndSkyFrame1024x768, cullingOn, true)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
