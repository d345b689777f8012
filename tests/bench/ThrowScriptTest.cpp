#include "ThrowScript.h"

#include "game/GameLogic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Plays the script against a game that switches state the way the rules do on SPACE, with a
// wind-up and a flight of fixed lengths; returns one letter per frame: '.' nothing, 'A' arrow
// set and SPACE, 'S' SPACE, 'E' done.
std::string play(ThrowScript& script, int windUpFrames, int flightFrames)
{
    std::string log;
    int state = GameLogic::STATE_AIMING;
    int inState = 0;
    for (int frame = 0; frame < 5000; ++frame) {
        ++inState;
        if (state == GameLogic::STATE_WIND_UP && inState > windUpFrames) {
            state = GameLogic::STATE_FLIGHT;
            inState = 1;
        } else if (state == GameLogic::STATE_FLIGHT && inState > flightFrames) {
            state = GameLogic::STATE_GAME_OVER;
            inState = 1;
        }
        ThrowScript::Action action = script.afterFrame(state);
        if (action.done) {
            log += 'E';
            break;
        }
        log += action.setArrow ? 'A' : action.pressSpace ? 'S' : '.';
        // A dive changes nothing here: the flight goes on.
        if (action.pressSpace && state == GameLogic::STATE_AIMING) {
            state = GameLogic::STATE_WIND_UP;
            inState = 0;
        } else if (action.pressSpace && state == GameLogic::STATE_GAME_OVER) {
            state = GameLogic::STATE_AIMING;
            inState = 0;
        }
    }
    return log;
}

TEST(ThrowScriptTest, OneThrowFromAimingToTheRetry)
{
    ThrowScript::Plan plan;
    plan.aimingFrames = 3;
    plan.diveAfter = 4;
    plan.gameOverFrames = 5;
    plan.retryFrames = 2;
    ThrowScript script(plan);
    // Aiming 3, wind-up 2, flight 10 with the dive on its 4th frame, game over 5, retry 2.
    std::string log = play(script, 2, 10);
    EXPECT_EQ(log,
              "..A"
              ".."
              "...S......"
              "....S"
              ".E");
}

TEST(ThrowScriptTest, AShortFlightGetsNoDiveAndTheFrameLimitEndsAnyRun)
{
    ThrowScript::Plan plan;
    plan.aimingFrames = 1;
    plan.diveAfter = 50;
    plan.gameOverFrames = 1;
    plan.retryFrames = 1;
    ThrowScript shortFlight(plan);
    EXPECT_EQ(play(shortFlight, 1, 10),
              "A."
              ".........."
              "S"
              "E")
        << "the only SPACE after the throw resets";

    plan.maxFrames = 7;
    ThrowScript limited(plan);
    EXPECT_EQ(play(limited, 100, 100), "A.....E");
}

} // namespace
