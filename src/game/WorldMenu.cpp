// The menu in the World: the game standing still beneath it, and the page drawn over the HUD.

#include "game/World.h"

#include "core/Input.h"
#include "game/GameLogic.h"
#include "game/MenuPage.h"
#include "game/MenuView.h"
#include "game/RecordStore.h"
#include "render/Text2D.h"

#include <algorithm>

namespace {

constexpr float messageAbovePanel = 0.07f; // HUD units from the panel's top to the message's middle
constexpr float messageHighest = 0.955f;   // where the message still fits under the window's top

} // namespace

void World::setMenuOpen(bool open)
{
    menuOpen = open;
    // The cursor is hidden in flight, where the mouse is not used; the menu needs it.
    const bool flying = gameLogic && gameLogic->state() == GameLogic::STATE_FLIGHT;
    showCursor(open || !flying);
}

void World::showOverlay(const MenuPage& page, bool dim)
{
    if (!menuView)
        return;
    menuView->show(page, dim);
    overlayShown = true;
    overlayTop = page.layout.panelTop;
}

void World::drawOverlay(MovableCamera* camera)
{
    menuView->draw([&](SceneObject& part) { drawObject(&part, hudProjectionMatrix, camera); });
    if (!messageText->isVisible())
        return;
    // A toggle's message or a failed save must still be read while the panel covers its line.
    const glm::vec3 home = messageText->position();
    messageText->setPosition({home.x, std::min(overlayTop + messageAbovePanel, messageHighest), home.z});
    drawObject(messageText, hudProjectionMatrix, camera);
    messageText->setPosition(home);
}

void World::hideOverlay()
{
    overlayShown = false;
}

const RecordTable& World::recordTable() const
{
    return records->table();
}

bool World::isFpsTextShown() const
{
    return fpsText && fpsText->isVisible();
}
