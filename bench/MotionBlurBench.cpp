// Cost of the motion-blur pass at 1024 x 768: the full-screen quad reading the off-screen
// colour and depth and writing every pixel of a second target, finished before the clock
// stops (on Mesa's software renderer the work runs on its own threads, so wall time counts).
// "still" is a frame with an unmoved camera, one read per pixel; "dive" moves the camera so
// far that every pixel takes a full-length streak with the given number of samples.

#include "GlTestContext.h"
#include "render/Framebuffer.h"
#include "render/SceneInMotion.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"

#include <benchmark/benchmark.h>
#include <glm/gtc/matrix_transform.hpp>

#include <string>

namespace {

constexpr int WIDTH = 1024; // pixels
constexpr int HEIGHT = 768; // pixels
const std::string SHADER_DIR = std::string(GROV_GAME_DIR) + "/shader/";

void motionBlurPass(benchmark::State& state, bool cameraMoves)
{
    if (!GlTestContext::open(WIDTH, HEIGHT)) {
        state.SkipWithError("no OpenGL 3.3 context");
        return;
    }
    ShaderCache cache;
    cache.createDefaultEntry();
    Shader* blur = cache.get(SHADER_DIR + "fullscreen.vert", SHADER_DIR + "motionblur.frag");
    if (blur->program() == 0) {
        state.SkipWithError("motion-blur program did not build");
        return;
    }

    Framebuffer scene;
    Framebuffer screen;
    scene.create();
    screen.create();
    // Something at mid depth everywhere, so every pixel reconstructs a point in the world.
    scene.bind();
    glClearColor(0.3f, 0.6f, 0.2f, 1.0f);
    glClearDepth(0.5);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    scene.unbind();

    const glm::mat4 projection = glm::perspective(glm::radians(45.0f), float(WIDTH) / HEIGHT, 0.1f, 5000.0f);
    const glm::vec3 eye(0.0f, 50.0f, 0.0f);
    const glm::vec3 look(0.0f, -15.0f, -30.0f);
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const glm::vec3 travel = cameraMoves ? glm::vec3(0.0f, 4.0f, 3.0f) : glm::vec3(0.0f);
    const glm::mat4 current = projection * glm::lookAt(eye, eye + look, up);
    const glm::mat4 previous = projection * glm::lookAt(eye + travel, eye + travel + look, up);

    SceneInMotion quad;
    quad.setShader(blur);
    quad.setTexture(scene.colorTexture(), 1);
    quad.setDepthTexture(scene.depthTexture(), 2);
    quad.setViewProjectionInverse(glm::inverse(current));
    quad.setViewProjectionPrevious(previous);
    quad.setBlurSamples(int(state.range(0)));
    quad.setBlurScale(0.1f);

    glDisable(GL_DEPTH_TEST);
    screen.bind();
    for (auto _ : state) {
        blur->use();
        blur->setViewMatrix(glm::mat4(1.0f));
        blur->setProjectionMatrix(glm::mat4(1.0f));
        quad.render();
        Shader::unuse();
        glFinish();
    }
    screen.unbind();
    glEnable(GL_DEPTH_TEST);
    scene.release();
    screen.release();
    cache.clear();
}

void motionBlurStill(benchmark::State& state)
{
    motionBlurPass(state, false);
}

void motionBlurDive(benchmark::State& state)
{
    motionBlurPass(state, true);
}

} // namespace

BENCHMARK(motionBlurStill)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(motionBlurDive)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();
