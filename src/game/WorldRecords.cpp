// The records and the ghost of the best throw in the World: every flight is recorded as it
// is flown, entered in the records when it ends, and the best one's ghost flies along in the
// flights after it.

#include "game/World.h"

#include "core/Trace.h"
#include "game/GameLogic.h"
#include "game/Ghost.h"
#include "game/GhostPath.h"
#include "game/GoalStore.h"
#include "game/RecordStore.h"
#include "model/BoneObject.h"
#include "render/MovableCamera.h"
#include "render/Text2D.h"

#include <cstdio>
#include <ctime>

namespace {

// HUD units. Between the result (0.2, 0.1 high) and the retry line (0, 0.08 high), with an
// even gap to each.
const glm::vec3 standingPosition(0.0f, 0.095f, 0.0f);
constexpr float standingHeight = 0.075f;
// A Text2D stretches any text over its box, so the box grows with the text: every letter of
// the line keeps the shape of the result's letters, whichever line it is.
constexpr float standingLetterWidth = 0.042f;

} // namespace

void World::buildStandingLine()
{
    standingLine = std::make_unique<Text2D>();
    standingLine->setText("Best: 0.00 m");
    standingLine->setShader(hudProgram);
    standingLine->setPosition(standingPosition);
    standingLine->setScale(glm::vec3(standingLetterWidth * 12.0f, standingHeight, 0.0f));
    standingLine->setAlignment(Text2D::ALIGN_CENTER);
    standingLine->setVisible(false);
}

void World::openRecords(const std::string& directory)
{
    records->open(directory);
    goalStore->open(directory);
}

void World::setGhostVisible(bool visible)
{
    ghost->setVisible(visible);
}

bool World::isGhostVisible() const
{
    return ghost->isVisible();
}

void World::toggleGhost()
{
    setGhostVisible(!isGhostVisible());
    announceToggle("ghost", "Ghost", isGhostVisible() ? "ON" : "OFF");
}

void World::followThrow(int stateBefore, double gameDt)
{
    const int state = gameLogic->state();
    GhostPose now;
    now.position = grov->position();
    now.rotationAngle = grov->rotationAngle();
    // The clock Grov was just posed at by his update.
    now.animationTime = animationClock;

    if (state == GameLogic::STATE_FLIGHT && stateBefore != GameLogic::STATE_FLIGHT) {
        flightPath->start(now);
        ghost->launch(records->ghost());
    } else if (stateBefore == GameLogic::STATE_FLIGHT) {
        flightPath->record(gameDt, now);
        ghost->advance(gameDt);
        if (state == GameLogic::STATE_GAME_OVER) {
            flightPath->finish();
            ghost->land();
            endThrow();
        }
    }
    if (standingLine)
        standingLine->setVisible(state == GameLogic::STATE_GAME_OVER && !standingLine->text().empty());
}

void World::endThrow()
{
    ThrowRecord record;
    record.metres = gameLogic->distance();
    record.when = RecordTable::localTimeText(std::time(nullptr));
    // The ghost of the best before this throw flew with it: beating it is a goal.
    const bool ghostFlew = !records->ghost().empty() && ghost->isVisible();
    const int place = records->addThrow(record, *flightPath);
    throwBeatGhost = place == 1 && ghostFlew;
    const std::string text = standingText(place, records->table());

    char line[64];
    std::snprintf(line, sizeof line, "%d %.2f", place, RecordTable::rounded(record.metres));
    traceEvent("record", line);
    traceEvent("best", text);
    if (!standingLine)
        return;
    standingLine->setText(text);
    standingLine->setScale(glm::vec3(standingLetterWidth * float(text.size()), standingHeight, 0.0f));
}

void World::drawGhost(const glm::mat4& projectionMatrix, MovableCamera* camera)
{
    if (!character)
        return;
    ghost->draw(*character, [&](SceneObject& object) { drawObject(&object, projectionMatrix, camera); });
}
