#include "ScriptedGameWindow.h"

#include "ScriptedInput.h"
#include "app/Window.h"
#include "audio/SoundSystem.h"
#include "game/World.h"
#include "render/ShaderCache.h"
#include "render/TextureManager.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>

bool openScriptedGameWindow(const char* tool, bool fullscreen, int width, int height, ScriptedInput& input)
{
    if (!glfwInit()) {
        std::fprintf(stderr, "%s: Failed to initialize GLFW\n", tool);
        return false;
    }
    if (!openGameWindow(fullscreen, width, height, WindowSampling::SingleOnSoftware)) {
        std::fprintf(stderr, "%s: Failed to open GLFW window.\n", tool);
        glfwTerminate();
        return false;
    }
    // Without VSync a frame takes as long as its work, not until the next refresh.
    setSwapInterval(0);

    const WindowSize size = framebufferSize();
    input.windowWidth = size.width;
    input.windowHeight = size.height;
    input.mouseX = size.width / 2;
    input.mouseY = size.height / 2;

    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "%s: Failed to initialize GLEW\n", tool);
        glfwTerminate();
        return false;
    }
    // GLEW's start leaves an error of its own behind on core contexts.
    while (glGetError() != GL_NO_ERROR) {
    }
    return true;
}

ScriptedGame startScriptedGame()
{
    ScriptedGame game;
    game.shaders = new ShaderCache();
    game.shaders->createDefaultEntry();
    game.world = new World();
    game.world->init(game.shaders);
    const WindowSize size = framebufferSize();
    glViewport(0, 0, size.width, size.height);
    return game;
}

void shutDownScriptedGame(ScriptedGame& game)
{
    game.world->release();
    delete game.world;
    game.world = nullptr;
    game.shaders->clear();
    delete game.shaders;
    game.shaders = nullptr;
    TextureManager::destroy();
    SoundSystem::destroy(SoundSystem::instance());
    glfwTerminate();
}
