#pragma once
// The game window and its OpenGL 3.3 core context, on the windowing library.

#include <functional>

struct GLFWwindow;

struct WindowSize {
    int width;
    int height;
};

// The size to open when the settings give a non-positive width or height, as the older
// windowing library chose it: the monitor's mode in full screen, 640 x 480 in a window, or
// 4:3 from the one side that was given.
WindowSize resolveWindowSize(bool fullscreen, int width, int height, int monitorWidth, int monitorHeight);

// Whether the window's own pixels are multisampled. A software renderer pays for every sample
// in every pass and again when the frame is shown, so AUTO opens its window single-sampled
// there. FULL, drawn on such a window, brings a multisampled target of its own.
enum class WindowSampling { Multisampled, SingleOnSoftware };

// Applies the context hints and opens the window titled "Grov Rage"; nullptr on failure.
GLFWwindow* openGameWindow(bool fullscreen, int width, int height,
                           WindowSampling sampling = WindowSampling::Multisampled);

// The window opened last, or nullptr.
GLFWwindow* gameWindow();

// Shows the frame just drawn and delivers the queued input events, so every handler runs
// between two frames.
void presentFrame();

// Runs step once, on the next presentFrame, just before the frame is shown: the back buffer
// then holds the whole picture, HUD included. A later call replaces a step not yet run.
void beforeNextPresent(std::function<void()> step);

void setSwapInterval(int interval);

// The drawable size in pixels, for the viewport and the projections.
WindowSize framebufferSize();

bool windowStillOpen();

bool isFullscreen();

// Switches between the window and full screen at the primary monitor's own mode; back in a
// window it takes the size and place it had before. The new size reaches the game through the
// framebuffer-size callback, as any resize does. Whether the window is now full screen.
bool toggleFullscreen();
