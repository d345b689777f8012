#include "GameProcess.h"

#include "FileText.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// An X server resets itself when its last client leaves, and refuses new clients while it does;
// a game started just then fails to open its display. The tests stay a client from their first
// game to their end, so the server never resets between two games.
void holdDisplayOpen()
{
    static Display* held = XOpenDisplay(nullptr);
    (void)held;
}

std::string makeTempDir()
{
    char pattern[] = "/tmp/grov-e2e-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

} // namespace

std::string runCommand(const std::string& command)
{
    std::string result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        result += buffer;
    pclose(pipe);
    return result;
}

std::string GameProcess::copyRunDirectory()
{
    std::string dir = makeTempDir();
    runCommand("cp -a '" GROV_GAME_DIR "/.' '" + dir + "/'");
    return dir;
}

void GameProcess::removeDirectory(const std::string& path)
{
    if (path.rfind("/tmp/grov-", 0) == 0)
        runCommand("rm -rf '" + path + "'");
}

GameProcess::GameProcess(const std::string& workDir, const std::string& extraEnv)
{
    holdDisplayOpen();
    std::string logDir = makeTempDir();
    outPath = logDir + "/stdout.txt";
    errPath = logDir + "/stderr.txt";
    tracePath = logDir + "/trace.txt";
    const std::string binary = std::string(GROV_GAME_DIR) + "/grov-rage";

    pid = fork();
    if (pid == 0) {
        if (chdir(workDir.c_str()) != 0)
            _exit(127);
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        setenv("GROV_TRACE", tracePath.c_str(), 1);
        if (!extraEnv.empty()) {
            std::string::size_type eq = extraEnv.find('=');
            std::string name = extraEnv.substr(0, eq);
            std::string value = extraEnv.substr(eq + 1);
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        execl(binary.c_str(), "grov-rage", static_cast<char*>(nullptr));
        _exit(127);
    }
}

GameProcess::~GameProcess()
{
    if (running()) {
        kill(pid, SIGKILL);
        waitForExit(5.0);
    }
    std::string logDir = outPath.substr(0, outPath.rfind('/'));
    removeDirectory(logDir);
}

unsigned long GameProcess::waitForWindow(double timeoutSeconds)
{
    auto start = std::chrono::steady_clock::now();
    while (secondsSince(start) < timeoutSeconds && running()) {
        std::string ids = runCommand("xdotool search --onlyvisible --pid " + std::to_string(pid)
                                     + " --name '^Grov Rage$' 2>/dev/null");
        if (!ids.empty()) {
            window = std::strtoul(ids.c_str(), nullptr, 10);
            return window;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

bool GameProcess::waitForOutput(const std::string& text, double timeoutSeconds)
{
    auto start = std::chrono::steady_clock::now();
    while (output().find(text) == std::string::npos) {
        if (!running() || secondsSince(start) > timeoutSeconds)
            return output().find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool GameProcess::windowSize(int& width, int& height) const
{
    std::string geometry = runCommand("xdotool getwindowgeometry " + std::to_string(window) + " 2>/dev/null");
    const char* found = std::strstr(geometry.c_str(), "Geometry: ");
    return found && std::sscanf(found, "Geometry: %dx%d", &width, &height) == 2;
}

void GameProcess::pressKey(const std::string& keyName)
{
    // Without a window manager the keyboard goes to the focused window; XTest then types.
    runCommand("xdotool windowfocus --sync " + std::to_string(window) + " key " + keyName + " 2>/dev/null");
}

void GameProcess::keyDown(const std::string& keyName)
{
    runCommand("xdotool windowfocus --sync " + std::to_string(window) + " keydown " + keyName + " 2>/dev/null");
}

void GameProcess::keyUp(const std::string& keyName)
{
    runCommand("xdotool windowfocus --sync " + std::to_string(window) + " keyup " + keyName + " 2>/dev/null");
}

void GameProcess::resize(int width, int height)
{
    runCommand("xdotool windowsize --sync " + std::to_string(window) + " " + std::to_string(width) + " "
               + std::to_string(height) + " 2>/dev/null");
}

namespace {

// ICCCM window states, as a window manager writes them into WM_STATE.
constexpr long NORMAL_STATE = 1;
constexpr long ICONIC_STATE = 3;

void setWindowState(Display* display, Window window, long state)
{
    Atom wmState = XInternAtom(display, "WM_STATE", False);
    long data[2] = {state, 0};
    XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace, reinterpret_cast<unsigned char*>(data), 2);
}

// Runs act on a connection of its own to the test's display, and makes sure the server has
// taken every request before the connection closes. Without a display it does nothing.
template <typename Act>
void withDisplay(Act act)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    act(display);
    XSync(display, False);
    XCloseDisplay(display);
}

} // namespace

void GameProcess::minimise()
{
    withDisplay([this](Display* display) {
        XUnmapWindow(display, window);
        setWindowState(display, window, ICONIC_STATE);
    });
}

void GameProcess::restore()
{
    withDisplay([this](Display* display) {
        setWindowState(display, window, NORMAL_STATE);
        XMapWindow(display, window);
    });
}

void GameProcess::requestClose()
{
    withDisplay([this](Display* display) {
        XEvent event;
        std::memset(&event, 0, sizeof event);
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    });
}

void GameProcess::quit()
{
    pressKey("ctrl+q");
}

void GameProcess::suspendFor(double seconds)
{
    kill(pid, SIGSTOP);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    kill(pid, SIGCONT);
}

bool GameProcess::running()
{
    if (exited || pid <= 0)
        return false;
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
        exited = true;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

int GameProcess::waitForExit(double timeoutSeconds)
{
    auto start = std::chrono::steady_clock::now();
    while (running()) {
        if (secondsSince(start) > timeoutSeconds) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            exited = true;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return exitCode;
}

std::string GameProcess::output() const
{
    return fileText(outPath);
}

std::string GameProcess::errors() const
{
    return fileText(errPath);
}

std::vector<TraceLine> GameProcess::trace() const
{
    std::vector<TraceLine> lines;
    std::istringstream in(fileText(tracePath));
    std::string line;
    while (std::getline(in, line)) {
        // A line still being written has no end yet; the next read takes it whole.
        if (in.eof())
            break;
        std::istringstream fields(line);
        TraceLine entry;
        fields >> entry.seconds >> entry.event;
        std::getline(fields >> std::ws, entry.details);
        lines.push_back(entry);
    }
    return lines;
}

int GameProcess::waitForTrace(const std::string& event, const std::string& detailsPrefix, std::size_t after,
                              double timeoutSeconds)
{
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        // Checked after the process ended too: its last lines may have come with its end.
        bool alive = running();
        std::vector<TraceLine> lines = trace();
        for (std::size_t i = after; i < lines.size(); ++i)
            if (lines[i].event == event && lines[i].details.compare(0, detailsPrefix.size(), detailsPrefix) == 0)
                return static_cast<int>(i);
        if (!alive || secondsSince(start) > timeoutSeconds)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool GameProcess::waitForFrameAfter(std::size_t after, double timeoutSeconds)
{
    // Frames come many a second: count them from what the trace holds now as well, so that
    // what a caller has just seen happen in the trace is in the picture. The first frame shown
    // from there may have been drawn before it; the second was not.
    after = std::max(after, traceSize());
    int first = waitForTrace("frame", "", after, timeoutSeconds);
    return first >= 0 && waitForTrace("frame", "", static_cast<std::size_t>(first) + 1, timeoutSeconds) >= 0;
}
