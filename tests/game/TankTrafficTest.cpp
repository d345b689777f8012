// The tank traffic on the real terrain: driving, retiring, fading and relocation ahead of Grov.

#include "GameLogicRig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TankTrafficTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::srand(8);
        rig = std::make_unique<GameLogicRig>();
        rig->wire();
    }

    // The ground under a tank: the highest point across its width, 5 ahead.
    float groundUnder(const SceneObject& tank) const
    {
        const glm::vec3 p = tank.position();
        return rig->terrain.maxHeightInArea(p.x, p.z, glm::vec3(tank.boundsMin().x, 0, 5),
                                            glm::vec3(tank.boundsMax().x, 0, 5));
    }

    std::unique_ptr<GameLogicRig> rig;
};

TEST_F(TankTrafficTest, TankDrivesOneLengthInAbout43Frames)
{
    SceneObject* tank = rig->tanks[1].get();
    const TankMotion first = rig->logic.tankMotions().at(tank);
    const float length = std::fabs(tank->boundsMax().z - tank->boundsMin().z);
    int frames = 0;
    do {
        rig->logic.driveTanks(2.0 * GameLogicRig::FRAME);
        ++frames;
    } while (rig->logic.tankMotions().at(tank).progress > 0.0f && frames < 100);
    EXPECT_EQ(frames, 43);
    EXPECT_FLOAT_EQ(tank->position().z, first.from.z + length);
    EXPECT_FLOAT_EQ(tank->position().x, first.from.x);
    EXPECT_EQ(rig->logic.tankMotions().at(tank).from, first.to);
}

// Hit while paused, the tank is opaque until the game runs again, yet it is no target twice.
TEST_F(TankTrafficTest, HitTankIsRetiredOnceAndNotHitAgain)
{
    ASSERT_TRUE(rig->launchAt(-180));
    SceneObject* tank = rig->tanks[1].get();
    rig->putGrovOn(*tank);
    ASSERT_EQ(rig->logic.collidingTanks(), std::vector<SceneObject*>{tank});
    rig->frame(0.0);
    ASSERT_TRUE(rig->isFadingOut(tank));
    const float speed = rig->logic.speed();

    rig->putGrovOn(*tank);
    rig->frame(0.0);
    EXPECT_EQ(rig->logic.speed(), speed) << "hit again while paused";
    rig->frame();
    rig->putGrovOn(*tank);
    EXPECT_LT(tank->transparency(), 1.0f);
    EXPECT_TRUE(rig->logic.collidingTanks().empty());

    rig->logic.retireTank(tank); // hit and then also left behind
    EXPECT_EQ(std::count(rig->logic.fadingOutTanks().begin(), rig->logic.fadingOutTanks().end(), tank), 1);
    EXPECT_EQ(rig->logic.tankMotions().count(tank), 0u);
}

TEST_F(TankTrafficTest, RelocatedTankStandsOnTheGroundAtLeast500Ahead)
{
    const float grovZ = -1000.0f;
    EXPECT_EQ(GameLogic::withMinimumLead(glm::vec3(7, 0, grovZ - 100), grovZ).z, grovZ - 500);
    EXPECT_EQ(GameLogic::withMinimumLead(glm::vec3(7, 0, grovZ - 700), grovZ).z, grovZ - 700);

    ASSERT_TRUE(rig->launchAt(-270)); // sends the last tank ahead
    SceneObject* tank = rig->tanks.back().get();
    const glm::vec3 landing = rig->logic.flightPath().predictLanding();
    int onHills = 0;
    for (int round = 0; round < 20; ++round) {
        // A second to fade out, then a 25 percent chance per frame to move.
        int frames = 0;
        for (; rig->isFadingOut(tank) && frames < 600; ++frames)
            rig->logic.fadeTanks(GameLogicRig::FRAME);
        ASSERT_FALSE(rig->isFadingOut(tank));
        EXPECT_GE(frames, 60);
        const glm::vec3 p = tank->position();
        EXPECT_LE(p.z, rig->grov.position().z - 500.0f);
        EXPECT_LE(std::fabs(p.x - landing.x), 400.0f);
        EXPECT_FLOAT_EQ(p.y, groundUnder(*tank)) << "not at the candidate's height of 0";
        onHills += p.y > 1.0f;
        EXPECT_EQ(rig->logic.tankMotions().count(tank), 1u) << "drives while fading in";

        // Half a second back to opaque, counting the frame that moved it; only then hittable.
        for (int i = 0; i < 28; ++i)
            rig->logic.fadeTanks(GameLogicRig::FRAME);
        rig->putGrovOn(*tank);
        EXPECT_TRUE(rig->logic.collidingTanks().empty());
        rig->logic.fadeTanks(GameLogicRig::FRAME);
        rig->logic.fadeTanks(GameLogicRig::FRAME);
        EXPECT_TRUE(rig->logic.fadingInTanks().empty());
        EXPECT_EQ(rig->logic.collidingTanks(), std::vector<SceneObject*>{tank});
        rig->logic.retireTank(tank);
    }
    EXPECT_GT(onHills, 0) << "every spot was level ground; the height check proved nothing";
}

} // namespace
