// The HUD shows the rules' state: every frame, after the rules have moved, the wheel, the
// arrow, the rage meter, the distance, the warning and the end texts are set from their values.

#include "game/World.h"

#include "game/GameLogic.h"
#include "game/RageMeter.h"
#include "render/Sprite.h"
#include "render/Text2D.h"

#include <cstdio>

void World::showRules()
{
    const GameLogic& rules = *gameLogic;
    const bool flying = rules.state() == GameLogic::STATE_FLIGHT;
    const bool over = rules.state() == GameLogic::STATE_GAME_OVER;

    wheel->setVisible(rules.isWheelShown());
    arrow->setVisible(rules.isWheelShown());
    arrow->setRotationAngle(rules.arrowAngle());

    rageMeter->setVisible(flying);
    rageMeter->setValue(rules.rage());
    distanceText->setVisible(flying);
    if (flying) {
        char metres[64];
        std::snprintf(metres, sizeof metres, "%.2f m", double(rules.distance()));
        distanceText->setText(metres);
    }
    altitudeWarning->setVisible(rules.isAltitudeWarningShown());

    for (Text2D* line : {gameOverText, resultText, retryText})
        line->setVisible(over);
    if (over)
        resultText->setText(rules.result());

    pausedText->setVisible(paused);
}
