// Playing the real game in the virtual display with XTest key presses, and checking what
// reaches the screen: a throw to the retry, the dive's blur, the pause, the toggles' messages
// and a resize.

#include "GameProcess.h"
#include "Screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <thread>

namespace {

constexpr double exitLimitSeconds = 10.0;
constexpr double throwLimitSeconds = 120.0; // a guard against a hang, not a timing requirement
const char* const stateLine = "GameLogic -- Switched to state ";

void sleepFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// HUD coordinates (-1 to 1 over the largest centred square, y up) to window pixels (y down).
struct Hud {
    explicit Hud(const Picture& picture)
        : width(picture.width), height(picture.height), side(std::min(picture.width, picture.height))
    {
    }
    int x(float hudX) const { return static_cast<int>((width - side) / 2 + (hudX + 1.0f) / 2.0f * side); }
    int y(float hudY) const { return static_cast<int>(height - ((height - side) / 2 + (hudY + 1.0f) / 2.0f * side)); }
    // The region around a HUD point, halfWidth and halfHeight in HUD units.
    Rect around(float hudX, float hudY, float halfWidth, float halfHeight) const
    {
        return {x(hudX - halfWidth), y(hudY + halfHeight), static_cast<int>(halfWidth * side),
                static_cast<int>(halfHeight * side)};
    }
    int width;
    int height;
    int side;
};

// The regions of the HUD's texts and gauges, from where the world places them.
Rect messageLine(const Hud& hud) { return hud.around(0.0f, -0.75f, 0.34f, 0.047f); }
Rect distanceLine(const Hud& hud) { return hud.around(0.0f, 0.9f, 0.35f, 0.07f); }
Rect pausedCorner(const Hud& hud) { return hud.around(0.8f, -0.96f, 0.25f, 0.05f); }
Rect rageGauge(const Hud& hud) { return hud.around(0.9f, 0.82f, 0.4f, 0.12f); }
// The dark face inside the wheel's band, where the arrow turns.
Rect wheelFace(const Hud& hud) { return hud.around(0.0f, 0.5f, 0.12f, 0.12f); }
Rect lowerScene(const Hud& hud) { return {0, hud.height / 2, hud.width, hud.height / 2 - 10}; }

std::vector<int> statesIn(const std::string& output)
{
    std::vector<int> states;
    for (std::size_t at = output.find(stateLine); at != std::string::npos; at = output.find(stateLine, at + 1))
        states.push_back(std::atoi(output.c_str() + at + std::string(stateLine).size()));
    return states;
}

void keep(const Picture& picture, const std::string& name)
{
    std::string dir = screenshotDirectory();
    if (!dir.empty())
        picture.save(dir + "/" + name + ".png");
}

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

// The message most like what OCR read. The letters are spread over a fixed box and may stand
// over Grov, so OCR slips now and then; the nearest message is what a player would read.
std::string nearestOf(const std::string& text, const std::vector<std::string>& messages)
{
    std::string nearest = messages.front();
    for (const std::string& message : messages)
        if (closeness(text, message) > closeness(text, nearest))
            nearest = message;
    return nearest;
}

// A distance as the HUD writes it ("123.45 m"), allowing for the gaps OCR sees between the
// widely spaced letters.
const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz ";

// Half the letters right is far more than a wrong message ever shares with the right one.
constexpr double minimumCloseness = 0.45;

const std::regex distancePattern("[0-9][0-9 ]*[.,] ?[0-9]");

class Gameplay : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display; run the suite through ./test.sh";
        game = std::make_unique<GameProcess>(GROV_GAME_DIR);
        ASSERT_NE(game->waitForWindow(), 0u) << game->errors();
        ASSERT_TRUE(game->waitForOutput(std::string(stateLine) + "0")) << game->output();
        sleepFor(0.5);
    }

    void TearDown() override
    {
        if (!game || !game->running())
            return;
        game->pressKey("Escape");
        EXPECT_EQ(game->waitForExit(exitLimitSeconds), 0);
    }

    Picture shot() { return captureWindow(game->windowId()); }

    // Waits until the game has switched states count times in all.
    bool waitForStates(std::size_t count, double timeoutSeconds)
    {
        auto start = std::chrono::steady_clock::now();
        while (statesIn(game->output()).size() < count) {
            if (!game->running() || std::chrono::steady_clock::now() - start > std::chrono::duration<double>(timeoutSeconds))
                return false;
            sleepFor(0.05);
        }
        return true;
    }

    // Pauses while aiming until the arrow points toward full power, then throws: SPACE while
    // paused starts the wind-up with the arrow where it stands.
    void throwAtHighPower()
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            game->pressKey("p");
            sleepFor(0.4);
            double direction = arrowDirection(shot());
            // -270 is full power; within 60 degrees the rage is enough for a dive.
            double fromFull = std::fabs(std::remainder(direction + 270.0, 360.0));
            if (!std::isnan(direction) && fromFull < 60.0) {
                game->pressKey("space");
                sleepFor(0.2);
                game->pressKey("p");
                return;
            }
            game->pressKey("p");
            sleepFor(0.1 + 0.037 * attempt);
        }
        game->pressKey("space");
    }

    // Reads the message line until it shows the expected message or a few seconds pass: the
    // game draws slowly on a software renderer, so a key's message may take a frame or two.
    std::string waitForMessage(const std::string& expected, const std::vector<std::string>& messages)
    {
        std::string text;
        std::string reads;
        // The message stays three seconds; each reading takes about half a second.
        for (int attempt = 0; attempt < 12; ++attempt) {
            sleepFor(0.1);
            Picture picture = shot();
            text = readText(picture, messageLine(Hud(picture)), true, letters);
            reads += "[" + squeezed(text) + "]";
            if (nearestOf(text, messages) == expected && closeness(text, expected) > minimumCloseness)
                return text;
            if (attempt == 11)
                keep(picture, "unread-message-" + squeezed(expected));
        }
        return text + " after " + reads;
    }

    std::unique_ptr<GameProcess> game;
};

TEST_F(Gameplay, OneThrowFromStartToTheRetry)
{
    game->pressKey("space");
    ASSERT_TRUE(waitForStates(3, 30.0)) << game->output();
    sleepFor(1.0);
    Picture flight = shot();
    keep(flight, "flight");
    Hud hud(flight);
    std::string distance = readText(flight, distanceLine(hud));
    EXPECT_TRUE(std::regex_search(distance, distancePattern)) << distance;

    ASSERT_TRUE(waitForStates(4, throwLimitSeconds)) << game->output();
    sleepFor(1.0);
    Picture over = shot();
    keep(over, "game-over");
    std::string title = readText(over, hud.around(0.0f, 0.4f, 0.8f, 0.16f), true);
    EXPECT_GT(closeness(title, "GAME OVER"), 0.7) << title;
    std::string result = readText(over, hud.around(0.0f, 0.2f, 0.7f, 0.06f), true);
    EXPECT_GT(closeness(result.substr(0, 14), "You've reached"), 0.7) << result;
    EXPECT_TRUE(std::regex_search(result, distancePattern)) << result;
    std::string retry = readText(over, hud.around(0.0f, 0.0f, 0.5f, 0.05f), true);
    EXPECT_GT(closeness(retry, "Press SPACE to try again"), 0.7) << retry;

    game->pressKey("space");
    ASSERT_TRUE(waitForStates(5, 10.0)) << game->output();
    EXPECT_EQ(statesIn(game->output()), (std::vector<int>{0, 1, 2, 3, 0}));
    sleepFor(0.5);
    std::string after = readText(shot(), hud.around(0.0f, 0.2f, 0.7f, 0.06f), true);
    EXPECT_LT(closeness(after, "You've reached"), 0.5) << after;
}

TEST_F(Gameplay, ADiveSpendsRageWhileThePlayGoesOn)
{
    throwAtHighPower();
    ASSERT_TRUE(waitForStates(3, 30.0)) << game->output();
    sleepFor(0.3);

    // Paused, nothing moves, so the gauge and the picture compare cleanly.
    game->pressKey("p");
    sleepFor(0.4);
    Picture before = shot();
    Hud hud(before);
    game->pressKey("space");
    sleepFor(0.4);
    Picture spent = shot();
    int rageBefore = before.countReddish(rageGauge(hud));
    int rageAfter = spent.countReddish(rageGauge(hud));
    EXPECT_LT(rageAfter, rageBefore) << "the dive costs a quarter of the gauge";

    game->pressKey("p");
    keep(shot(), "dive");
    // The dive lasts only until the next ground contact, a fraction of a second, too short
    // for a screenshot to catch reliably; the blurred picture itself is checked in-process.
    ASSERT_TRUE(waitForStates(4, throwLimitSeconds)) << game->output();
}

TEST_F(Gameplay, PauseFreezesTheGameWhileTheFreeCameraFlies)
{
    game->pressKey("p");
    sleepFor(0.5);
    Picture first = shot();
    Hud hud(first);
    EXPECT_GT(closeness(readText(first, pausedCorner(hud), true), "PAUSED"), 0.6);
    sleepFor(0.7);
    Picture second = shot();
    // Only the slowly circling light may change the faint background behind the wheel.
    EXPECT_LT(second.difference(first, wheelFace(hud)), 2.0) << "the arrow stands still";

    game->keyDown("w");
    sleepFor(1.0);
    game->keyUp("w");
    sleepFor(0.3);
    Picture flown = shot();
    EXPECT_GT(flown.difference(second, lowerScene(hud)), 5.0) << "W flies the free camera";

    game->pressKey("p");
    sleepFor(0.5);
    // The arrow turns twice a second, so two pictures could catch it in the same place; of
    // three taken at uneven gaps, some pair shows it moved.
    Picture resumed = shot();
    sleepFor(0.13);
    Picture later = shot();
    sleepFor(0.29);
    Picture last = shot();
    double moved = std::max({later.difference(resumed, wheelFace(hud)), last.difference(later, wheelFace(hud)),
                             last.difference(resumed, wheelFace(hud))});
    EXPECT_GT(moved, 4.0) << "the arrow spins again";
    EXPECT_LT(closeness(readText(later, pausedCorner(hud), true), "PAUSED"), 0.5);
}

TEST_F(Gameplay, EveryToggleSaysWhatItDid)
{
    struct Toggle {
        const char* key;
        const char* message;
    };
    const Toggle toggles[] = {
        {"F4", "Sampling NEAREST"},  {"F4", "Sampling BILINEAR"}, {"F5", "Mip mapping OFF"},
        {"F5", "Mip mapping NEAREST"}, {"F5", "Mip mapping LINEAR"}, {"F7", "VSync is OFF"},
        {"F7", "VSync is ON"},       {"F8", "Culling OFF"},       {"F8", "Culling ON"},
        {"F9", "Transparency OFF"},  {"F9", "Transparency ON"},
    };
    std::vector<std::string> messages;
    for (const Toggle& toggle : toggles)
        messages.push_back(toggle.message);
    for (const Toggle& toggle : toggles) {
        game->pressKey(toggle.key);
        std::string text = waitForMessage(toggle.message, messages);
        EXPECT_EQ(nearestOf(text, messages), toggle.message) << toggle.key << " showed: " << text;
        EXPECT_GT(closeness(text, toggle.message), minimumCloseness) << toggle.key << " showed: " << text;
    }

    Picture plain = shot();
    Hud hud(plain);
    game->pressKey("F2");
    sleepFor(1.5);
    Picture withRate = shot();
    std::string rate = readText(withRate, hud.around(0.0f, -0.85f, 0.3f, 0.06f), true);
    EXPECT_GT(closeness(rate.substr(0, 4), "FPS:"), 0.6) << rate;

    game->pressKey("F3");
    sleepFor(0.5);
    Picture lines = shot();
    keep(lines, "wireframe");
    EXPECT_GT(lines.difference(plain, lowerScene(hud)), 10.0) << "the scene is drawn as lines";
    game->pressKey("F3");
}

TEST_F(Gameplay, TheHudStaysCentredWhenTheWindowChangesShape)
{
    // The word MAX on the wheel sits at the same place in the HUD square whatever its shape.
    const std::pair<int, int> sizes[] = {{1200, 600}, {700, 900}};
    std::vector<std::pair<double, double>> offsets;
    for (auto [width, height] : sizes) {
        game->resize(width, height);
        sleepFor(1.5);
        // The spinning arrow sweeps over the word now and then; look again until it is clear.
        bool found = false;
        for (int attempt = 0; attempt < 8 && !found; ++attempt) {
            Picture picture = shot();
            ASSERT_EQ(picture.width, width);
            ASSERT_EQ(picture.height, height);
            Hud hud(picture);
            keep(picture, "resized-" + std::to_string(width) + "x" + std::to_string(height));
            for (const Word& word : readWords(picture))
                if (word.text == "MAX" && !found) {
                    double centreX = word.box.x + word.box.width / 2.0;
                    double centreY = word.box.y + word.box.height / 2.0;
                    offsets.emplace_back((centreX - hud.x(0.0f)) / hud.side, (centreY - hud.y(0.5f)) / hud.side);
                    found = true;
                }
            sleepFor(0.15);
        }
    }
    ASSERT_EQ(offsets.size(), 2u) << "MAX read on both shapes";
    EXPECT_NEAR(offsets[0].first, offsets[1].first, 0.02);
    EXPECT_NEAR(offsets[0].second, offsets[1].second, 0.02);
    EXPECT_LT(offsets[0].first, -0.1) << "left of the wheel's centre";
}

} // namespace
