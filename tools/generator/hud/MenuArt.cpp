// The in-game menu's images: the card its rows sit on, the bar behind the chosen row, and the
// shade that dims the scene behind it all.
//
// The game stretches all three. The card goes to panels from square to about 1.6 times as
// wide as tall, the bar to a whole row (up to about twenty times as wide as tall) and the
// shade over the whole window, so none of them carries text or fine detail that would show
// the stretch: the card's middle, where the rows are written in cream and white, is a plain
// dark field, and the bar's shading runs only from top to bottom.

#include "hud/HudArt.h"
#include "hud/HudStyle.h"

namespace hud {

namespace {

// Card: margin all round for the outline and the shadow, a little more below where the
// shadow falls.
constexpr int PANEL_SIZE = 512; // pixels
constexpr float PANEL_LEFT = 22.0f;
constexpr float PANEL_RIGHT = 490.0f;
constexpr float PANEL_TOP = 22.0f;
constexpr float PANEL_BOTTOM = 486.0f;
constexpr float PANEL_ROUNDING = 40.0f;
constexpr float PANEL_OUTLINE = 10.0f;
const glm::vec2 PANEL_SHADOW_OFFSET(0.0f, 6.0f);
// The card lies on its own shadow, which brings it to about 0.92: see-through enough to keep
// the scene in view, opaque enough for the rows to read over a bright sky and at night.
constexpr float PANEL_FILL_ALPHA = 0.88f;

// Bar: a pill filling the image's height but for a two-pixel clear margin.
constexpr int BAR_WIDTH = 512; // pixels
constexpr int BAR_HEIGHT = 64;
constexpr float BAR_MARGIN = 2.0f;
constexpr float BAR_OUTLINE = 4.0f;
constexpr float BAR_FILL_ALPHA = 0.85f;

constexpr int SHADE_SIZE = 256; // pixels
constexpr float SHADE_ALPHA = 0.55f;

Shape panelBody()
{
    const glm::vec2 centre((PANEL_LEFT + PANEL_RIGHT) / 2.0f, (PANEL_TOP + PANEL_BOTTOM) / 2.0f);
    const glm::vec2 halfSize((PANEL_RIGHT - PANEL_LEFT) / 2.0f, (PANEL_BOTTOM - PANEL_TOP) / 2.0f);
    return roundedBox(centre, halfSize, PANEL_ROUNDING);
}

// An ink frame around a see-through fill. The frame reaches a pixel under the fill so that
// their anti-aliased edges meet without a gap, and nothing else lies under the fill.
void drawInkFrame(Canvas& canvas, const Shape& body, float outline)
{
    canvas.paint(cutAway(grown(body, outline), grown(body, -1.0f)), INK);
}

} // namespace

Canvas paintMenuPanel()
{
    Canvas canvas(PANEL_SIZE, PANEL_SIZE);
    const Shape body = panelBody();
    drawShadow(canvas, body, PANEL_OUTLINE, PANEL_SHADOW_OFFSET);
    drawInkFrame(canvas, body, PANEL_OUTLINE);
    // Lit from the upper left like the wheel's face, so evenly that the middle stays plain.
    const glm::vec2 lightFrom(PANEL_LEFT + 40.0f, PANEL_TOP + 20.0f);
    canvas.paint(body,
                 radial(lightFrom, 420.0f, withAlpha(mix(FACE, FACE_LIGHT, 0.7f), PANEL_FILL_ALPHA),
                        withAlpha(FACE, PANEL_FILL_ALPHA)));
    // A light line along the middle of the frame, as on the rage gauge and the wheel.
    canvas.paint(cutAway(grown(body, PANEL_OUTLINE * 0.62f), grown(body, PANEL_OUTLINE * 0.35f)), RIM);
    // A faint sheen under the top edge, towards the left, clear of the rows.
    drawHighlight(canvas, grown(body, -6.0f),
                  roundedBox(glm::vec2(PANEL_LEFT + 150.0f, PANEL_TOP + 14.0f), glm::vec2(130.0f, 6.0f), 6.0f), 0.16f);
    return canvas;
}

Canvas paintMenuHighlight()
{
    Canvas canvas(BAR_WIDTH, BAR_HEIGHT);
    const float radius = BAR_HEIGHT / 2.0f - BAR_MARGIN - BAR_OUTLINE;
    const float middle = BAR_HEIGHT / 2.0f;
    const float reach = BAR_MARGIN + BAR_OUTLINE + radius;
    const Shape bar = capsule(glm::vec2(reach, middle), glm::vec2(BAR_WIDTH - reach, middle), radius);
    drawInkFrame(canvas, bar, BAR_OUTLINE);
    // Yellow-orange at the top to a deep orange at the bottom: the wheel's warm end, dark
    // enough below for the white row text to stand out.
    const float top = middle - radius;
    const float bottom = middle + radius;
    canvas.paint(bar,
                 linear(glm::vec2(0.0f, top), withAlpha(mix(YELLOW, ORANGE, 0.35f), BAR_FILL_ALPHA),
                        glm::vec2(0.0f, bottom), withAlpha(mix(ORANGE, RED, 0.35f), BAR_FILL_ALPHA)));
    // A sheen along the upper edge, which stretches with the bar without changing.
    drawHighlight(canvas, grown(bar, -2.0f),
                  roundedBox(glm::vec2(BAR_WIDTH / 2.0f, top + 6.0f), glm::vec2(BAR_WIDTH / 2.0f - reach, 2.0f), 2.0f),
                  0.35f);
    return canvas;
}

Canvas paintMenuShade()
{
    Canvas canvas(SHADE_SIZE, SHADE_SIZE);
    // Every texel the same, edge to edge: stretched over the window, any border would show
    // as a frame round the screen.
    canvas.paint([](glm::vec2) { return -1.0e6f; }, withAlpha(INK, SHADE_ALPHA));
    return canvas;
}

} // namespace hud
