#pragma once
// The rules of one throw of Grov: aim on the power wheel, the camera's wind-up swing, the
// flight with steering, diving and rage, bounces on the ground and hits on tanks, game over
// and the reset for the next throw. The World wires Grov, the tanks, the terrain and the game
// camera in (it keeps owning them) and calls update every frame; the rules read the throw,
// steering and look actions themselves. Their state (the arrow, rage, the dive, the distance)
// is kept here as plain values, which the HUD shows. The tank traffic (the tanks crawling
// toward the player, fading out and reappearing ahead) lives here too, in TankTraffic.cpp.

#include "game/FlightPath.h"
#include "render/Camera.h"

#include <glm/glm.hpp>

#include <list>
#include <map>
#include <string>
#include <vector>

class MovableCamera;
class SceneObject;
class Song;
class SoundEffect;
class Terrain;

// One driving segment of a tank: one tank length straight along +z, following the ground.
struct TankMotion {
    float pitchFrom = 0.0f; // radians, at the start of the segment
    float pitchTo = 0.0f;   // radians, at its end
    glm::vec3 from{0.0f};   // world position at the start
    glm::vec3 to{0.0f};     // world position at the end
    float progress = 0.0f;  // 0 to 1 along the segment
};

// What one throw has done so far, counted from its launch: what the goals look at.
struct ThrowTally {
    float launchPower = 0.0f; // 0 (arrow right) to 1 (arrow left)
    int bounces = 0;          // on the ground, the last one that ends the throw not counted
    int tanksLandedOn = 0;
    int divesOntoTanks = 0; // tank landings that ended a dive
    float peakRage = 0.0f;  // 0 to 1
};

class GameLogic {
public:
    enum State {
        STATE_AIMING = 0,
        STATE_WIND_UP = 1,
        STATE_FLIGHT = 2,
        STATE_GAME_OVER = 3,
    };

    GameLogic() = default;
    GameLogic(const GameLogic&) = delete;
    GameLogic& operator=(const GameLogic&) = delete;

    // Wiring, once, in this order, before init. Nothing handed in is owned.
    void setCamera(MovableCamera* camera);
    void setGrov(SceneObject* grov);
    void setTerrain(Terrain* terrain) { this->terrain = terrain; }
    void addTank(SceneObject* tank) { tanks.push_back(tank); }
    // Takes the tanks' home positions, loads the sounds, starts the music and enters aiming.
    void init();

    // Once per frame with the game time step (seconds, 0 while paused); a throw pressed this
    // frame comes first.
    void update(double gameDt);
    // The throw action: aiming starts the wind-up, flight dives, game over resets; the wind-up
    // ignores it.
    void onThrow();
    // While diving and during the last phase of the wind-up.
    bool wantsMotionBlur() const;

    // Tank traffic.
    // A fresh segment from the tank's x and z, on the ground.
    TankMotion initTankMotion(SceneObject* tank) const;
    // Places and pitches the tank for the segment's progress.
    void applyTankMotion(SceneObject* tank, const TankMotion& motion) const;
    // Moves every driving tank on by step seconds of the flight's (doubled) time.
    void driveTanks(double step);
    // Fades retired tanks out and relocated ones in, and moves fully faded ones ahead of Grov.
    void fadeTanks(double gameDt);
    // Stops a tank and starts fading it out; a tank already fading out is left alone.
    void retireTank(SceneObject* tank);
    // The fully opaque tanks whose box touches Grov's, in tank-list order.
    std::vector<SceneObject*> collidingTanks() const;

    // What the HUD shows.
    int state() const { return currentState; }
    // Degrees, within (-360, 0]: 0 points up, the arrow turns clockwise toward -360.
    float arrowAngle() const { return arrow; }
    // Stops the arrow where a script wants it, as the player would by timing the throw.
    void setArrowAngle(float degrees) { arrow = degrees; }
    bool isWheelShown() const { return wheelShown; }
    // 0 to 1; shown in flight.
    float rage() const { return rageLevel; }
    bool isDiving() const { return diving; }
    // Metres from the launch, along the throw; shown in flight.
    float distance() const { return distanceMetres; }
    bool isAltitudeWarningShown() const { return altitudeWarning; }
    // "You've reached 123.45 m", once the throw has ended.
    const std::string& result() const { return resultLine; }
    // This throw's counts, from its launch until the next one.
    const ThrowTally& tally() const { return throwTally; }

    float speed() const { return flightSpeed; }
    const FlightPath& flightPath() const { return path; }
    const Camera& savedCamera() const { return saved; }
    const std::vector<SceneObject*>& tankList() const { return tanks; }
    const std::map<SceneObject*, TankMotion>& tankMotions() const { return motions; }
    const std::list<SceneObject*>& fadingOutTanks() const { return fadingOut; }
    const std::list<SceneObject*>& fadingInTanks() const { return fadingIn; }
    const std::map<SceneObject*, glm::vec3>& tankHomes() const { return homes; }
    Song* introSong() const { return intro; }
    Song* inbetweenSong() const { return inbetween; }
    Song* flightSong() const { return flightMusic; }

    // Where relocation puts a tank: the candidate, pushed at least the minimum lead ahead of
    // Grov's z (toward -z).
    static glm::vec3 withMinimumLead(glm::vec3 candidate, float grovZ);

private:
    void switchState(int state);
    void loadSounds();
    void startMusic();
    void reset();

    void updateAiming(double gameDt);
    void updateWindUp(double gameDt);
    void updateFlight(double gameDt);
    void updateGameOver(double gameDt);
    void launch();
    void hitTanks(const std::vector<SceneObject*>& hits, const glm::vec3& pos);
    void testGround(glm::vec3& pos, const glm::vec3& prev, const glm::vec3& step);
    void gameOver();
    void startDive();
    // The distance in the trace, when its text changed and at most four times a second.
    void traceDistance();

    void initTankTraffic();
    void resetTankTraffic();
    bool isFadingOut(const SceneObject* tank) const;
    void relocateTank(SceneObject* tank, const glm::vec3& landing, const glm::vec3& grov);
    // The highest ground across the tank's width, 5 units ahead of (x, z).
    float groundUnderTank(const SceneObject* tank, float x, float z) const;

    static void playRandom(const std::vector<SoundEffect*>& effects);

    static constexpr double DISTANCE_TRACE_INTERVAL = 0.25; // seconds between distance lines

    int currentState = -1; // set by init
    std::string tracedDistance;
    double distanceTracedAt = -1.0e9; // clock seconds of the last distance line
    MovableCamera* camera = nullptr;
    Camera saved; // the camera's pose when attached
    FlightPath path;
    float arrow = 0.0f; // degrees
    bool wheelShown = true;
    float rageLevel = 1.0f; // 0 to 1
    bool diving = false;
    float distanceMetres = 0.0f;
    bool altitudeWarning = false;
    std::string resultLine;
    ThrowTally throwTally;
    float flightSpeed = 0.0f; // world units per second of the last flight frame
    glm::vec3 grovStart{0.0f};
    SceneObject* grov = nullptr;
    Terrain* terrain = nullptr;
    bool finalWindUp = false;
    float windUpClock = 0.0f;    // seconds since SPACE in aiming
    bool windUpRecorded = false; // this throw's keyframes are taken

    // The wind-up's keyframes, recorded during its first 0.3 s and kept from throw to throw.
    glm::vec3 windUpEye0{0.0f};
    glm::vec3 windUpEye1{0.0f};
    glm::vec3 windUpEye2{0.0f};
    glm::vec3 windUpCenter0{0.0f};
    glm::vec3 windUpCenter1{0.0f};
    // Degrees; never reset, so each game over carries on the orbit where the last one stopped.
    double orbitAngle = 0.0;

    std::list<SceneObject*> fadingOut;
    std::list<SceneObject*> fadingIn;
    std::map<SceneObject*, TankMotion> motions;
    std::map<SceneObject*, glm::vec3> homes;
    std::vector<SceneObject*> tanks;

    // Owned by the sound system.
    SoundEffect* grunt = nullptr;
    SoundEffect* donk = nullptr;
    Song* intro = nullptr;
    Song* inbetween = nullptr;
    Song* flightMusic = nullptr;
    std::vector<SoundEffect*> bounceSounds;
    std::vector<SoundEffect*> tankHitSounds;
};
