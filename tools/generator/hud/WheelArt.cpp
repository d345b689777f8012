// The power wheel and its arrow. The arrow points up at rotation 0 and turns clockwise; the
// launch power it picks depends only on how far it points from the right: lowest pointing
// right, highest pointing left, medium straight up or down. The wheel paints that as a band
// that sweeps from a thin green sliver on the right to a thick red slab on the left, the same
// above and below the middle.
//
// The sprite shows the image upright and unmirrored (its top-left corner carries texture
// coordinate (0, 1), and the loader keeps FreeImage's bottom-up rows, so the picture's top
// row lands at the top of the screen), so the left of this picture is the left of the screen.

#include "hud/HudArt.h"
#include "hud/HudStyle.h"

#include <cmath>

namespace hud {

namespace {

constexpr int WHEEL_SIZE = 512; // pixels, both images
const glm::vec2 CENTRE(WHEEL_SIZE / 2.0f, WHEEL_SIZE / 2.0f);
constexpr float PI = 3.14159265358979f;

// Wheel radii, pixels from the centre.
constexpr float RIM_OUTER = 242.0f;
constexpr float RIM_RING_OUTER = 238.5f;
constexpr float RIM_RING_INNER = 235.0f;
constexpr float FACE_RADIUS = 232.0f;
constexpr float BAND_OUTER = 220.0f;
constexpr float BAND_THINNEST = 18.0f;  // pixels of band where the power is lowest
constexpr float BAND_THICKEST = 112.0f; // where it is highest
constexpr float BAND_OUTLINE = 6.0f;
constexpr float SEGMENT_DEGREES = 15.0f;
constexpr float SEGMENT_GAP = 3.0f; // half width, pixels
constexpr float HUB_RADIUS = 34.0f;

// Arrow, pixels from the centre towards the top of the picture.
constexpr float ARROW_TIP = 218.0f;
constexpr float ARROW_HEAD_BASE = 132.0f;
constexpr float ARROW_HEAD_HALF_WIDTH = 48.0f;
constexpr float ARROW_SHAFT_HALF_WIDTH = 14.0f;
constexpr float ARROW_TAIL = 50.0f; // below the centre
constexpr float ARROW_HUB = 30.0f;
constexpr float ARROW_OUTLINE = 9.0f;

// Launch power from 0 to 1 for the direction of point p seen from the centre: the angle from
// the right-pointing direction, either way round, over half a turn.
float powerAt(glm::vec2 p)
{
    const glm::vec2 d = p - CENTRE;
    const float angle = std::atan2(-d.y, d.x); // counter-clockwise with y up, as on screen
    return std::fabs(angle) / PI;
}

float bandInner(float power)
{
    return BAND_OUTER - (BAND_THINNEST + (BAND_THICKEST - BAND_THINNEST) * power);
}

float radiusOf(glm::vec2 p)
{
    return glm::length(p - CENTRE);
}

Shape powerBand()
{
    return [](glm::vec2 p) {
        const float r = radiusOf(p);
        return std::max(r - BAND_OUTER, bandInner(powerAt(p)) - r);
    };
}

// The band cut into segments, with the lowest and highest power each in a segment's middle.
Shape segmentedBand()
{
    const Shape band = powerBand();
    return [band](glm::vec2 p) {
        const float degrees = std::fabs(std::atan2(-(p - CENTRE).y, (p - CENTRE).x)) * 180.0f / PI;
        const float intoSegment = std::fmod(degrees + SEGMENT_DEGREES / 2.0f, SEGMENT_DEGREES);
        const float toBoundary = std::min(intoSegment, SEGMENT_DEGREES - intoSegment);
        const float gap = radiusOf(p) * std::sin(toBoundary * PI / 180.0f) - SEGMENT_GAP;
        return std::max(band(p), -gap);
    };
}

Shape ring(float outer, float inner)
{
    return cutAway(circle(CENTRE, outer), circle(CENTRE, inner));
}

} // namespace

Canvas paintWheel(const TextMask& font)
{
    Canvas canvas(WHEEL_SIZE, WHEEL_SIZE);
    drawShadow(canvas, circle(CENTRE, RIM_OUTER), 0.0f, glm::vec2(0.0f, 6.0f));
    canvas.paint(circle(CENTRE, RIM_OUTER), INK);
    canvas.paint(ring(RIM_RING_OUTER, RIM_RING_INNER), RIM);
    canvas.paint(circle(CENTRE, FACE_RADIUS), radial(CENTRE - glm::vec2(60.0f, 80.0f), 300.0f, FACE_LIGHT, FACE));

    canvas.paint(grown(powerBand(), BAND_OUTLINE), INK);
    canvas.paint(segmentedBand(), [](glm::vec2 p) {
        // Each segment darkens a little towards the inside, for depth.
        const float power = powerAt(p);
        const float depth = (BAND_OUTER - radiusOf(p)) / (BAND_OUTER - bandInner(power));
        const glm::vec4 colour = powerColour(power);
        const glm::vec4 shaded(glm::vec3(colour) * 0.72f, 1.0f);
        return mix(colour, shaded, std::min(1.0f, std::max(0.0f, depth)));
    });
    drawHighlight(canvas, segmentedBand(), ring(BAND_OUTER + 4.0f, BAND_OUTER - 10.0f), 0.3f);

    // Plain words at both ends of the sweep, for the player who does not read colours.
    // MAX sits in the thick end of the band but leaves its outer part clear, MIN in the face.
    constexpr float labelRadius = 150.0f;
    drawLabel(canvas, font, "MAX", CENTRE + glm::vec2(-labelRadius, 0.0f), 46.0f, 88.0f, WHITE, 5.0f);
    drawLabel(canvas, font, "MIN", CENTRE + glm::vec2(labelRadius, 0.0f), 40.0f, 80.0f, CREAM, 5.0f);

    canvas.paint(circle(CENTRE, HUB_RADIUS), INK);
    canvas.paint(circle(CENTRE, HUB_RADIUS - 10.0f),
                 radial(CENTRE - glm::vec2(8.0f, 8.0f), HUB_RADIUS, RIM, FACE_LIGHT));
    return canvas;
}

Canvas paintArrow()
{
    Canvas canvas(WHEEL_SIZE, WHEEL_SIZE);
    const float shaftTop = CENTRE.y - ARROW_HEAD_BASE - 4.0f;
    const float shaftBottom = CENTRE.y + ARROW_TAIL;
    const Shape shaft =
        roundedBox(glm::vec2(CENTRE.x, (shaftTop + shaftBottom) / 2.0f),
                   glm::vec2(ARROW_SHAFT_HALF_WIDTH, (shaftBottom - shaftTop) / 2.0f), ARROW_SHAFT_HALF_WIDTH * 0.6f);
    // Growing the triangle by a few pixels rounds its corners; the tip starts that much
    // lower to stay near ARROW_TIP.
    constexpr float cornerRound = 5.0f;
    const Shape head = grown(polygon({{CENTRE.x, CENTRE.y - ARROW_TIP + cornerRound},
                                      {CENTRE.x - ARROW_HEAD_HALF_WIDTH, CENTRE.y - ARROW_HEAD_BASE},
                                      {CENTRE.x + ARROW_HEAD_HALF_WIDTH, CENTRE.y - ARROW_HEAD_BASE}}),
                             cornerRound);
    const Shape arrow = unite(unite(shaft, head), circle(CENTRE, ARROW_HUB));

    drawOutlined(
        canvas, arrow, ARROW_OUTLINE,
        linear(glm::vec2(CENTRE.x, CENTRE.y - ARROW_TIP), WHITE, glm::vec2(CENTRE.x, CENTRE.y + ARROW_TAIL), CREAM));
    // White reads best at the half opacity the arrow is drawn with; a warm shade down the
    // right flank gives it some body.
    const Shape rightFlank =
        roundedBox(glm::vec2(CENTRE.x + 34.0f, CENTRE.y - 100.0f), glm::vec2(24.0f, 150.0f), 20.0f);
    Mask shade = Mask::soft(rightFlank, WHEEL_SIZE, WHEEL_SIZE, 20.0f);
    shade.multiply(Mask::of(grown(arrow, -4.0f), WHEEL_SIZE, WHEEL_SIZE)).scaleBy(0.5f);
    canvas.paint(shade, YELLOW);
    canvas.paint(circle(CENTRE, 17.0f), INK);
    canvas.paint(circle(CENTRE, 12.0f), radial(CENTRE - glm::vec2(4.0f, 4.0f), 12.0f, ORANGE, RED));
    return canvas;
}

} // namespace hud
