#pragma once
// The one top-level object: opens the window, builds the world, runs the frame loop and
// tears everything down in a fixed order.

#include "core/Gamepad.h"

#include <memory>

class FrameClock;
class GlfwClock;
class GlfwInput;
class ShaderCache;
class World;

class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The single application, or nullptr before it is constructed.
    static Application* current();

    void init();
    void run();
    void shutdown();

    // Handlers the window callbacks forward to.
    void onKey(int key, int pressed);
    void onMouseButton(int button, int action);
    void onResize(int width, int height);

private:
    void openWindow();
    void registerCallbacks();
    void pollGamepad();

    bool running = false;
    int vsync = 1;
    std::unique_ptr<FrameClock> frameClock;
    World* world = nullptr;
    ShaderCache* shaderCache = nullptr;
    std::unique_ptr<GlfwInput> input;
    GamepadWatcher gamepadWatcher;
    std::unique_ptr<GlfwClock> clock;
};

// Ends the process after a start-up failure: terminates the windowing library, writes message
// to standard error when code is non-zero, waits for Enter when a person is at the terminal.
[[noreturn]] void fatalError(int code, const char* message);
