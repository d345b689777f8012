// The low-altitude warning and the sun and moon icons of the day-night cycle.
//
// The warning is centred a little above the middle of the HUD, and the distance readout sits
// over the top part of its image: the sign keeps to the lower three fifths of the picture so
// that the two never overlap. The sun and the moon are tiny on screen (about a twentieth of
// the window's height), so they are plain bold silhouettes filling their frame.

#include "hud/HudArt.h"
#include "hud/HudStyle.h"

#include <cmath>
#include <vector>

namespace hud {

namespace {

constexpr int WARNING_SIZE = 512; // pixels
constexpr int ICON_SIZE = 256;    // pixels
const glm::vec2 ICON_CENTRE(ICON_SIZE / 2.0f, ICON_SIZE / 2.0f);
constexpr float PI = 3.14159265358979f;

// Warning sign: a rounded triangle with a red border over a red plate with the words.
const std::vector<glm::vec2> SIGN_CORNERS{{256.0f, 238.0f}, {344.0f, 390.0f}, {168.0f, 390.0f}};
constexpr float SIGN_BORDER = 18.0f; // pixels of red around the yellow
constexpr float SIGN_OUTLINE = 10.0f;
const glm::vec2 PLATE_CENTRE(256.0f, 462.0f);
const glm::vec2 PLATE_HALF_SIZE(222.0f, 28.0f);
constexpr float PLATE_OUTLINE = 8.0f;

// Sun.
constexpr float SUN_DISC = 58.0f;
constexpr float SUN_RAY_BASE = 54.0f;
constexpr float SUN_RAY_TIP = 104.0f;
constexpr float SUN_RAY_HALF_ANGLE = 16.0f; // degrees
constexpr int SUN_RAYS = 8;
constexpr float SUN_OUTLINE = 12.0f;

// Moon: a disc with a second, offset disc taken out of it.
constexpr float MOON_RADIUS = 100.0f;
const glm::vec2 MOON_BITE_CENTRE(172.0f, 98.0f);
constexpr float MOON_BITE_RADIUS = 84.0f;
constexpr float MOON_OUTLINE = 12.0f;

glm::vec2 onCircle(float degrees, float radius)
{
    const float radians = degrees * PI / 180.0f;
    return ICON_CENTRE + radius * glm::vec2(std::cos(radians), -std::sin(radians));
}

} // namespace

Canvas paintAltitudeWarning(const TextMask& font)
{
    Canvas canvas(WARNING_SIZE, WARNING_SIZE);
    const Shape inner = polygon(SIGN_CORNERS);
    const Shape sign = grown(inner, SIGN_BORDER);
    const Shape plate = roundedBox(PLATE_CENTRE, PLATE_HALF_SIZE, 22.0f);

    drawShadow(canvas, unite(sign, plate), SIGN_OUTLINE, glm::vec2(0.0f, 6.0f));
    drawOutlined(canvas, sign, SIGN_OUTLINE, linear(glm::vec2(0, 220), RED, glm::vec2(0, 410), DEEP_RED));
    canvas.paint(inner, linear(glm::vec2(0, 250), LEMON, glm::vec2(0, 390), YELLOW));
    drawHighlight(canvas, sign, circle(glm::vec2(226.0f, 270.0f), 40.0f), 0.45f);

    // The exclamation mark.
    canvas.paint(capsule(glm::vec2(256.0f, 292.0f), glm::vec2(256.0f, 340.0f), 11.0f), INK);
    canvas.paint(circle(glm::vec2(256.0f, 368.0f), 11.0f), INK);

    drawOutlined(canvas, plate, PLATE_OUTLINE,
                 linear(glm::vec2(0, PLATE_CENTRE.y - PLATE_HALF_SIZE.y), RED,
                        glm::vec2(0, PLATE_CENTRE.y + PLATE_HALF_SIZE.y), DEEP_RED));
    drawLabel(canvas, font, "LOW ALTITUDE", PLATE_CENTRE, 40.0f, 2.0f * PLATE_HALF_SIZE.x - 36.0f, WHITE, 5.0f);
    return canvas;
}

Canvas paintSun()
{
    Canvas canvas(ICON_SIZE, ICON_SIZE);
    Shape rays = [](glm::vec2) { return 1.0e6f; };
    for (int i = 0; i < SUN_RAYS; ++i) {
        const float angle = 90.0f + i * 360.0f / SUN_RAYS;
        const Shape ray =
            grown(polygon({onCircle(angle, SUN_RAY_TIP), onCircle(angle - SUN_RAY_HALF_ANGLE, SUN_RAY_BASE),
                           onCircle(angle + SUN_RAY_HALF_ANGLE, SUN_RAY_BASE)}),
                  4.0f);
        rays = unite(rays, ray);
    }
    drawOutlined(canvas, rays, SUN_OUTLINE, radial(ICON_CENTRE, SUN_RAY_TIP, YELLOW, ORANGE));
    const Shape disc = circle(ICON_CENTRE, SUN_DISC);
    drawOutlined(canvas, disc, SUN_OUTLINE,
                 radial(ICON_CENTRE - glm::vec2(18.0f, 18.0f), SUN_DISC * 1.6f, LEMON, ORANGE));
    drawHighlight(canvas, grown(disc, -6.0f), circle(ICON_CENTRE - glm::vec2(22.0f, 24.0f), 20.0f), 0.6f);
    return canvas;
}

Canvas paintMoon()
{
    Canvas canvas(ICON_SIZE, ICON_SIZE);
    const Shape crescent = cutAway(circle(ICON_CENTRE, MOON_RADIUS), circle(MOON_BITE_CENTRE, MOON_BITE_RADIUS));
    drawOutlined(
        canvas, crescent, MOON_OUTLINE,
        linear(ICON_CENTRE - glm::vec2(70.0f, 70.0f), MOON_LIGHT, ICON_CENTRE + glm::vec2(50.0f, 90.0f), MOON_SHADE));
    // Craters, kept clear of the rim.
    const Shape craters = unite(unite(circle(glm::vec2(66.0f, 150.0f), 13.0f), circle(glm::vec2(100.0f, 198.0f), 9.0f)),
                                circle(glm::vec2(58.0f, 100.0f), 8.0f));
    canvas.paint(intersect(craters, grown(crescent, -6.0f)), withAlpha(MOON_SHADE, 0.9f));
    drawHighlight(canvas, grown(crescent, -5.0f), circle(glm::vec2(54.0f, 76.0f), 26.0f), 0.5f);
    return canvas;
}

} // namespace hud
