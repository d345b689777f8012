// Cost of one frame of the free camera with the mouse moving and two movement keys held.

#include "render/MovableCamera.h"

#include "core/Input.h"

#include <benchmark/benchmark.h>

#include <cstddef>

// Counted in FlightPathBench.cpp, which replaces operator new for the whole binary.
std::size_t benchAllocationCount();

namespace {

// The pointer swings a few pixels either side of the centre, W and D are held; unlike the
// test helper it records nothing, so the only allocations counted are the camera's.
class JigglingInput : public InputSource {
public:
    bool isKeyDown(int key) const override { return key == KEY_W || key == KEY_D; }
    void getMousePos(int& x, int& y) const override
    {
        x = WIDTH / 2 + offset;
        y = HEIGHT / 2 - offset;
    }
    void setMousePos(int, int) override { offset = offset == 3 ? -3 : 3; }
    void getWindowSize(int& width, int& height) const override
    {
        width = WIDTH;
        height = HEIGHT;
    }
    void setCursorVisible(bool) override {}

private:
    static constexpr int WIDTH = 1024; // pixels
    static constexpr int HEIGHT = 768; // pixels
    int offset = 3;                    // pixels from the centre
};

constexpr double FRAME_TIME = 1.0 / 60.0; // seconds

void movableCameraUpdate(benchmark::State& state)
{
    JigglingInput input;
    setInputSource(&input);
    MovableCamera camera(glm::vec3(0.0f, 10.0f, 10.0f), glm::vec3(0.0f, 0.0f, -10.0f), glm::vec3(0.0f, 1.0f, 0.0f),
                         0.00045f, 60.0f);

    const std::size_t before = benchAllocationCount();
    for (auto _ : state) {
        camera.update(FRAME_TIME);
        benchmark::DoNotOptimize(camera);
    }
    state.counters["allocations"] = static_cast<double>(benchAllocationCount() - before);
    setInputSource(nullptr);
}

} // namespace

BENCHMARK(movableCameraUpdate);
