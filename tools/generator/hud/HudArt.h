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

} // namespace hud
