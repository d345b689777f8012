#include "Play.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

Hud::Hud(const Picture& picture)
    : width(picture.width), height(picture.height), side(std::min(picture.width, picture.height))
{}

int Hud::x(float hudX) const
{
    return static_cast<int>((width - side) / 2 + (hudX + 1.0f) / 2.0f * side);
}

int Hud::y(float hudY) const
{
    return static_cast<int>(height - ((height - side) / 2 + (hudY + 1.0f) / 2.0f * side));
}

Rect Hud::around(float hudX, float hudY, float halfWidth, float halfHeight) const
{
    return {x(hudX - halfWidth), y(hudY + halfHeight), static_cast<int>(halfWidth * side),
            static_cast<int>(halfHeight * side)};
}

double arrowAngle(const TraceLine& line)
{
    return std::atof(line.details.c_str());
}

double degreesApart(double a, double b)
{
    return std::fabs(std::remainder(a - b, 360.0));
}

bool togglePause(GameProcess& game)
{
    std::size_t mark = game.traceSize();
    game.pressKey("p");
    return game.waitForTrace("toggle", "pause", mark) >= 0 && game.waitForFrameAfter(mark);
}

bool pauseWithArrow(GameProcess& game, const std::function<bool(double)>& wanted, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::size_t mark = game.traceSize();
        game.pressKey("p");
        int arrow = game.waitForTrace("arrow", "", mark);
        if (arrow < 0 || game.waitForTrace("toggle", "pause ON", mark) < 0)
            return false;
        if (wanted(arrowAngle(game.trace()[static_cast<std::size_t>(arrow)])))
            return game.waitForFrameAfter(mark);
        mark = game.traceSize();
        game.pressKey("p");
        if (game.waitForTrace("toggle", "pause OFF", mark) < 0)
            return false;
        // Uneven waits, so the arrow, at two turns a second, stops somewhere new each time.
        std::this_thread::sleep_for(std::chrono::milliseconds(60 + 37 * attempt));
    }
    return false;
}

Picture shotAfter(GameProcess& game, std::size_t after)
{
    if (!game.waitForFrameAfter(after))
        return Picture();
    return captureWindow(game.windowId());
}

bool maxOffset(GameProcess& game, double& x, double& y, Picture& picture)
{
    for (int attempt = 0; attempt < 6; ++attempt) {
        picture = shotAfter(game, game.traceSize());
        if (picture.empty())
            return false;
        Hud hud(picture);
        for (const Word& word : readWords(picture))
            if (word.text == "MAX") {
                x = (word.box.x + word.box.width / 2.0 - hud.x(0.0f)) / hud.side;
                y = (word.box.y + word.box.height / 2.0 - hud.y(0.5f)) / hud.side;
                return true;
            }
    }
    return false;
}

int waitForThrowEnd(GameProcess& game, std::size_t flight, double stillSeconds)
{
    constexpr double checkSeconds = 2.0;
    std::size_t seen = flight;
    double still = 0.0;
    while (still < stillSeconds) {
        int over = game.waitForTrace("state", "3", flight, checkSeconds);
        if (over >= 0)
            return over;
        if (!game.running())
            return -1;
        if (game.waitForTrace("distance", "", seen, 0.0) >= 0) {
            seen = game.traceSize();
            still = 0.0;
        } else {
            still += checkSeconds;
        }
    }
    return -1;
}

std::string traceTail(GameProcess& game, std::size_t lines)
{
    // The frame rate's and the frames' lines would crowd out what the game last did.
    std::vector<TraceLine> trace;
    for (const TraceLine& line : game.trace())
        if (line.event != "fps" && line.event != "frame")
            trace.push_back(line);
    std::string tail = "the trace's last lines but the frame rate's and the frames':\n";
    for (std::size_t i = trace.size() > lines ? trace.size() - lines : 0; i < trace.size(); ++i) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", trace[i].seconds);
        tail += std::string(seconds) + " " + trace[i].event + " " + trace[i].details + "\n";
    }
    return tail;
}

std::string usePrivatePlayerFolders(const std::string& prefix)
{
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return "";
    setenv("XDG_DATA_HOME", (pattern + "/data").c_str(), 1);
    setenv("HOME", (pattern + "/home").c_str(), 1);
    return pattern;
}
