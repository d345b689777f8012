#include "app/Window.h"

#include "render/RenderQuality.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr int multisampleCount = 4;
constexpr int depthBits = 32; // the closest available depth buffer is taken
constexpr int fallbackWidth = 640;
constexpr int fallbackHeight = 480;
constexpr char windowTitle[] = "Grov Rage";

GLFWwindow* openedWindow = nullptr;
std::function<void()> presentStep;

// Where the window was before it went full screen, for the way back.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = fallbackWidth;
    int height = fallbackHeight;
};
WindowPlace windowedPlace;

// side x numerator / denominator, between 1 and the largest int.
int fourByThreeSide(int side, int numerator, int denominator)
{
    const long long other = static_cast<long long>(side) * numerator / denominator;
    return static_cast<int>(std::clamp(other, 1LL, static_cast<long long>(std::numeric_limits<int>::max())));
}

void setContextHints()
{
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
}

// Whether the OpenGL contexts this display gives run on the processor.
bool rendersOnProcessor()
{
    setContextHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* probe = glfwCreateWindow(1, 1, "Grov Rage renderer probe", nullptr, nullptr);
    glfwWindowHint(GLFW_VISIBLE, GLFW_TRUE);
    if (!probe)
        return false; // the real window then fails the same way, and says so
    glfwMakeContextCurrent(probe);
    const bool software = currentContextIsSoftware();
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(probe);
    return software;
}

} // namespace

WindowSize resolveWindowSize(bool fullscreen, int width, int height, int monitorWidth, int monitorHeight)
{
    if (width > 0 && height > 0)
        return {width, height};
    // The other side is worked out wide, so a huge value in the settings cannot overflow, and
    // kept at one pixel or more, so a tiny one still opens a window.
    if (width > 0)
        return {width, fourByThreeSide(width, 3, 4)};
    if (height > 0)
        return {fourByThreeSide(height, 4, 3), height};
    if (fullscreen && monitorWidth > 0 && monitorHeight > 0)
        return {monitorWidth, monitorHeight};
    return {fallbackWidth, fallbackHeight};
}

GLFWwindow* openGameWindow(bool fullscreen, int width, int height, WindowSampling sampling)
{
    // The renderer is known only once a context exists: a hidden one asks it first, so the
    // game's window opens once, the way it will stay.
    const bool singleSampled = sampling == WindowSampling::SingleOnSoftware && rendersOnProcessor();
    glfwWindowHint(GLFW_SAMPLES, singleSampled ? 0 : multisampleCount);
    setContextHints();
    glfwWindowHint(GLFW_DEPTH_BITS, depthBits);

    GLFWmonitor* monitor = fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    int monitorWidth = 0;
    int monitorHeight = 0;
    if (monitor) {
        if (const GLFWvidmode* mode = glfwGetVideoMode(monitor)) {
            monitorWidth = mode->width;
            monitorHeight = mode->height;
            glfwWindowHint(GLFW_REFRESH_RATE, mode->refreshRate);
        }
    }
    WindowSize size = resolveWindowSize(fullscreen, width, height, monitorWidth, monitorHeight);

    openedWindow = glfwCreateWindow(size.width, size.height, windowTitle, monitor, nullptr);
    if (!openedWindow)
        return nullptr;
    glfwMakeContextCurrent(openedWindow);
    if (monitor) {
        // Started full screen: a window of the settings' size, in the middle of the screen.
        WindowSize windowed = resolveWindowSize(false, width, height, 0, 0);
        windowedPlace.width = windowed.width;
        windowedPlace.height = windowed.height;
        windowedPlace.x = std::max((monitorWidth - windowed.width) / 2, 0);
        windowedPlace.y = std::max((monitorHeight - windowed.height) / 2, 0);
    }
    return openedWindow;
}

GLFWwindow* gameWindow()
{
    return openedWindow;
}

void presentFrame()
{
    if (!openedWindow)
        return;
    if (presentStep) {
        // Taken out first: the step may ask for another one for the frame after.
        std::function<void()> step = std::move(presentStep);
        presentStep = nullptr;
        step();
    }
    glfwSwapBuffers(openedWindow);
    glfwPollEvents();
}

void beforeNextPresent(std::function<void()> step)
{
    presentStep = std::move(step);
}

void setSwapInterval(int interval)
{
    if (openedWindow)
        glfwSwapInterval(interval);
}

WindowSize framebufferSize()
{
    WindowSize size{0, 0};
    if (openedWindow)
        glfwGetFramebufferSize(openedWindow, &size.width, &size.height);
    return size;
}

bool isFullscreen()
{
    return openedWindow && glfwGetWindowMonitor(openedWindow);
}

bool toggleFullscreen()
{
    if (!openedWindow)
        return false;
    if (isFullscreen()) {
        glfwSetWindowMonitor(openedWindow, nullptr, windowedPlace.x, windowedPlace.y, windowedPlace.width,
                             windowedPlace.height, GLFW_DONT_CARE);
        return false;
    }
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!mode)
        return false;
    glfwGetWindowPos(openedWindow, &windowedPlace.x, &windowedPlace.y);
    glfwGetWindowSize(openedWindow, &windowedPlace.width, &windowedPlace.height);
    glfwSetWindowMonitor(openedWindow, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    return isFullscreen();
}

bool windowStillOpen()
{
    return openedWindow && !glfwWindowShouldClose(openedWindow);
}
