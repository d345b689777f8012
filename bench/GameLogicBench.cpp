// One flight frame of the game rules with all eight tanks driving, and the tank hit test on
// its own. Both run on the real scene objects; sounds go to the no-device output.

#include "../tests/game/GameLogicRig.h"
#include "GlTestContext.h"
#include "QuietConsole.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

std::size_t benchAllocationCount();

namespace {

constexpr float LAUNCH_ANGLE = -230.0f; // degrees of the arrow: a strong throw

void BM_GameLogicFlightFrame(benchmark::State& state)
{
    if (!GlTestContext::open()) {
        state.SkipWithError("no OpenGL 3.3 context");
        return;
    }
    QuietConsole quiet;
    std::srand(8);
    GameLogicRig rig;
    rig.wire();
    if (!rig.launchAt(LAUNCH_ANGLE)) {
        state.SkipWithError("no launch");
        return;
    }

    std::size_t allocations = 0;
    long frames = 0;
    for (auto _ : state) {
        const std::size_t before = benchAllocationCount();
        rig.logic.update(GameLogicRig::FRAME);
        allocations += benchAllocationCount() - before;
        ++frames;
        if (rig.logic.state() != GameLogic::STATE_FLIGHT) {
            // The throw ended: set up the next one outside the timing.
            state.PauseTiming();
            rig.logic.onThrow();
            rig.launchAt(LAUNCH_ANGLE);
            state.ResumeTiming();
        }
    }
    state.counters["allocations/frame"] = double(allocations) / double(frames);
}
BENCHMARK(BM_GameLogicFlightFrame)->Unit(benchmark::kMicrosecond);

void BM_CollidingTanks(benchmark::State& state)
{
    if (!GlTestContext::open()) {
        state.SkipWithError("no OpenGL 3.3 context");
        return;
    }
    QuietConsole quiet;
    GameLogicRig rig;
    rig.wire();
    // Grov on top of tank B, so the test finds one hit among the eight.
    rig.putGrovOn(*rig.tanks[1]);

    std::size_t hits = 0;
    for (auto _ : state) {
        const std::vector<SceneObject*> touched = rig.logic.collidingTanks();
        hits += touched.size();
        benchmark::DoNotOptimize(touched.data());
    }
    state.counters["hits/call"] = double(hits) / double(state.iterations());
}
BENCHMARK(BM_CollidingTanks)->Unit(benchmark::kNanosecond);

} // namespace
