// The rules of a throw without a window or GL context, frame by frame through the input seam
// and the game's controls: real model boxes and terrain heights, and the sound system on its
// no-device output. The sounds started and the states entered are read back from the trace.

#include "GameLogicRig.h"
#include "audio/SoundSystem.h"
#include "core/Trace.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <set>

namespace {

constexpr float STEP = 2.0f * float(GameLogicRig::FRAME); // the flight runs at double speed

FlightPath arc(float speed, float angle, const glm::vec3& start)
{
    const glm::mat3 launchFrame(glm::vec3(0, 0, -1), glm::vec3(0, 1, 0), glm::vec3(0));
    return FlightPath(speed, angle, start, launchFrame, 9.81f);
}

std::string format(const char* pattern, float value)
{
    char buffer[100];
    std::snprintf(buffer, sizeof buffer, pattern, double(value));
    return buffer;
}

class GameLogicTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::srand(8);
        rig = std::make_unique<GameLogicRig>();
        ASSERT_TRUE(rig->grov.isLoaded());
        rig->wire();
    }

    void TearDown() override
    {
        setTraceFile("");
        if (!traceDir.empty())
            std::filesystem::remove_all(traceDir);
    }

    // From now on the game's trace goes to a file of this test's own.
    void startTrace()
    {
        traceDir = std::filesystem::temp_directory_path() / ("grov-game-trace-" + std::to_string(getpid()));
        std::filesystem::create_directories(traceDir);
        std::filesystem::remove(traceDir / "trace.txt");
        setTraceFile((traceDir / "trace.txt").string());
    }

    // The details of every such event since startTrace, in order: sound names, states.
    std::vector<std::string> traced(const std::string& wanted) const
    {
        std::ifstream trace(traceDir / "trace.txt");
        std::vector<std::string> found;
        std::string seconds, event, details;
        while (trace >> seconds >> event && std::getline(trace >> std::ws, details))
            if (event == wanted)
                found.push_back(details);
        return found;
    }

    // The next frame of the current arc as the flight would take it, without a dive.
    glm::vec3 nextArcStep() const
    {
        FlightPath next = rig->logic.flightPath();
        next.update(STEP);
        return next.getStep();
    }

    std::unique_ptr<GameLogicRig> rig;
    std::filesystem::path traceDir;
};

const std::set<std::string> BOUNCE_SOUNDS = {"ah", "mm", "uff", "uuh"};
const std::set<std::string> TANK_HIT_SOUNDS = {"haha", "haha2"};

TEST_F(GameLogicTest, ArrowAngleSetsLaunchSpeedAndRage)
{
    struct Case {
        float angle, speed, rage;
    };
    // Left is full power, right the weakest, up and down half way.
    for (const Case c : {Case{-270, 80, 0.6f}, Case{-90, 30, 0}, Case{0, 55, 0.3f}, Case{-180, 55, 0.3f}}) {
        SCOPED_TRACE(c.angle);
        rig.reset(); // the old rig restores the working directory and input first
        rig = std::make_unique<GameLogicRig>();
        rig->wire();
        ASSERT_TRUE(rig->launchAt(c.angle));
        EXPECT_EQ(rig->logic.flightPath().predictLanding(), arc(c.speed, 40, glm::vec3(0, 10, 0)).predictLanding());
        EXPECT_NEAR(rig->logic.rage(), c.rage, 1e-6f);
        EXPECT_FALSE(rig->logic.isWheelShown());
        EXPECT_FALSE(rig->input.cursorVisible);
        // What the flight measures over a short first frame is the launch speed.
        rig->frame(1e-4);
        EXPECT_NEAR(rig->logic.speed(), c.speed, 0.01f);
    }
}

TEST_F(GameLogicTest, OneLongWindUpFrameStillHidesTheWheel)
{
    rig->tap(KEY_SPACE);
    rig->frame(1.3); // a hitch that skips every phase of the wind-up
    EXPECT_EQ(rig->logic.state(), GameLogic::STATE_FLIGHT);
    EXPECT_FALSE(rig->logic.isWheelShown());
}

TEST_F(GameLogicTest, ASlowFirstWindUpFrameStillBacksAwayFromGrov)
{
    // On a struggling machine the first wind-up frame can pass the 0.3 s hold at once; the
    // camera must still back away from where it stood, not from the origin under the ground.
    const glm::vec3 start = rig->camera.eye();
    rig->tap(KEY_SPACE);
    rig->frame(0.5);
    ASSERT_EQ(rig->logic.state(), GameLogic::STATE_WIND_UP);
    const float u = (0.5f - 0.3f) / 0.7f;
    const glm::vec3 expected = start + u * glm::vec3(0.0f, -3.0f, 30.0f);
    EXPECT_NEAR(rig->camera.eye().y, expected.y, 1e-3f);
    EXPECT_NEAR(rig->camera.eye().z, expected.z, 1e-3f);
    EXPECT_GT(rig->camera.eye().y, rig->terrain.heightAt(rig->camera.eye()));
}

// D steers right and A left at 30 units per second of flight time, a gamepad's d-pad the same,
// its stick as far as it is pushed past the dead zone; keys held overrule the stick. The
// distance stays the lengthwise one, and the camera keeps its place behind and above Grov.
TEST_F(GameLogicTest, SteeringMovesGrovSidewaysWithTheCameraAndCLooksAhead)
{
    const glm::vec3 cameraOffset(0, 20, 19);
    ASSERT_TRUE(rig->launchAt(-270));
    rig->input.pad.connected = true;
    struct Hold {
        const char* name;
        int key;
        int button;
        float stick;
        float sideways;
    };
    for (const Hold& hold :
         {Hold{"D", KEY_D, -1, 0.0f, 1.0f}, Hold{"A", KEY_A, -1, 0.0f, -1.0f},
          Hold{"d-pad left", -1, PAD_DPAD_LEFT, 0.0f, -1.0f}, Hold{"stick 0.6 right", -1, -1, 0.6f, 0.5f},
          Hold{"stick in the dead zone", -1, -1, -0.15f, 0.0f}, Hold{"A against the stick", KEY_A, -1, 1.0f, -1.0f}}) {
        SCOPED_TRACE(hold.name);
        if (hold.key >= 0)
            rig->input.press(hold.key);
        if (hold.button >= 0)
            rig->input.pad.buttons[hold.button] = true;
        rig->input.pad.axes[PAD_LEFT_X] = hold.stick;
        for (int i = 0; i < 30; ++i) {
            const float x = rig->grov.position().x;
            rig->frame();
            ASSERT_NEAR(rig->grov.position().x - x, hold.sideways * 30.0f * STEP, 1e-4f);
            EXPECT_FLOAT_EQ(rig->logic.distance(), 0.7f * std::fabs(rig->logic.flightPath().getPosition().z));
            ASSERT_LT(glm::distance(rig->camera.eye(), rig->grov.position() + cameraOffset), 1e-4f);
        }
        rig->input.keysDown.clear();
        rig->input.pad = GamepadState();
        rig->input.pad.connected = true;
    }

    // C turns the camera to the fixed look ahead and down, whichever way it looked.
    const glm::vec3 ahead(0, -15, -30);
    ASSERT_GT(glm::distance(rig->camera.center() - rig->camera.eye(), ahead), 1.0f);
    rig->input.press(KEY_C);
    rig->frame();
    rig->input.release(KEY_C);
    EXPECT_LT(glm::distance(rig->camera.center() - rig->camera.eye(), ahead), 1e-4f);
    EXPECT_LT(glm::distance(rig->camera.eye(), rig->grov.position() + cameraOffset), 1e-4f);
    // The pointer away from the middle turns the view again; the gamepad's north button looks
    // ahead as C does.
    rig->frame();
    ASSERT_GT(glm::distance(rig->camera.center() - rig->camera.eye(), ahead), 1e-3f);
    rig->input.pad.buttons[PAD_NORTH] = true;
    rig->frame();
    rig->input.pad.buttons[PAD_NORTH] = false;
    EXPECT_LT(glm::distance(rig->camera.center() - rig->camera.eye(), ahead), 1e-4f);

    rig->grov.setPosition(glm::vec3(0, 60, 40)); // behind the start counts too
    rig->frame();
    EXPECT_FLOAT_EQ(rig->logic.distance(), 0.7f * rig->grov.position().z);
}

// The throw action dives in flight: it costs a quarter of the rage, and a second press while
// diving does nothing. An arrow at -162 degrees launches with 0.24 rage, at -270 with 0.6.
TEST_F(GameLogicTest, DiveNeedsAQuarterOfRageAndOnlyOneAtATime)
{
    ASSERT_TRUE(rig->launchAt(-162));
    ASSERT_LT(rig->logic.rage(), 0.25f);
    rig->tap(KEY_SPACE);
    rig->frame();
    EXPECT_FALSE(rig->logic.isDiving());
    EXPECT_FALSE(rig->logic.wantsMotionBlur());

    rig.reset(); // the old rig restores the working directory and input first
    rig = std::make_unique<GameLogicRig>();
    rig->wire();
    ASSERT_TRUE(rig->launchAt(-270));
    startTrace();
    rig->tap(KEY_SPACE);
    rig->frame(0.0);
    EXPECT_TRUE(rig->logic.isDiving());
    EXPECT_FLOAT_EQ(rig->logic.rage(), 0.6f - 0.25f);
    EXPECT_TRUE(rig->logic.wantsMotionBlur());
    EXPECT_EQ(traced("dive"), std::vector<std::string>{"0.350"});

    rig->tap(KEY_SPACE);
    rig->frame(0.0);
    EXPECT_FLOAT_EQ(rig->logic.rage(), 0.6f - 0.25f) << "one dive at a time";
}

TEST_F(GameLogicTest, TankCountsOnlyOnceGrovStopsRising)
{
    ASSERT_TRUE(rig->launchAt(-90));
    startTrace();
    const SceneObject& tank = *rig->tanks[1];
    int risingFrames = 0;
    for (; nextArcStep().y > 0.0f && risingFrames < 600; ++risingFrames) {
        rig->putGrovOn(tank);
        rig->frame();
        ASSERT_FALSE(rig->isFadingOut(&tank)) << "hit while rising, frame " << risingFrames;
    }
    EXPECT_GT(risingFrames, 10);
    EXPECT_TRUE(traced("sound").empty());

    rig->putGrovOn(tank);
    rig->frame();
    EXPECT_TRUE(rig->isFadingOut(&tank));
    const std::vector<std::string> sounds = traced("sound");
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(TANK_HIT_SOUNDS.count(sounds[0]), 1u) << sounds[0];
    EXPECT_FLOAT_EQ(rig->logic.rage(), 0.35f);
    // Thrown up again at 40 degrees from where he is.
    EXPECT_EQ(rig->logic.flightPath().predictLanding(),
              arc(rig->logic.speed(), 40, rig->grov.position()).predictLanding());
}

// A hit multiplies the speed by 1.35 but keeps it within 30 to 80, on a paused frame too.
TEST_F(GameLogicTest, TankHitSpeedStaysWithin30And80)
{
    ASSERT_TRUE(rig->launchAt(-90));
    rig->putGrovOn(*rig->tanks[1]);
    rig->frame(0.0); // nothing measured yet
    EXPECT_EQ(rig->logic.speed(), 30.0f);

    for (int i = 0; i < 5; ++i)
        rig->frame();
    const float speed = rig->logic.speed();
    const glm::vec3 pos = rig->grov.position();
    rig->frame(0.0);
    EXPECT_EQ(rig->grov.position(), pos);
    EXPECT_EQ(rig->logic.speed(), speed);

    // A dive, on the rage the hit gave, goes far beyond 80.
    rig->tap(KEY_SPACE);
    rig->frame();
    ASSERT_TRUE(rig->logic.isDiving());
    rig->putGrovOn(*rig->tanks[0]);
    rig->frame();
    ASSERT_TRUE(rig->isFadingOut(rig->tanks[0].get()));
    EXPECT_EQ(rig->logic.speed(), 80.0f);
    EXPECT_FALSE(rig->logic.isDiving());
}

TEST_F(GameLogicTest, AltitudeWarningOnlyWhileFallingLowAndNotDiving)
{
    ASSERT_TRUE(rig->launchAt(-90)); // tops out below 50
    while (nextArcStep().y > 0.0f) {
        rig->frame();
        ASSERT_FALSE(rig->logic.isAltitudeWarningShown()) << "shown while rising";
    }
    rig->frame();
    EXPECT_TRUE(rig->logic.isAltitudeWarningShown());

    rig->grov.setPosition(rig->grov.position() + glm::vec3(0, 60, 0));
    rig->frame();
    EXPECT_FALSE(rig->logic.isAltitudeWarningShown()) << "shown above 50";

    // A tank hit gives the rage for a dive, which falls fast and low without the warning.
    rig->putGrovOn(*rig->tanks[1]);
    rig->frame();
    rig->tap(KEY_SPACE);
    rig->frame();
    ASSERT_TRUE(rig->logic.isDiving());
    rig->grov.setPosition(glm::vec3(rig->grov.position().x, 40.0f, rig->grov.position().z));
    rig->frame();
    EXPECT_FALSE(rig->logic.isAltitudeWarningShown()) << "shown while diving";
}

// Every bounce keeps 65 percent of the landing speed until one leaves 5 or less; the throw
// action then sets up the next throw. Grov grunts on SPACE, calls out at every bounce and lands with a donk.
TEST_F(GameLogicTest, ThrowPlayedToGameOverAndReset)
{
    rig.reset();
    startTrace();
    rig = std::make_unique<GameLogicRig>();
    rig->wire();
    const glm::vec3 grovStart = rig->grov.position(), eye0 = rig->camera.eye();
    ASSERT_TRUE(rig->launchAt(-230));
    EXPECT_EQ(traced("sound"), (std::vector<std::string>{"intro", "grunt"}));

    int bounces = 0;
    for (int frames = 0; frames < 60 * 600 && rig->logic.state() == GameLogic::STATE_FLIGHT; ++frames) {
        const float measured = glm::length(nextArcStep()) / STEP;
        const glm::vec3 landing = rig->logic.flightPath().predictLanding();
        rig->frame();
        if (rig->logic.state() == GameLogic::STATE_GAME_OVER)
            EXPECT_LE(0.65f * measured, 5.0f + 1e-4f);
        else if (rig->logic.flightPath().predictLanding() != landing && rig->logic.speed() < measured) {
            ++bounces;
            ASSERT_NEAR(rig->logic.speed(), 0.65f * measured, 1e-4f * measured) << "bounce " << bounces;
        }
    }
    ASSERT_EQ(rig->logic.state(), GameLogic::STATE_GAME_OVER);
    EXPECT_GE(bounces, 2);
    const std::vector<std::string> sounds = traced("sound");
    ASSERT_EQ(sounds.size(), bounces + 3u);
    EXPECT_EQ(sounds.back(), "donk");
    for (std::size_t i = 2; i + 1 < sounds.size(); ++i)
        EXPECT_EQ(BOUNCE_SOUNDS.count(sounds[i]), 1u) << sounds[i];
    const float distance = rig->logic.distance();
    EXPECT_GT(distance, 50.0f);
    EXPECT_EQ(rig->logic.result(), format("You've reached %.2f m", distance));
    EXPECT_EQ(traced("result"), std::vector<std::string>{rig->logic.result()});
    EXPECT_FALSE(rig->logic.isAltitudeWarningShown());
    EXPECT_TRUE(rig->input.cursorVisible);
    rig->frame();
    const glm::vec3 orbit = rig->camera.eye() - rig->grov.position();
    EXPECT_NEAR(orbit.y, 15.0f, 1e-3f);
    EXPECT_NEAR(std::hypot(orbit.x, orbit.z), 18.0f, 1e-3f);

    rig->tap(KEY_SPACE);
    rig->frame(0.0);
    EXPECT_EQ(rig->logic.state(), GameLogic::STATE_AIMING);
    EXPECT_TRUE(rig->logic.isWheelShown());
    EXPECT_EQ(rig->logic.arrowAngle(), 0.0f);
    EXPECT_EQ(rig->grov.position(), grovStart);
    EXPECT_EQ(rig->camera.eye(), eye0);
    EXPECT_EQ(rig->logic.tankMotions().size(), rig->tanks.size());
    EXPECT_TRUE(rig->logic.fadingOutTanks().empty() && rig->logic.fadingInTanks().empty());
    EXPECT_EQ(traced("state"), (std::vector<std::string>{"0", "1", "2", "3", "0"}));
}

double soundLength(const char* path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (file)
        sf_close(file);
    return file ? double(info.frames) / info.samplerate : 0.0;
}

// The intro loops until SPACE, then finishes its pass; "inbetween" follows once, then
// "flight" loops for good.
TEST_F(GameLogicTest, MusicChainRunsIntroInbetweenThenFlight)
{
    const double introLength = soundLength("res/sounds/intro.wav");
    ASSERT_GT(introLength, 1.0);
    // Seconds of wall clock until done() holds, 50 ms per sound update.
    const auto runUntil = [&](const auto& done, double limit) {
        double t = 0.0;
        for (; t < limit && !done(); t += 0.05) {
            rig->clock.advance(0.05);
            SoundSystem::instance()->update();
        }
        return t;
    };
    const Voice intro = rig->logic.introSong()->channel();
    runUntil([] { return false; }, introLength + 1.0);
    ASSERT_TRUE(intro.isAlive()) << "the intro loops while the player aims";
    unsigned playedMs = 0;
    intro.position(&playedMs);

    rig->logic.onThrow();
    const double introLeft = runUntil([&] { return !intro.isAlive(); }, 60.0);
    EXPECT_NEAR(introLeft, introLength - playedMs / 1000.0, 0.25);
    const Voice inbetween = rig->logic.inbetweenSong()->channel();
    ASSERT_TRUE(inbetween.isAlive());
    EXPECT_FALSE(rig->logic.flightSong()->channel().isAlive());

    const double inbetweenTime = runUntil([&] { return !inbetween.isAlive(); }, 60.0);
    EXPECT_NEAR(inbetweenTime, soundLength("res/sounds/inbetween.wav"), 0.25);
    const Voice flight = rig->logic.flightSong()->channel();
    runUntil([] { return false; }, soundLength("res/sounds/flight.wav") + 1.0);
    EXPECT_TRUE(flight.isAlive()) << "flight loops";
}

// A song that could not be loaded is passed over: the chain goes on with the next piece
// instead of falling silent for the rest of the run.
TEST_F(GameLogicTest, MusicChainGoesOnPastASongThatDidNotLoad)
{
    rig.reset();
    // A run directory like the real one, with one song missing.
    const std::filesystem::path game(GROV_GAME_DIR);
    const std::filesystem::path copy = std::filesystem::temp_directory_path() / "grov-music-chain";
    const auto runUntil = [](GameLogicRig& rig, const auto& done, double limit) {
        double t = 0.0;
        for (; t < limit && !done(); t += 0.05) {
            rig.clock.advance(0.05);
            SoundSystem::instance()->update();
        }
        return t;
    };
    for (const char* missing : {"intro.wav", "inbetween.wav"}) {
        std::filesystem::remove_all(copy);
        std::filesystem::create_directories(copy / "res" / "sounds");
        for (const char* entry : {"assets", "shader", "settings.txt"})
            std::filesystem::create_directory_symlink(game / entry, copy / entry);
        for (const auto& entry : std::filesystem::directory_iterator(game / "res"))
            if (entry.path().filename() != "sounds")
                std::filesystem::create_symlink(entry.path(), copy / "res" / entry.path().filename());
        for (const auto& entry : std::filesystem::directory_iterator(game / "res" / "sounds"))
            if (entry.path().filename() != missing)
                std::filesystem::create_symlink(entry.path(), copy / "res" / "sounds" / entry.path().filename());

        testing::internal::CaptureStdout();
        GameLogicRig damaged(copy.string());
        damaged.wire();
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_NE(output.find(std::string("Sound not loaded: res/sounds/") + missing), std::string::npos) << output;

        GameLogic& logic = damaged.logic;
        if (std::string(missing) == "intro.wav") {
            // Without the intro the aiming gets "inbetween" at once, then "flight" for good.
            const Voice inbetween = logic.inbetweenSong()->channel();
            ASSERT_TRUE(inbetween.isAlive());
            runUntil(
                damaged, [&] { return !inbetween.isAlive(); }, 60.0);
        } else {
            // Without "inbetween" the intro hands over to "flight" after SPACE.
            const Voice intro = logic.introSong()->channel();
            ASSERT_TRUE(intro.isAlive());
            logic.onThrow();
            runUntil(
                damaged, [&] { return !intro.isAlive(); }, 60.0);
        }
        const Voice flight = logic.flightSong()->channel();
        EXPECT_TRUE(flight.isAlive()) << "flight follows when " << missing << " is missing";
        runUntil(
            damaged, [] { return false; }, soundLength("res/sounds/flight.wav") + 1.0);
        EXPECT_TRUE(flight.isAlive()) << "flight loops";
    }
    std::filesystem::remove_all(copy);
}

} // namespace
