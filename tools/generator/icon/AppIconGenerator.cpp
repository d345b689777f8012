// icons/grov-rage-64.png, -128.png and -256.png: the game's application icon for the desktop's
// menus and task bars, installed into the hicolor icon theme. It is the power wheel with its
// arrow stopped at full power, in the HUD's palette and ink outlines, but stripped down to
// what reads at 64 pixels: no labels, few and wide band segments, a fat arrow.
//
// Each size is drawn on its own from the same shapes scaled to it, rather than shrunk from the
// largest, so that every size gets edges anti-aliased at its own pixels. The shapes are laid
// out on a 256-unit square, y downward as the picture is looked at.

#include "Generator.h"
#include "hud/HudStyle.h"
#include "hud/Raster.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace hud;

constexpr int ICON_SIZES[] = {64, 128, 256}; // pixels, the hicolor sizes installed
constexpr float DESIGN_SIZE = 256.0f;        // units across the layout square
constexpr float PI = 3.14159265358979f;

// Wheel radii, units from the centre. The rim leaves a few units for the drop shadow.
constexpr float RIM_OUTER = 120.0f;
constexpr float RIM_RING_OUTER = 115.0f;
constexpr float RIM_RING_INNER = 111.0f;
constexpr float FACE_RADIUS = 108.0f;
constexpr float BAND_OUTER = 100.0f;
constexpr float BAND_THINNEST = 16.0f;
constexpr float BAND_THICKEST = 52.0f;
constexpr float BAND_OUTLINE = 5.0f;
constexpr float SEGMENT_DEGREES = 30.0f;
constexpr float SEGMENT_GAP = 3.0f; // half width, units

// The arrow, laid out pointing up from the centre, then turned to full power.
constexpr float ARROW_TIP = 104.0f;
constexpr float ARROW_HEAD_BASE = 44.0f;
constexpr float ARROW_HEAD_HALF_WIDTH = 32.0f;
constexpr float ARROW_SHAFT_HALF_WIDTH = 12.0f;
constexpr float ARROW_TAIL = 40.0f; // below the centre
constexpr float ARROW_HUB = 24.0f;
constexpr float ARROW_OUTLINE = 8.0f;
// Counter-clockwise from straight up: towards the upper left, deep in the red of the band.
constexpr float ARROW_DEGREES = 72.0f;

// The icon's shapes for a canvas size pixels across.
struct Layout {
    float scale;
    glm::vec2 centre;

    explicit Layout(int size) : scale(size / DESIGN_SIZE), centre(size / 2.0f, size / 2.0f) {}

    float units(float value) const { return value * scale; }
    glm::vec2 at(float x, float y) const { return centre + glm::vec2(x, y) * scale; }

    // Launch power from 0 to 1 for the direction of p: lowest pointing right, highest left.
    float powerAt(glm::vec2 p) const
    {
        const glm::vec2 d = p - centre;
        return std::fabs(std::atan2(-d.y, d.x)) / PI;
    }

    float bandInner(float power) const
    {
        return units(BAND_OUTER - (BAND_THINNEST + (BAND_THICKEST - BAND_THINNEST) * power));
    }

    Shape band() const
    {
        const Layout self = *this;
        return [self](glm::vec2 p) {
            const float r = glm::length(p - self.centre);
            return std::max(r - self.units(BAND_OUTER), self.bandInner(self.powerAt(p)) - r);
        };
    }

    // Segments with the lowest and the highest power each in a segment's middle. The gaps stay
    // at least a pixel wide, or they would blur into the band at the smallest size.
    Shape segmentedBand() const
    {
        const Layout self = *this;
        const Shape whole = band();
        const float gap = std::max(units(SEGMENT_GAP), 0.75f);
        return [self, whole, gap](glm::vec2 p) {
            const float degrees = self.powerAt(p) * 180.0f;
            const float into = std::fmod(degrees + SEGMENT_DEGREES / 2.0f, SEGMENT_DEGREES);
            const float toBoundary = std::min(into, SEGMENT_DEGREES - into);
            const float distance = glm::length(p - self.centre) * std::sin(toBoundary * PI / 180.0f) - gap;
            return std::max(whole(p), -distance);
        };
    }

    Shape ring(float outer, float inner) const
    {
        return cutAway(circle(centre, units(outer)), circle(centre, units(inner)));
    }

    // The arrow turned by ARROW_DEGREES about the centre.
    Shape arrow() const
    {
        const Shape shaft =
            roundedBox(at(0.0f, (ARROW_TAIL - ARROW_HEAD_BASE - 4.0f) / 2.0f),
                       glm::vec2(units(ARROW_SHAFT_HALF_WIDTH), units((ARROW_TAIL + ARROW_HEAD_BASE + 4.0f) / 2.0f)),
                       units(ARROW_SHAFT_HALF_WIDTH * 0.6f));
        // Growing the triangle rounds its corners; it starts that much smaller to keep its size.
        const float round = units(4.0f);
        const Shape head =
            grown(polygon({at(0.0f, -ARROW_TIP) + glm::vec2(0.0f, round), at(-ARROW_HEAD_HALF_WIDTH, -ARROW_HEAD_BASE),
                           at(ARROW_HEAD_HALF_WIDTH, -ARROW_HEAD_BASE)}),
                  round);
        const Shape upright = unite(unite(shaft, head), circle(centre, units(ARROW_HUB)));
        // Turning the picture counter-clockwise turns the query point clockwise (y is down).
        const float radians = ARROW_DEGREES * PI / 180.0f;
        const float c = std::cos(radians);
        const float s = std::sin(radians);
        const glm::vec2 pivot = centre;
        return [upright, pivot, c, s](glm::vec2 p) {
            const glm::vec2 d = p - pivot;
            return upright(pivot + glm::vec2(c * d.x - s * d.y, s * d.x + c * d.y));
        };
    }
};

Canvas paintAppIcon(int size)
{
    const Layout layout(size);
    Canvas canvas(size, size);

    // A soft shadow a little below the wheel lifts it off light and dark panels alike.
    const Shape shadowDisc = circle(layout.at(0.0f, 4.0f), layout.units(RIM_OUTER));
    canvas.paint(Mask::soft(shadowDisc, size, size, layout.units(5.0f)).scaleBy(0.4f), INK);

    canvas.paint(circle(layout.centre, layout.units(RIM_OUTER)), INK);
    canvas.paint(layout.ring(RIM_RING_OUTER, RIM_RING_INNER), RIM);
    canvas.paint(circle(layout.centre, layout.units(FACE_RADIUS)),
                 radial(layout.at(-30.0f, -40.0f), layout.units(150.0f), FACE_LIGHT, FACE));

    canvas.paint(grown(layout.band(), layout.units(BAND_OUTLINE)), INK);
    canvas.paint(layout.segmentedBand(), [layout](glm::vec2 p) {
        const float power = layout.powerAt(p);
        const float depth = (layout.units(BAND_OUTER) - glm::length(p - layout.centre))
            / (layout.units(BAND_OUTER) - layout.bandInner(power));
        const glm::vec4 colour = powerColour(power);
        const glm::vec4 shaded(glm::vec3(colour) * 0.72f, 1.0f);
        return mix(colour, shaded, std::min(1.0f, std::max(0.0f, depth)));
    });

    const Shape arrow = layout.arrow();
    drawOutlined(canvas, arrow, layout.units(ARROW_OUTLINE),
                 linear(layout.at(-60.0f, -60.0f), WHITE, layout.at(20.0f, 20.0f), CREAM));
    canvas.paint(circle(layout.centre, layout.units(11.0f)), INK);
    canvas.paint(circle(layout.centre, layout.units(7.0f)),
                 radial(layout.at(-2.0f, -2.0f), layout.units(7.0f), ORANGE, RED));
    return canvas;
}

bool generateAppIcon(const std::string& gameDir)
{
    const std::string dir = gameDir + "/icons/";
    std::error_code error;
    std::filesystem::create_directories(dir, error);

    bool written = true;
    for (const int size : ICON_SIZES) {
        const std::string path = dir + "grov-rage-" + std::to_string(size) + ".png";
        // Transparent pixels take the ink colour, the colour of every outer rim.
        if (!paintAppIcon(size).savePng(path, glm::vec3(INK))) {
            std::fprintf(stderr, "icon: cannot write %s\n", path.c_str());
            written = false;
        }
    }
    return written;
}

} // namespace

GROV_REGISTER_GENERATOR("icon", generateAppIcon);
