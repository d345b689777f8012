// The tanks' traffic: driving segment by segment over the real terrain, retiring, fading and
// relocation ahead of Grov, and which tanks can be hit.

#include "GameLogicRig.h"
#include "GlTestContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double FLIGHT_STEP = 2.0 * GameLogicRig::FRAME;

class TankTrafficGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        std::srand(8);
        rig = std::make_unique<GameLogicRig>();
        ASSERT_TRUE(rig->directory.ok) << GROV_GAME_DIR;
        rig->wire();
    }

    // The ground a tank stands on: the highest point across its width, 5 ahead.
    float groundUnder(const SceneObject& tank) const
    {
        const glm::vec3 p = tank.position();
        return rig->terrain.maxHeightInArea(p.x, p.z, glm::vec3(tank.boundsMin().x, 0, 5),
                                            glm::vec3(tank.boundsMax().x, 0, 5));
    }

    std::size_t timesFadingOut(const SceneObject* tank) const
    {
        const auto& list = rig->logic.fadingOutTanks();
        return std::size_t(std::count(list.begin(), list.end(), tank));
    }

    std::unique_ptr<GameLogicRig> rig;
};

TEST_F(TankTrafficGlTest, TankRetiredTwiceIsListedOnce)
{
    SceneObject* tank = rig->tanks[3].get();
    rig->logic.retireTank(tank);
    rig->logic.retireTank(tank);
    EXPECT_EQ(timesFadingOut(tank), 1u);
    EXPECT_EQ(rig->logic.tankMotions().count(tank), 0u);

    // Launch sends the last tank ahead; when it is then also left behind, it stays listed once.
    ASSERT_TRUE(rig->launchAt(-90));
    SceneObject* last = rig->tanks.back().get();
    rig->logic.retireTank(last);
    rig->frame();
    EXPECT_EQ(timesFadingOut(last), 1u);
    EXPECT_EQ(rig->logic.fadingOutTanks().size(), 2u);
}

TEST_F(TankTrafficGlTest, RelocationKeepsAtLeast500AheadOfGrov)
{
    const float grovZ = -1000.0f;
    EXPECT_EQ(GameLogic::withMinimumLead(glm::vec3(7, 0, grovZ - 100), grovZ), glm::vec3(7, 0, grovZ - 500));
    EXPECT_EQ(GameLogic::withMinimumLead(glm::vec3(7, 0, grovZ - 700), grovZ), glm::vec3(7, 0, grovZ - 700));

    // Real relocations around the predicted landing of the launch arc.
    ASSERT_TRUE(rig->launchAt(-270));
    SceneObject* tank = rig->tanks.back().get();
    const glm::vec3 landing = rig->logic.flightPath().predictLanding();
    int relocations = 0;
    for (int round = 0; round < 40; ++round) {
        tank->setTransparency(0.0f);
        for (int i = 0; i < 200 && timesFadingOut(tank) == 1; ++i)
            rig->logic.fadeTanks(0.0);
        ASSERT_EQ(timesFadingOut(tank), 0u);
        ++relocations;
        const glm::vec3 p = tank->position();
        const float grov = rig->grov->position().z;
        EXPECT_LE(p.z, grov - 500.0f);
        EXPECT_GE(p.x, landing.x - 400.0f);
        EXPECT_LE(p.x, landing.x + 398.0f);
        EXPECT_TRUE(p.z == grov - 500.0f || (p.z >= landing.z - 800.0f && p.z <= landing.z - 202.0f)) << p.z;
        rig->logic.retireTank(tank);
    }
    EXPECT_EQ(relocations, 40);
}

TEST_F(TankTrafficGlTest, TankDrivesOneLengthInAbout43Frames)
{
    SceneObject* tank = rig->tanks[1].get();
    const TankMotion first = rig->logic.tankMotions().at(tank);
    const float length = std::fabs(tank->boundsMax().z - tank->boundsMin().z);
    ASSERT_GT(length, 5.0f);
    EXPECT_FLOAT_EQ(first.to.z - first.from.z, length);

    int frames = 0;
    while (rig->logic.tankMotions().at(tank).progress > 0.0f || frames == 0) {
        rig->logic.driveTanks(FLIGHT_STEP);
        ++frames;
        ASSERT_LT(frames, 100);
        EXPECT_FLOAT_EQ(tank->position().x, first.from.x) << "tanks drive straight along +z";
    }
    EXPECT_EQ(frames, 43);
    // The segment ended where it should, and the next one picks up there.
    EXPECT_FLOAT_EQ(tank->position().y, first.to.y);
    EXPECT_FLOAT_EQ(tank->position().z, first.to.z);
    const TankMotion next = rig->logic.tankMotions().at(tank);
    EXPECT_EQ(next.from, first.to);
    EXPECT_FLOAT_EQ(next.pitchFrom, first.pitchTo);
    EXPECT_FLOAT_EQ(next.to.z, first.to.z + length);
}

TEST_F(TankTrafficGlTest, ClimbingTankLiftsItsFront)
{
    SceneObject* tank = rig->tanks[2].get();
    const float half = 0.5f * std::fabs(tank->boundsMax().z - tank->boundsMin().z);
    const glm::vec3 lo(tank->boundsMin().x, 0, 5), hi(tank->boundsMax().x, 0, 5);
    const auto ground = [&](float z) { return rig->terrain.maxHeightInArea(0, z, lo, hi); };
    // Find ground that rises toward +z under the tank.
    float z = 0.0f;
    while (z < 600.0f && !(ground(z + half) > ground(z - half) + 1.0f))
        z += 5.0f;
    ASSERT_LT(z, 600.0f) << "the heightmap has no slope along x = 0";
    tank->setPosition(glm::vec3(0, 0, z));
    const TankMotion motion = rig->logic.initTankMotion(tank);
    EXPECT_LT(motion.pitchFrom, 0.0f);
    rig->logic.applyTankMotion(tank, motion);
    EXPECT_LT(tank->rotationAngle(), 0.0f);
    EXPECT_EQ(tank->rotationAxis(), glm::vec3(1, 0, 0));
    EXPECT_FLOAT_EQ(tank->position().y, groundUnder(*tank));
}

TEST_F(TankTrafficGlTest, HitTankCannotBeHitOnTheNextFrame)
{
    ASSERT_TRUE(rig->launchAt(-180));
    SceneObject* tank = rig->tanks[1].get();
    const auto putGrovOnTank = [&] {
        rig->grov->setPosition(tank->position() + glm::vec3(0, tank->boundsMax().y - 0.5f, 0));
    };
    putGrovOnTank();
    const std::vector<SceneObject*> hits = rig->logic.collidingTanks();
    ASSERT_EQ(hits, std::vector<SceneObject*>{tank});

    rig->frame(0.0); // paused: Grov is not rising, so the hit counts
    ASSERT_EQ(timesFadingOut(tank), 1u);
    const float speed = rig->logic.speed();

    // Still paused, the tank has not begun to fade, yet it is no target any more.
    putGrovOnTank();
    rig->frame(0.0);
    EXPECT_EQ(tank->transparency(), 1.0f);
    EXPECT_EQ(rig->logic.speed(), speed) << "hit again while paused";

    rig->frame();
    EXPECT_LT(tank->transparency(), 1.0f);
    putGrovOnTank();
    EXPECT_TRUE(rig->logic.collidingTanks().empty());
    EXPECT_EQ(timesFadingOut(tank), 1u);
    EXPECT_LE(rig->logic.speed(), speed * 1.01f) << "no second boost";
}

TEST_F(TankTrafficGlTest, RelocatedTankStandsOnTheGroundAndFadesBackIn)
{
    ASSERT_TRUE(rig->launchAt(-270));
    SceneObject* tank = rig->tanks.back().get();
    ASSERT_EQ(timesFadingOut(tank), 1u);

    // One second to fade out; then a 25 percent chance per frame to move.
    int frames = 0;
    while (timesFadingOut(tank) == 1 && frames < 600) {
        rig->logic.fadeTanks(GameLogicRig::FRAME);
        ++frames;
        if (frames < 60) {
            ASSERT_GT(tank->transparency(), 0.0f);
        }
    }
    ASSERT_EQ(timesFadingOut(tank), 0u);
    EXPECT_GE(frames, 60);
    const glm::vec3 p = tank->position();
    EXPECT_FLOAT_EQ(p.y, groundUnder(*tank)) << "not at the candidate's height of 0";
    EXPECT_EQ(rig->logic.tankMotions().count(tank), 1u);
    EXPECT_EQ(rig->logic.fadingInTanks().size(), 1u);

    // Half a second back to opaque (the frame that moved it counts), driving all the while,
    // and only then hittable.
    for (int i = 0; i < 28; ++i)
        rig->logic.fadeTanks(GameLogicRig::FRAME);
    EXPECT_LT(tank->transparency(), 1.0f);
    rig->grov->setPosition(p + glm::vec3(0, 1, 0));
    EXPECT_TRUE(rig->logic.collidingTanks().empty());
    rig->logic.fadeTanks(GameLogicRig::FRAME);
    rig->logic.fadeTanks(GameLogicRig::FRAME);
    EXPECT_EQ(tank->transparency(), 1.0f);
    EXPECT_TRUE(rig->logic.fadingInTanks().empty());
    EXPECT_EQ(rig->logic.collidingTanks(), std::vector<SceneObject*>{tank});
}

} // namespace
