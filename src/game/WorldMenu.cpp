// The menu in the World: the game standing still beneath it, and the page drawn over the HUD.

#include "game/World.h"

#include "core/Input.h"
#include "game/GameLogic.h"
#include "game/MenuView.h"
#include "game/RecordStore.h"
#include "render/Text2D.h"

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
