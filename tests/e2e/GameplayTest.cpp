// Playing the real game in the virtual display with XTest key presses. What the game did is
// read from its event trace; the screen is read where the picture is the point: the HUD's texts
// drawn and readable, the pause standing still, the free camera, the wireframe, a resize.

#include "GameProcess.h"
#include "Play.h"
#include "Screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>

namespace {

constexpr double throwLimitSeconds = 600.0; // a guard against a hang, not a timing requirement

// The regions of the HUD's texts and gauges, from where the world places them.
Rect messageLine(const Hud& hud)
{
    return hud.around(0.0f, -0.75f, 0.34f, 0.047f);
}
Rect pausedCorner(const Hud& hud)
{
    return hud.around(0.8f, -0.96f, 0.25f, 0.05f);
}
Rect rageGauge(const Hud& hud)
{
    return hud.around(0.9f, 0.82f, 0.4f, 0.12f);
}
Rect lowerScene(const Hud& hud)
{
    return {0, hud.height / 2, hud.width, hud.height / 2 - 10};
}

// The letters OCR may answer with on the message line.
const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz ";
// Half the letters right is far more than a wrong message ever shares with the right one.
constexpr double minimumCloseness = 0.45;

// Where the arrow points, in degrees like its rotation (0 up, -90 right, -270 left), read
// from the light pixels it leaves on the dark wheel face around the hub; NAN if unseen.
double arrowDirection(const Picture& picture)
{
    Hud hud(picture);
    double cx = hud.x(0.0f);
    double cy = hud.y(0.5f);
    double sumX = 0.0;
    double sumY = 0.0;
    int count = 0;
    for (int y = hud.y(0.5f + 0.3f); y < hud.y(0.5f - 0.3f); ++y)
        for (int x = hud.x(-0.3f); x < hud.x(0.3f); ++x) {
            double dx = x - cx;
            double dy = cy - y;
            double radius = std::sqrt(dx * dx + dy * dy) / hud.side;
            // Between the hub and the MAX / MIN labels.
            if (radius < 0.05 || radius > 0.12)
                continue;
            const unsigned char* p = picture.at(x, y);
            if ((p[0] + p[1] + p[2]) / 3 > 110) {
                sumX += dx;
                sumY += dy;
                ++count;
            }
        }
    if (count < 20)
        return NAN;
    // Clockwise from up, as the arrow's falling angle turns it.
    return -std::atan2(sumX, sumY) * 180.0 / M_PI;
}

// A distance as the game writes it: "123.45 m".
const std::regex tracedDistance("^[0-9]+\\.[0-9]{2} m$");
// The same read off the screen, allowing for the gaps OCR sees between the spaced letters.
const std::regex readDistance("[0-9][0-9 ]*[.,] ?[0-9]");

double metresIn(const std::string& text)
{
    std::smatch number;
    static const std::regex pattern("([0-9]+\\.[0-9]+) m");
    return std::regex_search(text, number, pattern) ? std::atof(number[1].str().c_str()) : -1.0;
}

std::vector<int> statesIn(const std::vector<TraceLine>& trace)
{
    std::vector<int> states;
    for (const TraceLine& line : trace)
        if (line.event == "state")
            states.push_back(std::atoi(line.details.c_str()));
    return states;
}

// The names of the sounds started from trace line `from` up to (not including) `to`.
std::vector<std::string> soundsBetween(const std::vector<TraceLine>& trace, std::size_t from, std::size_t to)
{
    std::vector<std::string> names;
    for (std::size_t i = from; i < std::min(to, trace.size()); ++i)
        if (trace[i].event == "sound")
            names.push_back(trace[i].details);
    return names;
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

class Gameplay : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display; run the suite through ./test.sh";
        game = std::make_unique<GameProcess>(GROV_GAME_DIR);
        ASSERT_NE(game->waitForWindow(), 0u) << game->errors();
        ASSERT_GE(game->waitForTrace("state", "0"), 0) << game->output();
        ASSERT_TRUE(game->waitForFrameAfter(0)) << game->output();
    }

    void TearDown() override
    {
        if (!game || !game->running())
            return;
        game->quit();
        EXPECT_EQ(game->waitForExit(exitLimitSeconds), 0);
    }

    // Index of the trace line, failing the test when it never comes.
    std::size_t expectTrace(const std::string& event, const std::string& details, std::size_t after,
                            double timeoutSeconds = 60.0)
    {
        int at = game->waitForTrace(event, details, after, timeoutSeconds);
        EXPECT_GE(at, 0) << "no trace line \"" << event << " " << details << "\" after line " << after;
        return at < 0 ? game->traceSize() : static_cast<std::size_t>(at);
    }

    // The game's own word on whether it is paused now.
    std::string lastPauseToggle()
    {
        std::string last;
        for (const TraceLine& line : game->trace())
            if (line.event == "toggle" && line.details.rfind("pause ", 0) == 0)
                last = line.details;
        return last;
    }

    std::size_t expectThrowEnd(std::size_t flight)
    {
        int over = waitForThrowEnd(*game, flight);
        EXPECT_GE(over, 0) << "the throw did not end while its distance kept changing; " << traceTail(*game);
        return over < 0 ? game->traceSize() : static_cast<std::size_t>(over);
    }

    // Throws with the arrow near full power (-270), so the rage is enough for a dive: SPACE
    // while paused starts the wind-up with the arrow where it stands.
    void throwAtHighPower()
    {
        ASSERT_TRUE(pauseWithArrow(*game, [](double angle) { return degreesApart(angle, -270.0) < 45.0; }));
        std::size_t mark = game->traceSize();
        game->pressKey("space");
        expectTrace("state", "1", mark);
        ASSERT_TRUE(togglePause(*game));
    }

    // Reads the message line once the game has drawn it; the letters may stand over Grov, so
    // OCR slips now and then, and the key is pressed again (two presses give the message back).
    bool messageReadable(const std::string& key, const std::string& first, const std::string& second)
    {
        std::string reads;
        for (int attempt = 0; attempt < 6; ++attempt) {
            const std::string& expected = attempt % 2 == 0 ? first : second;
            const std::string& other = attempt % 2 == 0 ? second : first;
            std::size_t mark = game->traceSize();
            game->pressKey(key);
            if (game->waitForTrace("message", expected, mark) < 0)
                return false;
            Picture picture = shotAfter(*game, mark);
            std::string text = readText(picture, messageLine(Hud(picture)), true, letters);
            reads += "[" + squeezed(text) + "]";
            if (closeness(text, expected) > minimumCloseness && closeness(text, expected) > closeness(text, other))
                return true;
            keepScreenshot(picture, "unread-message-" + squeezed(expected));
        }
        ADD_FAILURE() << "the message line read " << reads;
        return false;
    }

    std::unique_ptr<GameProcess> game;
};

TEST_F(Gameplay, OneThrowFromStartToTheRetry)
{
    std::size_t mark = game->traceSize();
    game->pressKey("space");
    std::size_t windUp = expectTrace("state", "1", mark);
    std::size_t flight = expectTrace("state", "2", windUp, throwLimitSeconds);
    std::size_t firstDistance = expectTrace("distance", "", flight, throwLimitSeconds);
    std::size_t over = expectThrowEnd(flight);
    std::size_t result = expectTrace("result", "You've reached ", flight);
    expectTrace("sound", "donk", over);

    std::vector<TraceLine> trace = game->trace();
    ASSERT_LT(result, trace.size());
    EXPECT_TRUE(contains(soundsBetween(trace, mark, flight), "grunt")) << "SPACE grunts";
    std::vector<std::string> inFlight = soundsBetween(trace, flight, over);
    // Every bounce keeps 65 percent of the speed and even the slowest launch bounces a few
    // times before it is too slow to go on.
    const std::vector<std::string> bounces = {"ah", "mm", "uff", "uuh"};
    EXPECT_TRUE(std::any_of(inFlight.begin(), inFlight.end(), [&](const std::string& name) {
        return contains(bounces, name);
    })) << "a bounce makes a sound";
    // The distance only grows, and the result is where it ended.
    double last = 0.0;
    for (std::size_t i = firstDistance; i < over; ++i)
        if (trace[i].event == "distance") {
            EXPECT_TRUE(std::regex_match(trace[i].details, tracedDistance)) << trace[i].details;
            EXPECT_GE(metresIn(trace[i].details), last) << trace[i].details;
            last = metresIn(trace[i].details);
        }
    EXPECT_GE(metresIn(trace[result].details), last) << trace[result].details;

    // The end texts are drawn and readable.
    Picture end = shotAfter(*game, result);
    keepScreenshot(end, "game-over");
    Hud hud(end);
    std::string title = readText(end, hud.around(0.0f, 0.4f, 0.8f, 0.16f), true);
    EXPECT_GT(closeness(title, "GAME OVER"), 0.6) << title;
    std::string reached = readText(end, hud.around(0.0f, 0.2f, 0.7f, 0.06f), true);
    EXPECT_GT(closeness(reached.substr(0, 14), "You've reached"), 0.6) << reached;
    EXPECT_TRUE(std::regex_search(reached, readDistance)) << reached;
    std::string retry = readText(end, hud.around(0.0f, 0.0f, 0.5f, 0.05f), true);
    EXPECT_GT(closeness(retry, "Press SPACE to try again"), 0.6) << retry;

    mark = game->traceSize();
    game->pressKey("space");
    expectTrace("state", "0", mark);
    EXPECT_EQ(statesIn(game->trace()), (std::vector<int>{0, 1, 2, 3, 0}));
    std::string after = readText(shotAfter(*game, mark), hud.around(0.0f, 0.2f, 0.7f, 0.06f), true);
    EXPECT_LT(closeness(after, "You've reached"), 0.5) << after;
}

TEST_F(Gameplay, ADiveSpendsRageWhileThePlayGoesOn)
{
    throwAtHighPower();
    std::size_t flight = expectTrace("state", "2", 0, throwLimitSeconds);

    // Paused, nothing moves, so the gauge and the picture compare cleanly.
    ASSERT_TRUE(togglePause(*game));
    Picture before = captureWindow(game->windowId());
    Hud hud(before);
    std::size_t mark = game->traceSize();
    game->pressKey("space");
    std::size_t dive = expectTrace("dive", "", std::max(mark, flight));
    Picture spent = shotAfter(*game, dive);
    EXPECT_LT(spent.countReddish(rageGauge(hud)), before.countReddish(rageGauge(hud)))
        << "the dive costs a quarter of the gauge";

    ASSERT_TRUE(togglePause(*game));
    ASSERT_EQ(lastPauseToggle(), "pause OFF") << traceTail(*game);
    keepScreenshot(captureWindow(game->windowId()), "dive");
    // The dive lasts only until the next ground contact, a fraction of a second, too short
    // for a screenshot to catch reliably; the blurred picture itself is checked in-process.
    expectThrowEnd(dive);
}

TEST_F(Gameplay, PauseFreezesTheGameWhileTheFreeCameraFlies)
{
    std::size_t paused = game->traceSize();
    ASSERT_TRUE(togglePause(*game));
    double pausedAt = arrowAngle(game->trace()[expectTrace("arrow", "", paused)]);
    Picture first = captureWindow(game->windowId());
    Hud hud(first);
    EXPECT_GT(closeness(readText(first, pausedCorner(hud), true), "PAUSED"), 0.6);
    Picture second = shotAfter(*game, game->traceSize());
    // The arrow is drawn where the game stopped it, and stays there.
    double drawnAt = arrowDirection(first);
    ASSERT_FALSE(std::isnan(drawnAt)) << "the arrow is drawn on the wheel";
    EXPECT_LT(degreesApart(drawnAt, pausedAt), 10.0) << "drawn at " << drawnAt << ", stopped at " << pausedAt;
    EXPECT_LT(degreesApart(arrowDirection(second), drawnAt), 2.0) << "the arrow stands still";

    game->keyDown("w");
    game->waitForFrameAfter(game->traceSize());
    game->keyUp("w");
    Picture flown = shotAfter(*game, game->traceSize());
    EXPECT_GT(flown.difference(second, lowerScene(hud)), 5.0) << "W flies the free camera";

    ASSERT_TRUE(togglePause(*game));
    Picture resumed = captureWindow(game->windowId());
    EXPECT_LT(closeness(readText(resumed, pausedCorner(hud), true), "PAUSED"), 0.5);
    // Resumed, the arrow spins on: pausing once more finds it elsewhere. At two turns a
    // second it may by chance stand where it stood, so a few tries.
    bool spun = false;
    for (int attempt = 0; attempt < 3 && !spun; ++attempt) {
        std::size_t again = game->traceSize();
        ASSERT_TRUE(togglePause(*game));
        spun = degreesApart(arrowAngle(game->trace()[expectTrace("arrow", "", again)]), pausedAt) > 0.5;
        ASSERT_TRUE(togglePause(*game));
    }
    EXPECT_TRUE(spun) << "the arrow spins again";
}

TEST_F(Gameplay, EveryToggleSaysWhatItDid)
{
    struct Toggle {
        const char* key;
        const char* message;
        const char* value;
    };
    const Toggle toggles[] = {
        {"F4", "Sampling NEAREST", "sampling NEAREST"},
        {"F4", "Sampling BILINEAR", "sampling BILINEAR"},
        {"F5", "Mip mapping OFF", "mipmap OFF"},
        {"F5", "Mip mapping NEAREST", "mipmap NEAREST"},
        {"F5", "Mip mapping LINEAR", "mipmap LINEAR"},
        {"F7", "VSync is OFF", "vsync OFF"},
        {"F7", "VSync is ON", "vsync ON"},
        {"F8", "Culling OFF", "culling OFF"},
        {"F8", "Culling ON", "culling ON"},
        {"F9", "Transparency OFF", "transparency OFF"},
        {"F9", "Transparency ON", "transparency ON"},
    };
    for (const Toggle& toggle : toggles) {
        std::size_t mark = game->traceSize();
        game->pressKey(toggle.key);
        int message = game->waitForTrace("message", "", mark);
        ASSERT_GE(message, 0) << toggle.key << " showed no message";
        EXPECT_EQ(game->trace()[static_cast<std::size_t>(message)].details, toggle.message) << toggle.key;
        expectTrace("toggle", toggle.value, mark);
    }
    // The message line is drawn where a player reads it.
    EXPECT_TRUE(messageReadable("F8", "Culling OFF", "Culling ON"));

    Picture plain = captureWindow(game->windowId());
    Hud hud(plain);
    std::size_t mark = game->traceSize();
    game->pressKey("F2");
    std::size_t shown = expectTrace("toggle", "fps ON", mark);
    // The rate is written at each report, once a second; OCR slips on a reading now and then,
    // and the next report draws it afresh.
    std::string reads;
    bool rateRead = false;
    std::size_t report = shown;
    for (int attempt = 0; attempt < 5 && !rateRead; ++attempt) {
        report = expectTrace("fps", "", report + 1);
        std::string rate = readText(shotAfter(*game, report), hud.around(0.0f, -0.85f, 0.3f, 0.06f), true);
        reads += "[" + rate + "]";
        rateRead = closeness(rate.substr(0, 4), "FPS:") > 0.6;
    }
    EXPECT_TRUE(rateRead) << "the frame rate line read " << reads;

    mark = game->traceSize();
    game->pressKey("F3");
    expectTrace("toggle", "wireframe ON", mark);
    Picture lines = shotAfter(*game, mark);
    keepScreenshot(lines, "wireframe");
    EXPECT_GT(lines.difference(plain, lowerScene(hud)), 10.0) << "the scene is drawn as lines";
    mark = game->traceSize();
    game->pressKey("F3");
    expectTrace("toggle", "wireframe OFF", mark);
}

TEST_F(Gameplay, TheHudStaysCentredWhenTheWindowChangesShape)
{
    // Paused with the arrow clear of the word MAX, which sits on the wheel's left.
    ASSERT_TRUE(pauseWithArrow(*game, [](double angle) { return degreesApart(angle, -270.0) > 70.0; }));
    // MAX sits at the same place in the HUD square whatever the window's shape.
    const std::pair<int, int> sizes[] = {{1200, 600}, {700, 900}};
    std::vector<std::pair<double, double>> offsets;
    for (auto [width, height] : sizes) {
        std::size_t mark = game->traceSize();
        game->resize(width, height);
        expectTrace("resize", std::to_string(width) + " " + std::to_string(height), mark);
        double x = 0.0;
        double y = 0.0;
        Picture picture;
        if (maxOffset(*game, x, y, picture))
            offsets.emplace_back(x, y);
        ASSERT_EQ(picture.width, width);
        ASSERT_EQ(picture.height, height);
        keepScreenshot(picture, "resized-" + std::to_string(width) + "x" + std::to_string(height));
    }
    ASSERT_EQ(offsets.size(), 2u) << "MAX read on both shapes";
    EXPECT_NEAR(offsets[0].first, offsets[1].first, 0.02);
    EXPECT_NEAR(offsets[0].second, offsets[1].second, 0.02);
    EXPECT_LT(offsets[0].first, -0.1) << "left of the wheel's centre";
}

} // namespace
