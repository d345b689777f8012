#include "app/Application.h"

#include "app/FrameClock.h"
#include "app/GlfwInput.h"
#include "app/ScreenshotWriter.h"
#include "app/Settings.h"
#include "app/Window.h"
#include "app/WindowIcon.h"
#include "audio/SoundSystem.h"
#include "core/Controls.h"
#include "core/Trace.h"
#include "core/PlayerFile.h"
#include "core/ScreenshotPath.h"
#include "game/World.h"
#include "render/FrameCapture.h"
#include "render/SceneObject.h"
#include "render/ShaderCache.h"
#include "render/TextureManager.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

Application* theApplication = nullptr;

void keyCallback(GLFWwindow*, int key, int, int action, int mods)
{
    // Only presses act, so a held key toggles once.
    if (action == GLFW_PRESS)
        controls().keyPressed(key, (mods & GLFW_MOD_CONTROL) != 0);
}

void mouseButtonCallback(GLFWwindow*, int button, int action, int)
{
    if (action == GLFW_PRESS)
        controls().mouseClicked(button);
}

void framebufferSizeCallback(GLFWwindow*, int width, int height)
{
    if (theApplication)
        theApplication->onResize(width, height);
}

} // namespace

void fatalError(int code, const char* message)
{
    glfwTerminate();
    if (code != 0) {
        std::fprintf(stderr, "%s\n", message);
        std::fflush(stderr);
        // Only a person at a terminal can read the message before it goes; never hang a script.
        if (isatty(STDIN_FILENO)) {
            std::fprintf(stderr, "Press Enter to continue...\n");
            std::getchar();
        }
    }
    std::exit(code);
}

Application::Application()
{
    theApplication = this;
}

Application::~Application()
{
    screenshots.reset();
    setInputSource(nullptr);
    setClock(nullptr);
    if (theApplication == this)
        theApplication = nullptr;
}

Application* Application::current()
{
    return theApplication;
}

void Application::init()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    openWindow();
    std::printf("OpenGL Version: %s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::fflush(stdout);

    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        fatalError(1, "Failed to initialize GLEW");
    // glewInit asks for extensions the old way, which a core context refuses.
    glGetError();

    // Before the world starts the music, so its first notes already play at the player's level.
    Settings& settings = Settings::instance();
    controls().setBindings(Bindings::fromSettings(
        [&settings](const std::string& name, std::string& value) { return settings.find(name, value); },
        settings.path()));
    readOptions();

    shaderCache = new ShaderCache();
    shaderCache->createDefaultEntry();
    world = new World();
    world->init(shaderCache);
    // A "GHOST 0" line in settings.txt starts with the ghost hidden; it shows by default.
    world->setGhostVisible(settings.getInt("GHOST") != 0);
    world->setQuality(quality);
    world->setFpsTextShown(settings.getInt("SHOW_FPS") == 1);
    // Nothing kept yet: a player new to the game sees how it is played over the first wheel.
    const std::string playerFolder = playerDataDirectory();
    welcomeCard = holdsNothing(playerFolder);
    if (welcomeCard)
        traceEvent("card", "shown");
    world->openRecords(playerFolder);
    menu = std::make_unique<Menu>(*this);
    showOverlay();

    registerCallbacks();
}

void Application::openWindow()
{
    if (!glfwInit())
        fatalError(1, "Failed to initialize GLFW");

    Settings& settings = Settings::instance();
    int fullscreen = settings.getInt("FULLSCREEN");
    int width = settings.getInt("WIDTH");
    int height = settings.getInt("HEIGHT");

    quality = settings.getChoice("QUALITY", {"AUTO", "FULL"}) == "FULL" ? RenderQuality::Full : RenderQuality::Auto;
    const WindowSampling sampling =
        quality == RenderQuality::Auto ? WindowSampling::SingleOnSoftware : WindowSampling::Multisampled;
    GLFWwindow* window = openGameWindow(fullscreen != 0, width, height, sampling);
    if (!window)
        fatalError(1, "Failed to open GLFW window.");
    setWindowIcon(window);
    // VSync stays on unless the menu turned it off.
    vsync = settings.getInt("VSYNC") == 0 ? 0 : 1;
    setSwapInterval(vsync);

    input = std::make_unique<GlfwInput>(window);
    clock = std::make_unique<GlfwClock>();
    setInputSource(input.get());
    setClock(clock.get());
}

void Application::registerCallbacks()
{
    GLFWwindow* window = gameWindow();
    glfwSetFramebufferSizeCallback(window, framebufferSizeCallback);
    // Registering does not report the size, but the world needs it before the first frame.
    WindowSize size = framebufferSize();
    onResize(size.width, size.height);
    glfwSetKeyCallback(window, keyCallback);
    glfwSetMouseButtonCallback(window, mouseButtonCallback);
}

void Application::run()
{
    running = true;
    frameClock = std::make_unique<FrameClock>(clockNow(), world->nominalRate());

    double lastFrame = clockNow();
    while (running) {
        takeInput();
        if (!running)
            break;
        const double now = clockNow();
        // The frame's own wall time, before a stall is repaired: what the render scale needs.
        world->noteFrameTime(now - lastFrame);
        lastFrame = now;
        FrameDeltas deltas = frameClock->tick(now);
        if (deltas.fpsReported)
            world->setFps(deltas.fps);
        world->frame(deltas.gameDt, deltas.realDt);
        presentFrame();
        // Lets a test wait for the next picture instead of the next once-a-second rate line.
        if (traceEnabled())
            traceEvent("frame", std::to_string(++framesShown));
        SoundSystem::instance()->update();
        reportScreenshots();
        running = running && windowStillOpen();
    }

    frameClock.reset();
}

void Application::takeInput()
{
    input->pollGamepad();
    const GamepadChanges changes = controls().beginFrame();
    if (changes.connected || changes.disconnected) {
        const std::string what = changes.connected ? "connected" : "disconnected";
        world->showMessage("Gamepad " + what + ": " + changes.name);
        traceEvent("gamepad", what + " " + changes.name);
    }
    if (!menu->isOpen()) {
        for (Action action : controls().presses())
            onAction(action);
    } else {
        // The menu takes its own steps; of the rest, only quitting and screenshots work
        // beneath it, so no key does two things at once.
        const bool capturing = menu->isCapturing();
        const WindowSize size = framebufferSize();
        menu->update(size.width, size.height);
        for (Action action : controls().presses())
            if (action == ACTION_QUIT || (action == ACTION_SCREENSHOT && !capturing))
                onAction(action);
    }
    showOverlay();
}

void Application::shutdown()
{
    // A screenshot taken just before quitting is still written, and its line still printed.
    if (screenshots) {
        screenshots->finish();
        reportScreenshots();
        screenshots.reset();
    }
    if (world) {
        world->release();
        delete world;
        world = nullptr;
    }
    if (shaderCache) {
        shaderCache->clear();
        delete shaderCache;
        shaderCache = nullptr;
    }
    TextureManager::destroy();
    SoundSystem::destroy(SoundSystem::instance());
    // Closes the window and gives the display connection back before the process ends.
    glfwTerminate();
}

void Application::onAction(Action action)
{
    switch (action) {
    case ACTION_PAUSE: {
        const bool paused = !world->isPaused();
        world->setPaused(paused);
        if (frameClock)
            frameClock->timer().setPaused(paused);
        break;
    }
    case ACTION_QUIT:
        running = false;
        break;
    case ACTION_MENU:
        menu->open(SCREEN_MAIN);
        break;
    case ACTION_HELP:
        menu->open(SCREEN_HOW_TO_PLAY);
        break;
    case ACTION_FPS:
        world->toggleFpsText();
        break;
    case ACTION_WIREFRAME:
        world->toggleWireframe();
        break;
    case ACTION_SAMPLING:
        world->toggleSampling();
        break;
    case ACTION_MIPMAP:
        world->cycleMipmapMode();
        break;
    case ACTION_VSYNC:
        vsync = 1 - vsync;
        world->announceToggle("vsync", "VSync is", vsync ? "ON" : "OFF");
        setSwapInterval(vsync);
        break;
    case ACTION_CULLING:
        world->setCullingEnabled(!cullingEnabled);
        break;
    case ACTION_TRANSPARENCY:
        world->setTransparencyEnabled(!transparencyEnabled);
        break;
    case ACTION_GHOST:
        world->toggleGhost();
        break;
    case ACTION_FULLSCREEN:
        world->announceToggle("fullscreen", "Full screen", toggleFullscreen() ? "ON" : "OFF");
        break;
    case ACTION_SCREENSHOT:
        requestScreenshot();
        break;
    case ACTION_MUTE: {
        SoundSystem* sound = SoundSystem::instance();
        sound->setMuted(!sound->isMuted());
        world->announceToggle("sound", "Sound", sound->isMuted() ? "OFF" : "ON");
        break;
    }
    default:
        // The rules and the cameras read the rest themselves.
        break;
    }
}

void Application::requestScreenshot()
{
    // Two presses before the next frame is drawn would capture the same picture twice.
    if (screenshotRequested)
        return;
    screenshotRequested = true;
    beforeNextPresent([this] { captureScreenshot(); });
}

void Application::captureScreenshot()
{
    screenshotRequested = false;
    const std::time_t now = std::time(nullptr);
    std::tm localTime{};
    localtime_r(&now, &localTime);
    const WindowSize size = framebufferSize();
    CapturedFrame frame = captureBackBuffer(size.width, size.height);
    if (!screenshots)
        screenshots = std::make_unique<ScreenshotWriter>();
    const std::string directory = screenshotFolder();
    if (!screenshots->save(std::move(frame), directory, localTime)) {
        std::printf("Could not save screenshot in %s: still writing the earlier ones\n", directory.c_str());
        std::fflush(stdout);
        traceEvent("screenshot", "failed " + directory + ": still writing the earlier ones");
        if (world)
            world->showMessage("Screenshot skipped: still saving");
    }
}

void Application::reportScreenshots()
{
    if (!screenshots)
        return;
    ScreenshotResult result;
    while (screenshots->poll(result)) {
        if (result.saved) {
            std::printf("Screenshot saved to %s\n", result.path.c_str());
            traceEvent("screenshot", result.path);
            if (world)
                world->showMessage("Saved " + result.path.substr(result.path.rfind('/') + 1));
        } else {
            std::printf("Could not save screenshot: %s\n", result.error.c_str());
            traceEvent("screenshot", "failed " + result.error);
            if (world)
                world->showMessage("Screenshot failed: " + result.reason);
        }
        std::fflush(stdout);
    }
}

void Application::onResize(int width, int height)
{
    glViewport(0, 0, width, height);
    if (world)
        world->onResize(width, height);
}
