#pragma once
// The one top-level object: opens the window, builds the world, runs the frame loop and
// tears everything down in a fixed order.

#include "app/SettingsFile.h"
#include "core/Bindings.h"
#include "game/Menu.h"
#include "render/RenderQuality.h"

#include <memory>

class FrameClock;
class GlfwClock;
class GlfwInput;
class ScreenshotWriter;
class ShaderCache;
class World;

class Application : public MenuHost {
public:
    Application();
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The single application, or nullptr before it is constructed.
    static Application* current();

    void init();
    void run();
    void shutdown();

    // The window's size callback forwards to it.
    void onResize(int width, int height);

    // What the menu changes (ApplicationMenu.cpp): each change takes effect at once and is
    // written to settings.txt.
    int option(Option option) const override;
    void setOption(Option option, int choice) override;
    Action bind(Action action, const RawPress& press) override;
    void resetBindings() override;
    const RecordTable& recordTable() const override;
    const GoalBook& goalBook() const override;
    void quit() override;

private:
    void openWindow();
    void registerCallbacks();
    // Starts a frame's input: the gamepad read, arrivals shown, each pressed action carried
    // out that belongs to the application (pausing, the toggles, quitting).
    void takeInput();
    void onAction(Action action);
    // The options settings.txt keeps beyond the window: sound on or off, VSync, the frame rate.
    void readOptions();
    void applyVolumes();
    // Writes the changes, with their trace lines, and says so on screen when it cannot.
    void saveSettings(const SettingChanges& changes);
    // The menu's page or the first start's card over the game, or neither.
    void showOverlay();
    // F12: the frame drawn next is read back before it is shown and saved off the main thread.
    void requestScreenshot();
    void captureScreenshot();
    // Shows what became of finished screenshots; without a world, only the console and trace.
    void reportScreenshots();

    bool running = false;
    long framesShown = 0;
    int vsync = 1;
    int musicPercent = 100;
    int effectsPercent = 100;
    std::unique_ptr<Menu> menu;
    bool welcomeCard = false; // shown from the very first start until the first throw
    int cardShownFor = -1;    // the device the card on screen speaks of, or -1 for none
    bool screenshotRequested = false;
    std::unique_ptr<FrameClock> frameClock;
    World* world = nullptr;
    ShaderCache* shaderCache = nullptr;
    std::unique_ptr<GlfwInput> input;
    RenderQuality quality = RenderQuality::Auto; // from settings.txt, read when the window opens
    std::unique_ptr<GlfwClock> clock;
    std::unique_ptr<ScreenshotWriter> screenshots;
};

// Ends the process after a start-up failure: terminates the windowing library, writes message
// to standard error when code is non-zero, waits for Enter when a person is at the terminal.
[[noreturn]] void fatalError(int code, const char* message);
