#include "ThrowScript.h"

#include "game/GameLogic.h"

ThrowScript::Action ThrowScript::afterFrame(int state)
{
    ++frames;
    framesInState = state == lastState ? framesInState + 1 : 1;
    lastState = state;

    Action action;
    switch (state) {
    case GameLogic::STATE_AIMING:
        if (!spacePressedToThrow && framesInState >= plan.aimingFrames) {
            action.setArrow = true;
            action.pressSpace = true;
            spacePressedToThrow = true;
        } else if (spacePressedToReset && framesInState >= plan.retryFrames) {
            action.done = true;
        }
        break;
    case GameLogic::STATE_FLIGHT:
        // One dive per run; the game itself refuses it when there is too little rage.
        if (!spacePressedToDive && framesInState >= plan.diveAfter) {
            action.pressSpace = true;
            spacePressedToDive = true;
        }
        break;
    case GameLogic::STATE_GAME_OVER:
        if (!spacePressedToReset && framesInState >= plan.gameOverFrames) {
            action.pressSpace = true;
            spacePressedToReset = true;
        }
        break;
    default:
        break;
    }
    if (frames >= plan.maxFrames) {
        action = Action();
        action.done = true;
    }
    return action;
}
