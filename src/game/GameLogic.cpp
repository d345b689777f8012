#include "game/GameLogic.h"

#include "audio/Song.h"
#include "audio/SoundEffect.h"
#include "audio/SoundSystem.h"
#include "core/Clock.h"
#include "core/Controls.h"
#include "core/Input.h"
#include "core/Trace.h"
#include "render/MovableCamera.h"
#include "render/Terrain.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

// World units; y is up and the throw goes toward -z.
const glm::vec3 LAUNCH_START(0.0f, 10.0f, 0.0f);   // its z is where the distance is measured from
const glm::vec3 CAMERA_OFFSET(0.0f, 20.0f, 19.0f); // flight camera eye relative to Grov
const glm::vec3 LOOK_VECTOR(0.0f, -15.0f, -30.0f); // fixed flight look (the look action), also a point
// Flight plane to world: the arc's horizontal axis is -z, its height +y, and it never moves
// Grov along x (steering does that).
const glm::mat3 LAUNCH_FRAME(glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(0.0f, 0.0f, 0.0f));
const glm::vec3 DIVE_VECTOR(0.0f, -300.0f, -80.0f); // world units per second
const glm::vec3 WIND_UP_BACK_OFF(0.0f, -3.0f, 30.0f);
const glm::vec3 ORBIT_EYE(0.0f, 15.0f, 18.0f);  // game-over camera, relative to Grov
const glm::vec3 ORBIT_TARGET(0.0f, 5.0f, 0.0f); // looked at, relative to Grov

constexpr float LAUNCH_ANGLE = 40.0f;      // degrees, first arc and after every tank hit
constexpr float GRAVITY = 9.81f;           // world units per second squared
constexpr float MIN_SPEED = 30.0f;         // world units per second, weakest launch
constexpr float MAX_SPEED = 80.0f;         // world units per second, strongest launch
constexpr float ARROW_SPIN = 720.0f;       // degrees per second, clockwise
constexpr float WIND_UP_HOLD = 0.3f;       // seconds: keyframes recorded, nothing moves
constexpr float WIND_UP_BACK = 1.0f;       // seconds: end of the backing away
constexpr float WIND_UP_END = 1.25f;       // seconds: end of the swoop, launch
constexpr float FLIGHT_TIME_FACTOR = 2.0f; // the flight runs at twice game speed
constexpr float STEER_SPEED = 30.0f;       // world units per second of flight time
constexpr float METRES_PER_UNIT = 0.7f;
constexpr float LAUNCH_RAGE = 0.6f; // rage at full launch power
constexpr float RAGE_DRAIN = 0.01f; // per second of flight time
constexpr float TANK_HIT_RAGE = 0.35f;
constexpr float TANK_HIT_BOOST = 1.35f;        // speed factor of a tank hit
constexpr float DIVE_COST = 0.25f;             // rage
constexpr float DIVE_WEIGHT = 0.25f;           // share of the dive in a diving frame's step
constexpr float BOUNCE_LOSS = 0.35f;           // share of the speed lost at every bounce
constexpr float GAME_OVER_SPEED = 5.0f;        // world units per second: at most this ends it
constexpr float WARNING_HEIGHT = 50.0f;        // world units
constexpr double ORBIT_SPEED = 10.0;           // degrees per second
constexpr double RETIRE_BEHIND_CAMERA = 200.0; // world units toward +z

constexpr const char* GRUNT_SOUND = "res/sounds/grunt.wav";
constexpr const char* FLIGHT_SONG = "res/sounds/flight.wav";
constexpr const char* INBETWEEN_SONG = "res/sounds/inbetween.wav";
constexpr const char* DONK_SOUND = "res/sounds/donk.wav";
constexpr const char* BOUNCE_SOUNDS[] = {"res/sounds/ah.wav", "res/sounds/mm.wav", "res/sounds/uff.wav",
                                         "res/sounds/uuh.wav"};
constexpr const char* TANK_HIT_SOUNDS[] = {"res/sounds/haha.wav", "res/sounds/haha2.wav"};
constexpr const char* INTRO_SONG = "res/sounds/intro.wav";

constexpr int LOOP_FOREVER = -1;
constexpr int PLAY_ONCE = 0;

// One piece of the music chain and how often it plays before the next takes over.
struct MusicPiece {
    Song* song;
    int loops;
};
constexpr std::size_t MUSIC_PIECES = 3;
using MusicChain = std::array<MusicPiece, MUSIC_PIECES>;

void playMusicFrom(const MusicChain& chain, std::size_t index);

// The first piece from index on whose song has a sound, or the chain's size when none has.
std::size_t nextWithSound(const MusicChain& chain, std::size_t index)
{
    while (index < chain.size() && !(chain[index].song && chain[index].song->sound()))
        ++index;
    return index;
}

// Queues the next piece from index on that has a sound to follow previous without a gap; when
// previous ends and that piece takes over, the piece after it is queued in turn. A piece that
// cannot be queued (another format) starts from previous's end callback instead.
void queueMusicAfter(const MusicChain& chain, std::size_t index, Voice previous)
{
    index = nextWithSound(chain, index);
    if (index == chain.size())
        return;
    Voice next = chain[index].song->playAfter(previous, chain[index].loops);
    if (next.isNull())
        previous.setEndCallback([chain, index](Voice) { playMusicFrom(chain, index); });
    else
        previous.setEndCallback([chain, index, next](Voice) { queueMusicAfter(chain, index + 1, next); });
}

// Plays the chain from piece index on: the first piece that has a sound starts, and the next
// follows when it ends by itself. A piece whose file could not be loaded is passed over, so
// one damaged song does not silence the rest of the music.
void playMusicFrom(const MusicChain& chain, std::size_t index)
{
    for (index = nextWithSound(chain, index); index < chain.size(); index = nextWithSound(chain, index + 1)) {
        Voice voice = chain[index].song->play(false, chain[index].loops);
        if (!voice.isNull()) {
            queueMusicAfter(chain, index + 1, voice);
            return;
        }
    }
}

std::string formatted(const char* format, float value)
{
    char buffer[100];
    std::snprintf(buffer, sizeof buffer, format, double(value));
    return buffer;
}

} // namespace

void GameLogic::setCamera(MovableCamera* camera)
{
    this->camera = camera;
    saved.lookAt(camera->eye(), camera->center(), camera->up());
}

void GameLogic::setGrov(SceneObject* grov)
{
    this->grov = grov;
    grovStart = grov->position();
}

void GameLogic::init()
{
    initTankTraffic();
    loadSounds();
    startMusic();
    reset();
}

void GameLogic::loadSounds()
{
    SoundSystem* sound = SoundSystem::instance();
    grunt = sound->createSoundEffect(GRUNT_SOUND, 0);
    flightMusic = sound->createSong(FLIGHT_SONG, 0);
    inbetween = sound->createSong(INBETWEEN_SONG, 0);
    donk = sound->createSoundEffect(DONK_SOUND, 0);
    bounceSounds.clear();
    for (const char* path : BOUNCE_SOUNDS)
        bounceSounds.push_back(sound->createSoundEffect(path, 0));
    tankHitSounds.clear();
    for (const char* path : TANK_HIT_SOUNDS)
        tankHitSounds.push_back(sound->createSoundEffect(path, 0));
    intro = sound->createSong(INTRO_SONG, 0);
}

void GameLogic::startMusic()
{
    // The intro loops until the first throw, then ends its pass; "inbetween" follows once and
    // hands over to "flight", which loops for the rest of the run. The callbacks hold only the
    // songs, which the sound system keeps alive until it is destroyed.
    playMusicFrom(
        {MusicPiece{intro, LOOP_FOREVER}, MusicPiece{inbetween, PLAY_ONCE}, MusicPiece{flightMusic, LOOP_FOREVER}}, 0);
}

void GameLogic::switchState(int state)
{
    currentState = state;
    std::cout << "GameLogic -- Switched to state " << state << std::endl;
    traceEvent("state", std::to_string(state));
}

void GameLogic::playRandom(const std::vector<SoundEffect*>& effects)
{
    if (effects.empty())
        return;
    effects[std::size_t(std::rand()) % effects.size()]->play();
}

void GameLogic::update(double gameDt)
{
    if (controls().pressed(ACTION_THROW))
        onThrow();
    switch (currentState) {
    case STATE_AIMING:
        updateAiming(gameDt);
        break;
    case STATE_WIND_UP:
        updateWindUp(gameDt);
        break;
    case STATE_FLIGHT:
        updateFlight(gameDt);
        break;
    case STATE_GAME_OVER:
        updateGameOver(gameDt);
        break;
    default:
        break;
    }
}

void GameLogic::onThrow()
{
    switch (currentState) {
    case STATE_AIMING:
        // Lets the intro finish the pass it is playing; the music chain takes it from there.
        intro->channel().setLoopCount(PLAY_ONCE);
        grunt->play();
        windUpClock = 0.0f;
        windUpRecorded = false;
        switchState(STATE_WIND_UP);
        break;
    case STATE_FLIGHT:
        startDive();
        break;
    case STATE_GAME_OVER:
        reset();
        break;
    default:
        break;
    }
}

bool GameLogic::wantsMotionBlur() const
{
    return diving || finalWindUp;
}

void GameLogic::updateAiming(double gameDt)
{
    // Stays within (-360, 0]: the arrow only ever turns clockwise.
    arrow = std::fmod(arrow - ARROW_SPIN * float(gameDt), 360.0f);
}

void GameLogic::updateWindUp(double gameDt)
{
    windUpClock += float(gameDt);
    // A slow first frame (0.3 s or more on a struggling machine) must still take this throw's
    // keyframes: stale or unset ones would fly the camera from the origin, under the ground.
    if (windUpClock < WIND_UP_HOLD || !windUpRecorded) {
        windUpEye0 = camera->eye();
        windUpEye1 = windUpEye0 + WIND_UP_BACK_OFF;
        windUpEye2 = grov->position() + CAMERA_OFFSET;
        windUpCenter0 = camera->center();
        windUpCenter1 = LOOK_VECTOR;
        windUpRecorded = true;
    }
    if (windUpClock < WIND_UP_HOLD)
        return;

    // Hidden in every later phase, so that a long first frame that skips a phase cannot
    // leave the wheel hanging over the flight.
    wheelShown = false;

    if (windUpClock < WIND_UP_BACK) {
        const float u = (windUpClock - WIND_UP_HOLD) * (1.0f / (WIND_UP_BACK - WIND_UP_HOLD));
        camera->setEye(windUpEye0 * (1.0f - u) + windUpEye1 * u);
    } else if (windUpClock < WIND_UP_END) {
        finalWindUp = true;
        const float u = (windUpClock - WIND_UP_BACK) / (WIND_UP_END - WIND_UP_BACK);
        camera->setEye(windUpEye1 * (1.0f - u) + windUpEye2 * u);
        camera->setCenter(windUpCenter0 * (1.0f - u) + windUpCenter1 * u);
    } else {
        finalWindUp = false;
        launch();
    }
}

void GameLogic::launch()
{
    // The +1080 keeps fmod's argument positive for every angle the aiming produces. The power
    // f is 1 with the arrow pointing left (-270), 0 pointing right (-90), 0.5 up or down.
    const float a = std::fmod(arrow + 1080.0f - 90.0f, 360.0f);
    const float f = a <= 180.0f ? (180.0f - a) / 180.0f : (a - 180.0f) / 180.0f;
    const float launchSpeed = (MAX_SPEED - MIN_SPEED) * f + MIN_SPEED;
    path = FlightPath(launchSpeed, LAUNCH_ANGLE, LAUNCH_START, LAUNCH_FRAME, GRAVITY);
    traceEvent("launch", formatted("%.2f", launchSpeed));

    rageLevel = f * LAUNCH_RAGE;
    throwTally = ThrowTally();
    throwTally.launchPower = f;
    throwTally.peakRage = rageLevel;
    grov->setPosition(LAUNCH_START);

    camera->setControls(true, false);
    camera->setCenter(LOOK_VECTOR);
    showCursor(false);

    // Sent ahead: it fades out here and comes back near where this arc will land.
    if (!tanks.empty())
        retireTank(tanks.back());
    switchState(STATE_FLIGHT);
}

void GameLogic::updateFlight(double gameDt)
{
    const double t2 = FLIGHT_TIME_FACTOR * gameDt;
    driveTanks(t2);

    glm::vec3 pos = grov->position();
    const glm::vec3 prev = pos;
    path.update(float(t2));
    // A paused frame moves nothing; the arc's rounding must not start a bounce either.
    glm::vec3 step = t2 > 0.0 ? path.getStep() : glm::vec3(0.0f);
    if (diving)
        step = 0.75f * step + DIVE_WEIGHT * (DIVE_VECTOR * float(t2));
    pos += step;

    // Already holds any turn the camera's own mouse look made this frame.
    glm::vec3 look = camera->center() - camera->eye();
    pos.x += STEER_SPEED * controls().steering() * float(t2);
    if (controls().held(ACTION_LOOK))
        look = LOOK_VECTOR;

    // A paused frame moves nothing and tells nothing about the speed: keep the last one.
    if (t2 > 0.0)
        flightSpeed = glm::length(step) / float(t2);

    fadeTanks(gameDt);

    distanceMetres = std::fabs((pos.z - LAUNCH_START.z) * METRES_PER_UNIT);
    traceDistance();

    altitudeWarning = pos.y <= WARNING_HEIGHT && step.y < 0.0f && !diving;

    rageLevel = std::max(rageLevel - RAGE_DRAIN * float(t2), 0.0f);

    const bool ascending = pos.y > prev.y;
    const std::vector<SceneObject*> hits = collidingTanks();
    if (!hits.empty() && !ascending)
        hitTanks(hits, pos);
    else
        testGround(pos, prev, step);

    grov->setPosition(pos);

    const glm::vec3 eye = pos + CAMERA_OFFSET;
    camera->lookAt(eye, eye + look, camera->up());

    for (SceneObject* tank : tanks) {
        if (double(tank->position().z) >= double(eye.z) + RETIRE_BEHIND_CAMERA)
            retireTank(tank);
    }
}

void GameLogic::traceDistance()
{
    if (!traceEnabled())
        return;
    const double now = clockNow();
    const std::string text = formatted("%.2f m", distanceMetres);
    if (text == tracedDistance || now - distanceTracedAt < DISTANCE_TRACE_INTERVAL)
        return;
    tracedDistance = text;
    distanceTracedAt = now;
    traceEvent("distance", text);
}

void GameLogic::hitTanks(const std::vector<SceneObject*>& hits, const glm::vec3& pos)
{
    playRandom(tankHitSounds);
    throwTally.tanksLandedOn += int(hits.size());
    throwTally.divesOntoTanks += diving ? 1 : 0;
    diving = false;
    for (SceneObject* tank : hits)
        retireTank(tank);
    rageLevel = std::min(rageLevel + TANK_HIT_RAGE, 1.0f);
    throwTally.peakRage = std::max(throwTally.peakRage, rageLevel);
    flightSpeed = std::max(std::min(flightSpeed * TANK_HIT_BOOST, MAX_SPEED), MIN_SPEED);
    path = FlightPath(flightSpeed, LAUNCH_ANGLE, pos, LAUNCH_FRAME, GRAVITY);
}

void GameLogic::testGround(glm::vec3& pos, const glm::vec3& prev, const glm::vec3& step)
{
    const float ground = terrain->maxHeightInArea(pos.x, pos.z, grov->boundsMin(), grov->boundsMax());
    if (!(ground >= pos.y && step.y < 0.0f))
        return;

    diving = false;
    flightSpeed = (1.0f - BOUNCE_LOSS) * flightSpeed;
    if (flightSpeed <= GAME_OVER_SPEED) {
        gameOver();
        donk->play();
        return;
    }

    playRandom(bounceSounds);
    ++throwTally.bounces;
    // Leaves the ground at the angle it came down, in the y-z plane; steering is ignored.
    const glm::vec3 d = pos - prev;
    const float angle = glm::degrees(std::asin(std::fabs(d.y) / std::sqrt(d.z * d.z + d.y * d.y)));
    pos.y = ground;
    path = FlightPath(flightSpeed, angle, pos, LAUNCH_FRAME, GRAVITY);
}

void GameLogic::startDive()
{
    if (diving || rageLevel < DIVE_COST)
        return;
    rageLevel = std::max(rageLevel - DIVE_COST, 0.0f);
    diving = true;
    traceEvent("dive", formatted("%.3f", rageLevel));
}

void GameLogic::gameOver()
{
    altitudeWarning = false;
    resultLine = formatted("You've reached %.2f m", distanceMetres);
    traceEvent("result", resultLine);

    camera->setControls(false, false);
    showCursor(true);
    flightSpeed = 0.0f;
    switchState(STATE_GAME_OVER);
}

void GameLogic::updateGameOver(double gameDt)
{
    orbitAngle = std::fmod(orbitAngle + ORBIT_SPEED * gameDt, 360.0);
    const glm::vec3 target = grov->position();
    glm::mat4 orbit = glm::translate(glm::mat4(1.0f), target);
    orbit = glm::rotate(orbit, glm::radians(float(orbitAngle)), glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::vec3 eye(orbit * glm::vec4(ORBIT_EYE, 1.0f));
    camera->lookAt(eye, target + ORBIT_TARGET, glm::vec3(0.0f, 1.0f, 0.0f));
}

void GameLogic::reset()
{
    distanceMetres = 0.0f;
    wheelShown = true;
    arrow = 0.0f;
    resetTankTraffic();
    camera->lookAt(saved.eye(), saved.center(), saved.up());
    grov->setPosition(grovStart);
    switchState(STATE_AIMING);
}
