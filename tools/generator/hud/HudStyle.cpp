#include "hud/HudStyle.h"

#include <algorithm>

namespace hud {

namespace {

constexpr float SHADOW_ALPHA = 0.35f;
constexpr float SHADOW_FEATHER = 6.0f; // pixels

} // namespace

glm::vec4 powerColour(float power)
{
    power = std::min(1.0f, std::max(0.0f, power));
    if (power < 0.35f)
        return mix(GREEN, YELLOW, power / 0.35f);
    if (power < 0.7f)
        return mix(YELLOW, ORANGE, (power - 0.35f) / 0.35f);
    return mix(ORANGE, RED, (power - 0.7f) / 0.3f);
}

void drawOutlined(Canvas& canvas, const Shape& shape, float outline, const Paint& fill)
{
    canvas.paint(grown(shape, outline), INK);
    canvas.paint(shape, fill);
}

void drawShadow(Canvas& canvas, const Shape& shape, float outline, glm::vec2 offset)
{
    const Shape moved = [=](glm::vec2 p) { return shape(p - offset); };
    Mask shadow = Mask::soft(grown(moved, outline), canvas.width(), canvas.height(), SHADOW_FEATHER);
    canvas.paint(shadow.scaleBy(SHADOW_ALPHA), INK);
}

void drawHighlight(Canvas& canvas, const Shape& shape, const Shape& blob, float strength)
{
    const float feather = std::max(4.0f, canvas.width() / 24.0f);
    Mask sheen = Mask::soft(blob, canvas.width(), canvas.height(), feather);
    sheen.multiply(Mask::of(shape, canvas.width(), canvas.height())).scaleBy(strength);
    canvas.paint(sheen, WHITE);
}

void drawLabel(Canvas& canvas, const TextMask& font, const std::string& text, glm::vec2 centre, float pixelHeight,
               float maxWidth, glm::vec4 colour, float outline)
{
    const Mask glyphs = font.draw(text, centre, pixelHeight, maxWidth, canvas.width(), canvas.height());
    canvas.paint(glyphs.dilated(outline), INK);
    canvas.paint(glyphs, colour);
}

} // namespace hud
