// The rage gauge: a long rounded bar. The background image is the frame with an empty dark
// trough and the label; the fill image is the same frame with a pale body, which the gauge's
// shader cuts off at u = rage value and tints red. Both images share every line of the frame,
// so the fill sits exactly in the trough. Dividers at a quarter, a half and three quarters
// mark the rage one dive costs, and since the fill is cut at u = value they are exact.
//
// The gauge is centred near the top right of the HUD, and its top quarter lies above the top
// edge of a landscape window; nothing is drawn there.

#include "hud/HudArt.h"
#include "hud/HudStyle.h"

#include <vector>

namespace hud {

namespace {

constexpr int GAUGE_SIZE = 512; // pixels, both images
const glm::vec2 BAR_CENTRE(256.0f, 270.0f);
const glm::vec2 BAR_HALF_SIZE(236.0f, 24.0f);
constexpr float BAR_ROUNDING = 20.0f;
constexpr float BAR_OUTLINE = 9.0f;
constexpr float DIVIDER_HALF_WIDTH = 3.0f;
const std::vector<float> DIVIDERS{0.25f, 0.5f, 0.75f}; // rage values, the u of the image

// The fill body stays within the colour range that the gauge's shader tints (each channel
// at least 120, 120 and 100 of 255), so all of it turns red.
const glm::vec4 FILL_TOP{1.0f, 1.0f, 0.84f, 1.0f};
const glm::vec4 FILL_BOTTOM{0.80f, 0.76f, 0.58f, 1.0f};
// Red, already the colour the body turns, between the body and the ink lines. Filtering
// blends texels across every edge, and a pale-to-ink blend falls outside the tinted range
// and shows as a grey seam; pale to red blends through reds instead.
const glm::vec4 FILL_RIM{0.94f, 0.10f, 0.06f, 1.0f};
constexpr float FILL_RIM_WIDTH = 4.0f; // pixels

Shape barBody()
{
    return roundedBox(BAR_CENTRE, BAR_HALF_SIZE, BAR_ROUNDING);
}

// A light line along the middle of the ink frame, the same in both images.
void drawFrameLine(Canvas& canvas)
{
    canvas.paint(cutAway(grown(barBody(), BAR_OUTLINE * 0.62f), grown(barBody(), BAR_OUTLINE * 0.35f)), RIM);
}

Shape dividers(float widenedBy = 0.0f)
{
    Shape all = [](glm::vec2) { return 1.0e6f; };
    for (float u : DIVIDERS) {
        const Shape one = roundedBox(glm::vec2(u * GAUGE_SIZE, BAR_CENTRE.y),
                                     glm::vec2(DIVIDER_HALF_WIDTH + widenedBy, BAR_HALF_SIZE.y + 1.0f), 0.0f);
        all = unite(all, one);
    }
    return intersect(all, barBody());
}

Paint topToBottom(glm::vec4 top, glm::vec4 bottom)
{
    return linear(glm::vec2(0.0f, BAR_CENTRE.y - BAR_HALF_SIZE.y), top, glm::vec2(0.0f, BAR_CENTRE.y + BAR_HALF_SIZE.y),
                  bottom);
}

} // namespace

Canvas paintRageBackground(const TextMask& font)
{
    Canvas canvas(GAUGE_SIZE, GAUGE_SIZE);
    drawShadow(canvas, barBody(), BAR_OUTLINE, glm::vec2(0.0f, 6.0f));
    // Trough shaded darker at the top, as if sunk into the frame.
    drawOutlined(canvas, barBody(), BAR_OUTLINE, topToBottom(glm::vec4(glm::vec3(FACE) * 0.6f, 1.0f), FACE_LIGHT));
    canvas.paint(dividers(), INK);
    drawFrameLine(canvas);

    const float labelBottom = BAR_CENTRE.y - BAR_HALF_SIZE.y - BAR_OUTLINE - 8.0f;
    drawLabel(canvas, font, "RAGE", glm::vec2(96.0f, labelBottom - 20.0f), 52.0f, 150.0f, ORANGE, 6.0f);
    return canvas;
}

Canvas paintRageFill()
{
    Canvas canvas(GAUGE_SIZE, GAUGE_SIZE);
    drawOutlined(canvas, barBody(), BAR_OUTLINE, topToBottom(FILL_TOP, FILL_BOTTOM));
    drawHighlight(canvas, grown(barBody(), -4.0f),
                  roundedBox(BAR_CENTRE - glm::vec2(0.0f, 12.0f), glm::vec2(220.0f, 5.0f), 5.0f), 0.6f);
    canvas.paint(cutAway(barBody(), grown(barBody(), -FILL_RIM_WIDTH)), FILL_RIM);
    canvas.paint(dividers(FILL_RIM_WIDTH), FILL_RIM);
    canvas.paint(dividers(), INK);
    drawFrameLine(canvas);
    return canvas;
}

} // namespace hud
