#pragma once
// Starts the real game binary from a run directory and talks to its window through the X
// server: find it, read its size, press keys with XTest, ask it to close.

#include <string>
#include <sys/types.h>
#include <vector>

// Seconds a game may take to close once asked.
constexpr double exitLimitSeconds = 10.0;

// One line of the game's event trace: "<seconds> <event> <details>".
struct TraceLine {
    double seconds = 0.0;
    std::string event;
    std::string details;
};

class GameProcess {
public:
    // A copy of the build's run directory in a fresh temporary folder, for tests that change files.
    static std::string copyRunDirectory();
    static void removeDirectory(const std::string& path);

    // Starts grov-rage in workDir with stdin from /dev/null; extraEnv ("NAME=value" or "NAME=" to
    // unset) changes the environment of the child only.
    explicit GameProcess(const std::string& workDir, const std::string& extraEnv = "");
    ~GameProcess();

    // Waits up to timeoutSeconds for the window titled "Grov Rage"; 0 when it never appears.
    unsigned long waitForWindow(double timeoutSeconds = 30.0);
    bool windowSize(int& width, int& height) const;
    // Waits up to timeoutSeconds until standard output holds text.
    bool waitForOutput(const std::string& text, double timeoutSeconds = 30.0);
    // Focuses the window and presses and releases the named key ("Escape", "space", "F2").
    void pressKey(const std::string& keyName);
    void keyDown(const std::string& keyName);
    void keyUp(const std::string& keyName);
    // Resizes the window as a player dragging its border would.
    void resize(int width, int height);
    unsigned long windowId() const { return window; }
    // Minimises and restores the window as a window manager does: unmapped and marked iconic,
    // then mapped and marked normal again (the virtual display has no window manager).
    void minimise();
    void restore();
    // Sends the window manager's close request, as clicking the close button does.
    void requestClose();
    // Presses Ctrl+Q, which quits from anywhere in the game.
    void quit();

    // Stops the process for a while, as a stalled machine would, then lets it go on.
    void suspendFor(double seconds);

    // Waits for the process to end; its exit code, or -1 after the timeout (the process is killed).
    int waitForExit(double timeoutSeconds);
    bool running();

    std::string output() const; // everything written to standard output so far
    std::string errors() const; // everything written to standard error so far

    // The game's event trace so far (the game writes it to a file of the test's own).
    std::vector<TraceLine> trace() const;
    std::size_t traceSize() const { return trace().size(); }
    // Waits until a line from index `after` on has this event and details that start with
    // detailsPrefix; its index, or -1 when the game ends or the timeout passes first.
    int waitForTrace(const std::string& event, const std::string& detailsPrefix = "", std::size_t after = 0,
                     double timeoutSeconds = 60.0);
    // Waits until the game has presented a whole frame begun after trace line `after` and after
    // this call: the second frame shown from there on.
    bool waitForFrameAfter(std::size_t after, double timeoutSeconds = 60.0);

private:
    pid_t pid = -1;
    int exitCode = -1;
    bool exited = false;
    unsigned long window = 0;
    std::string outPath;
    std::string errPath;
    std::string tracePath;
};

// Runs a shell command and returns its standard output.
std::string runCommand(const std::string& command);
