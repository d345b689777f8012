// The rules of a throw, driven frame by frame through the real scene objects, the real terrain
// heights and the sound system on its no-device output, with scripted keys.

#include "GameLogicRig.h"
#include "GlTestContext.h"
#include "audio/SoundSystem.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

const glm::mat3 LAUNCH_FRAME(glm::vec3(0, 0, -1), glm::vec3(0, 1, 0), glm::vec3(0, 0, 0));
const glm::vec3 LAUNCH_START(0, 10, 0);
constexpr double FLIGHT_STEP = 2.0 * GameLogicRig::FRAME; // the flight's doubled step

FlightPath arc(float speed, float angle, const glm::vec3& start)
{
    return FlightPath(speed, angle, start, LAUNCH_FRAME, 1.0f, 9.81f);
}

// Two arcs are the same when they start alike and come down at the same point.
void expectSameArc(const FlightPath& actual, const FlightPath& expected)
{
    const glm::vec3 a = actual.predictLanding(), e = expected.predictLanding();
    EXPECT_FLOAT_EQ(a.z, e.z);
    EXPECT_EQ(actual.getPosition(), expected.getPosition());
}

std::string format(const char* pattern, float value)
{
    char buffer[100];
    std::snprintf(buffer, sizeof buffer, pattern, double(value));
    return buffer;
}

double soundLength(const char* path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file)
        return 0.0;
    sf_close(file);
    return double(info.frames) / info.samplerate;
}

class GameLogicGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        std::srand(8);
        rig = std::make_unique<GameLogicRig>();
        ASSERT_TRUE(rig->directory.ok) << GROV_GAME_DIR;
        ASSERT_TRUE(rig->grov->isLoaded());
    }

    // Whether the next flight frame of the current arc goes up.
    bool nextFrameRises() const
    {
        FlightPath next = rig->logic.flightPath();
        next.update(float(FLIGHT_STEP));
        return next.getStep().y > 0.0f;
    }

    // Grov over the middle of the tank, half a unit into the top of its box.
    void putGrovOn(const SceneObject& tank)
    {
        const SceneObject& grov = *rig->grov;
        const glm::vec3 tankMiddle = tank.position() + 0.5f * (tank.boundsMin() + tank.boundsMax());
        const glm::vec3 grovMiddle = 0.5f * (grov.boundsMin() + grov.boundsMax());
        const float y = tank.position().y + tank.boundsMax().y - grov.boundsMin().y - 0.5f;
        rig->grov->setPosition(glm::vec3(tankMiddle.x - grovMiddle.x, y, tankMiddle.z - grovMiddle.z));
    }

    bool isFadingOut(const SceneObject* tank) const
    {
        for (const SceneObject* t : rig->logic.fadingOutTanks())
            if (t == tank)
                return true;
        return false;
    }

    std::unique_ptr<GameLogicRig> rig;
};

TEST_F(GameLogicGlTest, ArrowAngleSetsLaunchSpeedAndRage)
{
    struct Case {
        float angle, speed, rage;
    };
    // Left is full power, right the weakest, up and down half way.
    for (const Case c : {Case{-270, 80, 0.6f}, Case{-90, 30, 0}, Case{0, 55, 0.3f}, Case{-180, 55, 0.3f}}) {
        SCOPED_TRACE(c.angle);
        rig.reset(); // the old rig puts the working directory and the input back first
        rig = std::make_unique<GameLogicRig>();
        rig->wire();
        ASSERT_TRUE(rig->launchAt(c.angle));
        expectSameArc(rig->logic.flightPath(), arc(c.speed, 40, LAUNCH_START));
        EXPECT_NEAR(rig->rage.value(), c.rage, 1e-6f);
        EXPECT_TRUE(rig->rage.isVisible());
        EXPECT_TRUE(rig->distanceText.isVisible());
        EXPECT_EQ(rig->grov->position(), LAUNCH_START);

        // The speed the flight measures over a short first frame is the launch speed.
        rig->frame(1e-4);
        EXPECT_NEAR(rig->logic.speed(), c.speed, 0.01f);
    }
}

TEST_F(GameLogicGlTest, AimingSpinsTheArrowClockwiseWithinOneTurn)
{
    rig->wire();
    for (int i = 0; i < 100; ++i) {
        const float before = rig->arrow.rotationAngle();
        rig->frame();
        const float after = rig->arrow.rotationAngle();
        ASSERT_GT(after, -360.0f);
        ASSERT_LE(after, 0.0f);
        if (after < before) {
            EXPECT_NEAR(before - after, 12.0f, 1e-3f); // 720 degrees per second
        }
    }
    EXPECT_EQ(rig->logic.state(), GameLogic::STATE_AIMING);
}

TEST_F(GameLogicGlTest, WindUpSwingsTheCameraBehindGrovAndLaunches)
{
    rig->wire();
    const glm::vec3 eye0 = rig->camera->eye();
    const glm::vec3 grovStart = rig->grov->position();
    rig->arrow.setRotationAngle(-200.0f);
    rig->logic.onSpace();
    EXPECT_EQ(rig->logic.state(), GameLogic::STATE_WIND_UP);
    rig->logic.onSpace(); // ignored while winding up
    EXPECT_EQ(rig->logic.state(), GameLogic::STATE_WIND_UP);

    // First 0.3 s: nothing moves.
    for (int i = 0; i < 17; ++i)
        rig->frame();
    EXPECT_EQ(rig->camera->eye(), eye0);
    EXPECT_TRUE(rig->wheel.isVisible());

    // Backing away until 1 s: the wheel goes, the eye heads for 30 back and 3 down.
    for (int i = 0; i < 40; ++i)
        rig->frame();
    EXPECT_FALSE(rig->wheel.isVisible());
    EXPECT_FALSE(rig->arrow.isVisible());
    EXPECT_GT(rig->camera->eye().z, eye0.z + 25.0f);
    EXPECT_LT(rig->camera->eye().y, eye0.y);
    EXPECT_FALSE(rig->logic.wantsMotionBlur());

    // The swoop to behind Grov is blurred.
    for (int i = 0; i < 5 && !rig->logic.wantsMotionBlur(); ++i)
        rig->frame();
    EXPECT_TRUE(rig->logic.wantsMotionBlur());
    glm::vec3 lastEye = rig->camera->eye();
    while (rig->logic.state() == GameLogic::STATE_WIND_UP) {
        lastEye = rig->camera->eye();
        rig->frame();
    }
    // By the last wind-up frame the eye has nearly reached its flight place over Grov.
    const glm::vec3 backedAway = eye0 + glm::vec3(0, -3, 30);
    const glm::vec3 behindGrov = grovStart + glm::vec3(0, 20, 19);
    EXPECT_LT(glm::distance(lastEye, behindGrov), 0.1f * glm::distance(backedAway, behindGrov));
    EXPECT_EQ(rig->logic.state(), GameLogic::STATE_FLIGHT);
    EXPECT_FALSE(rig->logic.wantsMotionBlur());
    EXPECT_EQ(rig->camera->center(), glm::vec3(0, -15, -30));
    EXPECT_TRUE(rig->camera->isMouseLookOn());
    EXPECT_FALSE(rig->camera->isFreeMovementOn());
    EXPECT_FALSE(rig->input.cursorVisible);
    // The last tank is sent ahead.
    EXPECT_TRUE(isFadingOut(rig->tanks.back().get()));
}

TEST_F(GameLogicGlTest, OneLongWindUpFrameStillHidesTheWheel)
{
    rig->wire();
    rig->logic.onSpace();
    rig->frame(1.3); // a hitch that skips every phase of the wind-up
    EXPECT_EQ(rig->logic.state(), GameLogic::STATE_FLIGHT);
    EXPECT_FALSE(rig->wheel.isVisible());
    EXPECT_FALSE(rig->arrow.isVisible());
}

TEST_F(GameLogicGlTest, DistanceIsLengthwiseWhateverTheSteering)
{
    rig->wire();
    ASSERT_TRUE(rig->launchAt(-270));
    rig->input.press(KEY_D);
    for (int i = 0; i < 30; ++i) {
        const float x = rig->grov->position().x;
        rig->frame();
        ASSERT_NEAR(rig->grov->position().x - x, 30.0f * float(FLIGHT_STEP), 1e-4f);
        // Only the arc moves Grov along z.
        EXPECT_FLOAT_EQ(rig->logic.distance(), 0.7f * std::fabs(rig->logic.flightPath().getPosition().z));
    }
    rig->input.release(KEY_D);
    rig->input.press(KEY_A);
    const float x = rig->grov->position().x;
    rig->frame();
    EXPECT_NEAR(rig->grov->position().x - x, -30.0f * float(FLIGHT_STEP), 1e-4f);
    EXPECT_EQ(rig->distanceText.text(), format("%.2f m", rig->logic.distance()));

    // Behind the start counts as distance too.
    rig->grov->setPosition(glm::vec3(0, 60, 40));
    rig->frame();
    EXPECT_GT(rig->grov->position().z, 0.0f);
    EXPECT_FLOAT_EQ(rig->logic.distance(), 0.7f * rig->grov->position().z);
}

TEST_F(GameLogicGlTest, KeyCFixesTheLookWhileTheCameraFollows)
{
    rig->wire();
    ASSERT_TRUE(rig->launchAt(-180));
    rig->input.mouseX += 200; // turns the camera's mouse look
    rig->frame();
    const glm::vec3 turned = rig->camera->center() - rig->camera->eye();
    EXPECT_GT(std::fabs(turned.x), 0.01f);
    EXPECT_EQ(rig->camera->eye(), rig->grov->position() + glm::vec3(0, 20, 19));

    rig->input.press(KEY_C);
    rig->frame();
    const glm::vec3 look = rig->camera->center() - rig->camera->eye();
    EXPECT_NEAR(look.x, 0.0f, 1e-4f);
    EXPECT_NEAR(look.y, -15.0f, 1e-3f);
    EXPECT_NEAR(look.z, -30.0f, 1e-3f);
}

TEST_F(GameLogicGlTest, DiveNeedsAQuarterOfRageAndOnlyOneAtATime)
{
    rig->wire();
    ASSERT_TRUE(rig->launchAt(-270));
    rig->frame();

    rig->rage.setValue(0.24f);
    rig->logic.onSpace();
    EXPECT_EQ(rig->logic.diveVector(), glm::vec3(0));
    EXPECT_FLOAT_EQ(rig->rage.value(), 0.24f);
    EXPECT_FALSE(rig->logic.wantsMotionBlur());

    rig->rage.setValue(0.25f);
    rig->logic.onSpace();
    EXPECT_EQ(rig->logic.diveVector(), glm::vec3(0, -300, -80));
    EXPECT_GE(rig->rage.value(), 0.0f);
    EXPECT_NEAR(rig->rage.value(), 0.0f, 1e-7f);
    EXPECT_TRUE(rig->logic.wantsMotionBlur());

    rig->rage.setValue(0.9f);
    rig->logic.onSpace();
    EXPECT_FLOAT_EQ(rig->rage.value(), 0.9f);

    // The dive pulls Grov down and forward faster than the arc alone.
    FlightPath alone = rig->logic.flightPath();
    alone.update(float(FLIGHT_STEP));
    const glm::vec3 before = rig->grov->position();
    rig->frame();
    const glm::vec3 moved = rig->grov->position() - before;
    EXPECT_NEAR(moved.y, 0.75f * alone.getStep().y - 0.25f * 300.0f * float(FLIGHT_STEP), 1e-3f);
    EXPECT_LT(moved.z, alone.getStep().z);
}

TEST_F(GameLogicGlTest, TankCountsOnlyOnceGrovStopsRising)
{
    rig->wire();
    ASSERT_TRUE(rig->launchAt(-90));
    const SceneObject* tank = rig->tanks[1].get();

    int risingFrames = 0;
    while (nextFrameRises() && risingFrames < 600) {
        putGrovOn(*tank);
        rig->frame();
        ASSERT_FALSE(isFadingOut(tank)) << "hit while rising, frame " << risingFrames;
        ++risingFrames;
    }
    EXPECT_GT(risingFrames, 10);

    const float rage = rig->rage.value();
    putGrovOn(*tank);
    rig->frame();
    EXPECT_TRUE(isFadingOut(tank));
    EXPECT_EQ(rig->logic.tankMotions().count(const_cast<SceneObject*>(tank)), 0u);
    const float drained = std::max(rage - 0.01f * float(FLIGHT_STEP), 0.0f);
    EXPECT_FLOAT_EQ(rig->rage.value(), std::min(drained + 0.35f, 1.0f));
    // Thrown up again at 40 degrees from where he is.
    expectSameArc(rig->logic.flightPath(), arc(rig->logic.speed(), 40, rig->grov->position()));
}

TEST_F(GameLogicGlTest, TankHitOnAPausedFrameKeepsASaneSpeed)
{
    rig->wire();
    ASSERT_TRUE(rig->launchAt(-90));

    // Nothing has been measured yet: the hit raises the speed to the slowest throw.
    putGrovOn(*rig->tanks[1]);
    rig->frame(0.0);
    EXPECT_FLOAT_EQ(rig->logic.speed(), 30.0f);
    EXPECT_TRUE(isFadingOut(rig->tanks[1].get()));

    for (int i = 0; i < 5; ++i)
        rig->frame();
    const float speed = rig->logic.speed();
    const glm::vec3 pos = rig->grov->position();
    rig->frame(0.0);
    EXPECT_EQ(rig->grov->position(), pos);
    EXPECT_FLOAT_EQ(rig->logic.speed(), speed);

    putGrovOn(*rig->tanks[0]);
    rig->frame(0.0);
    ASSERT_TRUE(isFadingOut(rig->tanks[0].get()));
    EXPECT_FLOAT_EQ(rig->logic.speed(), std::min(speed * 1.35f, 80.0f));
}

TEST_F(GameLogicGlTest, FastTankHitIsCappedAndEndsTheDive)
{
    rig->wire();
    ASSERT_TRUE(rig->launchAt(-270));
    rig->frame();
    rig->logic.onSpace();
    ASSERT_NE(rig->logic.diveVector(), glm::vec3(0));

    putGrovOn(*rig->tanks[1]);
    rig->frame();
    ASSERT_TRUE(isFadingOut(rig->tanks[1].get()));
    EXPECT_FLOAT_EQ(rig->logic.speed(), 80.0f);
    EXPECT_EQ(rig->logic.diveVector(), glm::vec3(0));
    EXPECT_FALSE(rig->logic.wantsMotionBlur());
}

TEST_F(GameLogicGlTest, AltitudeWarningOnlyWhileFallingLowAndNotDiving)
{
    rig->parkTanksFarAway();
    rig->wire();
    ASSERT_TRUE(rig->launchAt(-90)); // tops out below 50

    while (nextFrameRises()) {
        rig->frame();
        ASSERT_FALSE(rig->altitudeWarning.isVisible()) << "shown while rising";
    }
    rig->frame();
    EXPECT_TRUE(rig->altitudeWarning.isVisible());

    rig->grov->setPosition(rig->grov->position() + glm::vec3(0, 60, 0));
    rig->frame();
    EXPECT_GT(rig->grov->position().y, 50.0f);
    EXPECT_FALSE(rig->altitudeWarning.isVisible()) << "shown above 50";

    rig->grov->setPosition(rig->grov->position() - glm::vec3(0, 60, 0));
    rig->frame();
    EXPECT_TRUE(rig->altitudeWarning.isVisible());
    rig->rage.setValue(1.0f);
    rig->logic.onSpace();
    ASSERT_NE(rig->logic.diveVector(), glm::vec3(0));
    rig->frame();
    EXPECT_FALSE(rig->altitudeWarning.isVisible()) << "shown while diving";
}

// A whole throw: every bounce keeps 65 percent of the landing speed, tank hits keep it
// between 30 and 80, and the last bounce ends the game; SPACE then sets up the next throw.
TEST_F(GameLogicGlTest, ThrowPlayedToGameOverAndReset)
{
    testing::internal::CaptureStdout();
    rig->wire();
    const glm::vec3 grovStart = rig->grov->position();
    const glm::vec3 eye0 = rig->camera->eye();
    ASSERT_TRUE(rig->launchAt(-230));

    int bounces = 0, tankHits = 0, frames = 0;
    for (; frames < 60 * 600 && rig->logic.state() == GameLogic::STATE_FLIGHT; ++frames) {
        FlightPath unchanged = rig->logic.flightPath();
        unchanged.update(float(FLIGHT_STEP));
        const float measured = glm::length(unchanged.getStep()) / float(FLIGHT_STEP);
        const FlightPath before = rig->logic.flightPath();
        rig->frame();
        if (rig->logic.state() == GameLogic::STATE_GAME_OVER) {
            EXPECT_LE(0.65f * measured, 5.0f + 1e-4f);
            break;
        }
        if (rig->logic.flightPath().predictLanding() == before.predictLanding())
            continue;
        if (rig->logic.speed() < measured) {
            ++bounces;
            ASSERT_NEAR(rig->logic.speed(), 0.65f * measured, 1e-4f * measured) << "bounce " << bounces;
            const glm::vec3 p = rig->grov->position();
            EXPECT_FLOAT_EQ(p.y, rig->terrain.maxHeightInArea(p.x, p.z, rig->grov->boundsMin(), rig->grov->boundsMax()));
        } else {
            ++tankHits;
            EXPECT_GE(rig->logic.speed(), 30.0f);
            EXPECT_LE(rig->logic.speed(), 80.0f);
        }
    }
    ASSERT_EQ(rig->logic.state(), GameLogic::STATE_GAME_OVER);
    EXPECT_GE(bounces, 2);
    EXPECT_EQ(rig->logic.speed(), 0.0f);

    // The end of the throw.
    const float distance = rig->logic.distance();
    EXPECT_GT(distance, 50.0f);
    EXPECT_FLOAT_EQ(distance, 0.7f * std::fabs(rig->grov->position().z));
    EXPECT_EQ(rig->resultText.text(), format("You've reached %.2f m", distance));
    for (const Text2D* text : {&rig->gameOverText, &rig->resultText, &rig->retryText})
        EXPECT_TRUE(text->isVisible());
    EXPECT_FALSE(rig->distanceText.isVisible());
    EXPECT_FALSE(rig->rage.isVisible());
    EXPECT_FALSE(rig->altitudeWarning.isVisible());
    EXPECT_TRUE(rig->input.cursorVisible);
    EXPECT_FALSE(rig->camera->isMouseLookOn());

    // The camera circles Grov, 15 above and 18 away.
    for (int i = 0; i < 30; ++i) {
        rig->frame();
        const glm::vec3 offset = rig->camera->eye() - rig->grov->position();
        ASSERT_NEAR(offset.y, 15.0f, 1e-3f);
        ASSERT_NEAR(std::hypot(offset.x, offset.z), 18.0f, 1e-3f);
    }

    rig->tanks[0]->setTransparency(0.3f);
    rig->logic.onSpace();
    EXPECT_EQ(rig->logic.state(), GameLogic::STATE_AIMING);
    for (const Text2D* text : {&rig->gameOverText, &rig->resultText, &rig->retryText})
        EXPECT_FALSE(text->isVisible());
    EXPECT_TRUE(rig->wheel.isVisible());
    EXPECT_TRUE(rig->arrow.isVisible());
    EXPECT_EQ(rig->arrow.rotationAngle(), 0.0f);
    EXPECT_EQ(rig->logic.distance(), 0.0f);
    EXPECT_EQ(rig->grov->position(), grovStart);
    EXPECT_EQ(rig->camera->eye(), eye0);
    for (const auto& tank : rig->tanks) {
        EXPECT_EQ(tank->transparency(), 1.0f);
        EXPECT_EQ(rig->logic.tankMotions().count(tank.get()), 1u);
    }
    EXPECT_TRUE(rig->logic.fadingOutTanks().empty());
    EXPECT_TRUE(rig->logic.fadingInTanks().empty());

    std::istringstream log(testing::internal::GetCapturedStdout());
    const std::string prefix = "GameLogic -- Switched to state ";
    std::string line, states;
    while (std::getline(log, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            states += line.substr(prefix.size()) + " ";
    EXPECT_EQ(states, "0 1 2 3 0 ");
}

// The intro plays on until SPACE, then finishes its pass; "inbetween" follows once, then
// "flight" loops for good.
TEST_F(GameLogicGlTest, MusicChainRunsIntroInbetweenThenFlight)
{
    rig->wire();
    SoundSystem* sound = SoundSystem::instance();
    const Voice intro = rig->logic.introSong()->channel();
    const double introLength = soundLength("res/sounds/intro.wav");
    const double inbetweenLength = soundLength("res/sounds/inbetween.wav");
    ASSERT_GT(introLength, 1.0);
    ASSERT_GT(inbetweenLength, 0.5);

    constexpr double TICK = 0.05; // seconds of sound per update
    const auto run = [&](double seconds) {
        for (double t = 0.0; t < seconds; t += TICK) {
            rig->clock.advance(TICK);
            sound->update();
        }
    };
    const auto runUntil = [&](const auto& done, double limit) {
        double t = 0.0;
        for (; t < limit && !done(); t += TICK) {
            rig->clock.advance(TICK);
            sound->update();
        }
        return t;
    };

    // Loops while the player aims, even past its own length.
    run(introLength + 1.0);
    ASSERT_TRUE(intro.isAlive());
    unsigned positionMs = 0;
    ASSERT_EQ(intro.position(&positionMs, MIXER_UNIT_MS), MIXER_OK);

    rig->logic.onSpace();
    int loops = 1;
    intro.loopCount(&loops);
    EXPECT_EQ(loops, 0);

    const double introLeft = runUntil([&] { return !intro.isAlive(); }, 60.0);
    EXPECT_NEAR(introLeft, introLength - positionMs / 1000.0, 0.25);
    const Voice inbetween = rig->logic.inbetweenSong()->channel();
    ASSERT_TRUE(inbetween.isAlive());
    inbetween.loopCount(&loops);
    EXPECT_EQ(loops, 0);
    EXPECT_FALSE(rig->logic.flightSong()->channel().isAlive());

    const double inbetweenTime = runUntil([&] { return !inbetween.isAlive(); }, 60.0);
    EXPECT_NEAR(inbetweenTime, inbetweenLength, 0.25);
    const Voice flight = rig->logic.flightSong()->channel();
    ASSERT_TRUE(flight.isAlive());
    flight.loopCount(&loops);
    EXPECT_EQ(loops, -1);
    run(soundLength("res/sounds/flight.wav") + 1.0);
    EXPECT_TRUE(flight.isAlive());
}

} // namespace
