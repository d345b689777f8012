// The tank traffic, part of GameLogic: every tank crawls over the terrain toward the player
// (+z), one tank length per segment, pitching with the slope. A tank Grov has hit, or one left
// far behind, fades out; once invisible it reappears at a random spot ahead of Grov around the
// point where his current arc should land, fades in and drives on. Only fully opaque tanks can
// be hit.

#include "game/GameLogic.h"

#include "render/SceneObject.h"
#include "render/Terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr float DRIVING_RATE = 0.7f;  // segments per second of flight time
constexpr double FADE_OUT_TIME = 1.0; // seconds of game time
constexpr double FADE_IN_TIME = 0.5;  // seconds of game time
constexpr int RELOCATION_CHANCE = 25; // percent per frame for each fully faded tank
constexpr int RELOCATION_TRIES = 10;
constexpr int LATERAL_SPREAD = 400; // rand() range; (r - 200) x 2 gives -400 to 398
constexpr int LATERAL_OFFSET = 200;
constexpr int FORWARD_SPREAD = 300; // rand() range; (r - 400) x 2 gives -800 to -202
constexpr int FORWARD_OFFSET = 400;
constexpr int SPREAD_STEP = 2;         // world units
constexpr float MINIMUM_LEAD = 500.0f; // world units ahead of Grov (toward -z)
constexpr float SPACING = 30.0f;       // world units in both x and z
constexpr float SAMPLE_AHEAD = 5.0f;   // world units: the ground line sampled under a tank
constexpr double DEGREES_PER_RADIAN = 180.0 / 3.141592653589793;

struct TankSize {
    glm::vec3 half;
    float length; // also the length of one driving segment
};

TankSize sizeOf(const SceneObject* tank)
{
    const glm::vec3 extent = glm::abs(tank->boundsMax() - tank->boundsMin());
    return {extent * 0.5f, extent.z};
}

// The pitch of ground rising by rise over one tank length toward +z; climbing gives a
// negative pitch, which lifts the front. A tank without a box stays level.
float pitchOf(float rise, float length)
{
    if (!(length > 0.0f))
        return 0.0f;
    return std::atan(rise / -length);
}

} // namespace

float GameLogic::groundUnderTank(const SceneObject* tank, float x, float z) const
{
    const glm::vec3 lo(tank->boundsMin().x, 0.0f, SAMPLE_AHEAD);
    const glm::vec3 hi(tank->boundsMax().x, 0.0f, SAMPLE_AHEAD);
    return terrain->maxHeightInArea(x, z, lo, hi);
}

TankMotion GameLogic::initTankMotion(SceneObject* tank) const
{
    const glm::vec3 p = tank->position();
    const TankSize size = sizeOf(tank);
    const float yA = groundUnderTank(tank, p.x, p.z - size.half.z);
    const float yB = groundUnderTank(tank, p.x, p.z + size.half.z);
    const float yC = groundUnderTank(tank, p.x, p.z);
    const float yD = groundUnderTank(tank, p.x, p.z + size.length + size.half.z);

    TankMotion motion;
    motion.pitchFrom = pitchOf(yB - yA, size.length);
    motion.pitchTo = pitchOf(yD - yC, size.length);
    motion.from = glm::vec3(p.x, yC, p.z);
    motion.to = glm::vec3(p.x, yB, p.z + size.length);
    motion.progress = 0.0f;
    return motion;
}

void GameLogic::applyTankMotion(SceneObject* tank, const TankMotion& motion) const
{
    const float p = motion.progress;
    tank->setRotationAxis(glm::vec3(1.0f, 0.0f, 0.0f));
    tank->setRotationAngle(float(((1.0f - p) * motion.pitchFrom + p * motion.pitchTo) * DEGREES_PER_RADIAN));
    tank->setPosition(motion.from * (1.0f - p) + motion.to * p);
}

void GameLogic::driveTanks(double step)
{
    for (auto& [tank, motion] : motions) {
        motion.progress = std::min(motion.progress + float(DRIVING_RATE * step), 1.0f);
        applyTankMotion(tank, motion);
        if (motion.progress != 1.0f)
            continue;

        // The next segment starts where this one ended, one tank length further on.
        const TankSize size = sizeOf(tank);
        const glm::vec3 end = motion.to;
        const float y1 = groundUnderTank(tank, end.x, end.z + size.half.z);
        const float y2 = groundUnderTank(tank, end.x, end.z + size.length + size.half.z);
        motion.pitchFrom = motion.pitchTo;
        motion.pitchTo = pitchOf(y2 - end.y, size.length);
        motion.from = end;
        motion.to = glm::vec3(end.x, y1, end.z + size.length);
        motion.progress = 0.0f;
    }
}

bool GameLogic::isFadingOut(const SceneObject* tank) const
{
    return std::find(fadingOut.begin(), fadingOut.end(), tank) != fadingOut.end();
}

void GameLogic::retireTank(SceneObject* tank)
{
    if (isFadingOut(tank))
        return;
    fadingOut.push_back(tank);
    motions.erase(tank);
}

glm::vec3 GameLogic::withMinimumLead(glm::vec3 candidate, float grovZ)
{
    if (grovZ - candidate.z < MINIMUM_LEAD)
        candidate.z = grovZ - MINIMUM_LEAD;
    return candidate;
}

void GameLogic::relocateTank(SceneObject* tank, const glm::vec3& landing, const glm::vec3& grovPos)
{
    glm::vec3 candidate = landing;
    for (int attempt = 0; attempt < RELOCATION_TRIES; ++attempt) {
        // Two statements, so the lateral value is always drawn first.
        const int lateral = (std::rand() % LATERAL_SPREAD - LATERAL_OFFSET) * SPREAD_STEP;
        const int forward = (std::rand() % FORWARD_SPREAD - FORWARD_OFFSET) * SPREAD_STEP;
        candidate = withMinimumLead(landing + glm::vec3(float(lateral), 0.0f, float(forward)), grovPos.z);
        const bool crowded = std::any_of(tanks.begin(), tanks.end(), [&](const SceneObject* other) {
            return other != tank && std::fabs(other->position().x - candidate.x) < SPACING
                && std::fabs(other->position().z - candidate.z) < SPACING;
        });
        // After the last try the spot is taken anyway.
        if (!crowded)
            break;
    }

    tank->setPosition(candidate);
    const TankMotion motion = initTankMotion(tank);
    applyTankMotion(tank, motion);
    motions[tank] = motion;
}

void GameLogic::fadeTanks(double gameDt)
{
    const glm::vec3 landing = path.predictLanding();
    const glm::vec3 grovPos = grov->position();

    for (auto it = fadingOut.begin(); it != fadingOut.end();) {
        SceneObject* tank = *it;
        const float t = std::max(float(tank->transparency() - gameDt / FADE_OUT_TIME), 0.0f);
        tank->setTransparency(t);
        if (t == 0.0f && std::rand() % 100 < RELOCATION_CHANCE) {
            relocateTank(tank, landing, grovPos);
            fadingIn.push_back(tank);
            it = fadingOut.erase(it);
        } else {
            ++it;
        }
    }

    for (auto it = fadingIn.begin(); it != fadingIn.end();) {
        SceneObject* tank = *it;
        const float t = std::min(float(tank->transparency() + gameDt / FADE_IN_TIME), 1.0f);
        tank->setTransparency(t);
        it = t == 1.0f ? fadingIn.erase(it) : std::next(it);
    }
}

std::vector<SceneObject*> GameLogic::collidingTanks() const
{
    const glm::vec3 gMin = grov->position() + grov->boundsMin();
    const glm::vec3 gMax = grov->position() + grov->boundsMax();
    std::vector<SceneObject*> hits;
    for (SceneObject* tank : tanks) {
        // A retired tank is no target even before it starts to fade, as on a paused frame.
        if (tank->transparency() != 1.0f || isFadingOut(tank))
            continue;
        const glm::vec3 tMin = tank->position() + tank->boundsMin();
        const glm::vec3 tMax = tank->position() + tank->boundsMax();
        // Touching boxes count.
        if (tMax.x >= gMin.x && gMax.x >= tMin.x && tMax.y >= gMin.y && gMax.y >= tMin.y && tMax.z >= gMin.z
            && gMax.z >= tMin.z)
            hits.push_back(tank);
    }
    return hits;
}

void GameLogic::initTankTraffic()
{
    homes.clear();
    for (SceneObject* tank : tanks)
        homes[tank] = tank->position();
}

void GameLogic::resetTankTraffic()
{
    fadingIn.clear();
    fadingOut.clear();
    motions.clear();
    for (SceneObject* tank : tanks) {
        tank->setTransparency(1.0f);
        tank->setPosition(homes[tank]);
        const TankMotion motion = initTankMotion(tank);
        applyTankMotion(tank, motion);
        motions[tank] = motion;
    }
}
