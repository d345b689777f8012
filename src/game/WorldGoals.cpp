// The goals in the World: each frame, after the throw's records, the goals the rules reached
// are kept, traced, toasted and heard; at the end of a throw the totals grow and the game-over
// screen names the open goals that came closest.

#include "game/World.h"

#include "audio/SoundEffect.h"
#include "audio/SoundSystem.h"
#include "core/Clock.h"
#include "core/Trace.h"
#include "game/GameLogic.h"
#include "game/GoalStore.h"
#include "game/GoalTracker.h"
#include "game/GoalView.h"
#include "game/RecordTable.h"

#include <ctime>

namespace {

constexpr const char* GOAL_SOUND = "res/sounds/goal.wav";

} // namespace

void World::buildGoals()
{
    goalView = std::make_unique<GoalView>();
    goalView->build(hudProgram);
    goalSound = SoundSystem::instance()->createSoundEffect(GOAL_SOUND, 0);
}

const GoalBook& World::goalBook() const
{
    return goalStore->book();
}

void World::followGoals()
{
    const GoalFrame frame = goalTracker->update(*gameLogic, goalStore->book(), throwBeatGhost);
    throwBeatGhost = false;
    if (!frame.reached.empty()) {
        const std::string when = RecordTable::localTimeText(std::time(nullptr));
        for (const Goal* goal : frame.reached) {
            goalStore->reach(goal->id, when);
            traceEvent("goal", goal->id);
            goalView->showToast(*goal);
        }
    }
    if (frame.throwEnded) {
        goalStore->addThrow(frame.metres, frame.throwBests);
        goalView->showClosest(goalTracker->closest(goalStore->book()));
    } else if (!frame.reached.empty()) {
        goalStore->save();
    }
    if (gameLogic->state() != GameLogic::STATE_GAME_OVER)
        goalView->showClosest({});
    // Each toast comes with its sound, so two goals at once are two toasts and two chimes.
    if (goalView->update(clockNow()) && goalSound)
        goalSound->play();
}
