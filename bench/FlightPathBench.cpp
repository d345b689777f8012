// Cost of advancing Grov's arc by one frame. This file also counts every heap allocation of
// the benchmark binary, so that each frame-by-frame case can show it allocates nothing.

#include "game/FlightPath.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> allocations{0};

} // namespace

// The array, nothrow and sized forms all end up in these. They are kept out of line: inlined
// into the same function, GCC pairs malloc() with operator delete and warns of a mismatch.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    ++allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

[[gnu::noinline]] void operator delete(void* memory) noexcept
{
    std::free(memory);
}

[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

// Heap allocations made so far by the whole benchmark binary; CameraBench.cpp reads it too.
std::size_t benchAllocationCount()
{
    return allocations.load();
}

namespace {

constexpr float FRAME_TIME = 1.0f / 60.0f; // seconds
constexpr int FRAMES_PER_ARC = 600;        // a long flight before the game starts a new arc

void flightPathUpdate(benchmark::State& state)
{
    // The game's launch: 60 units per second at 40 degrees along -z from (0, 10, 0).
    const glm::mat3 launchFrame(glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(0.0f));
    const FlightPath launch(60.0f, 40.0f, glm::vec3(0.0f, 10.0f, 0.0f), launchFrame);
    FlightPath path = launch;
    int frame = 0;

    const std::size_t before = benchAllocationCount();
    for (auto _ : state) {
        path.update(FRAME_TIME);
        benchmark::DoNotOptimize(path);
        if (++frame == FRAMES_PER_ARC) {
            path = launch;
            frame = 0;
        }
    }
    state.counters["allocations"] = static_cast<double>(benchAllocationCount() - before);
}

} // namespace

BENCHMARK(flightPathUpdate);
