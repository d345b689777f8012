#pragma once
// Painters of the HUD images, one canvas each.

#include "hud/Raster.h"
#include "hud/TextMask.h"

namespace hud {

// The power wheel and the arrow that spins over it (512 x 512 each).
Canvas paintWheel(const TextMask& font);
Canvas paintArrow();

// The rage gauge: frame and empty trough, and the fill the game reveals up to the rage value
// (512 x 512 each, drawn on top of each other).
Canvas paintRageBackground(const TextMask& font);
Canvas paintRageFill();

// The low-altitude warning (512 x 512) and the day and night icons (256 x 256).
Canvas paintAltitudeWarning(const TextMask& font);
Canvas paintSun();
Canvas paintMoon();

// The in-game menu, all stretched by the game: the card behind the rows (512 x 512), the bar
// behind the chosen row (512 x 64) and the shade that dims the scene (256 x 256).
Canvas paintMenuPanel();
Canvas paintMenuHighlight();
Canvas paintMenuShade();

} // namespace hud
