#pragma once
// The one palette and outline style that every HUD image shares: saturated fills inside a
// thick dark ink line, a soft highlight towards the upper left, and a faint drop shadow so the
// shapes stand off a bright sky as well as a dark night.

#include "hud/Raster.h"
#include "hud/TextMask.h"

#include <string>

namespace hud {

inline const glm::vec4 INK{0.10f, 0.07f, 0.16f, 1.0f};
inline const glm::vec4 FACE{0.20f, 0.17f, 0.31f, 1.0f};
inline const glm::vec4 FACE_LIGHT{0.31f, 0.27f, 0.46f, 1.0f};
// Light line inside ink rims, so frames still show against a night sky. Its red is just
// below the range the rage gauge tints, so the gauge's frame keeps its colour.
inline const glm::vec4 RIM{0.46f, 0.42f, 0.66f, 1.0f};
inline const glm::vec4 RED{0.92f, 0.17f, 0.14f, 1.0f};
inline const glm::vec4 DEEP_RED{0.66f, 0.07f, 0.10f, 1.0f};
inline const glm::vec4 ORANGE{1.0f, 0.55f, 0.10f, 1.0f};
inline const glm::vec4 YELLOW{1.0f, 0.84f, 0.20f, 1.0f};
inline const glm::vec4 LEMON{1.0f, 0.95f, 0.56f, 1.0f};
inline const glm::vec4 GREEN{0.30f, 0.82f, 0.26f, 1.0f};
inline const glm::vec4 CREAM{1.0f, 0.97f, 0.88f, 1.0f};
inline const glm::vec4 WHITE{1.0f, 1.0f, 1.0f, 1.0f};
inline const glm::vec4 MOON_LIGHT{0.98f, 0.96f, 0.84f, 1.0f};
inline const glm::vec4 MOON_SHADE{0.76f, 0.76f, 0.90f, 1.0f};

constexpr const char* LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Launch power from 0 to 1 as a colour: green, yellow, orange, red.
glm::vec4 powerColour(float power);

// The shape inside an ink line outline pixels wide.
void drawOutlined(Canvas& canvas, const Shape& shape, float outline, const Paint& fill);
// A faint soft shadow of the outlined shape, offset down and to the right.
void drawShadow(Canvas& canvas, const Shape& shape, float outline, glm::vec2 offset);
// A soft white sheen: the blob, faded at its rim, kept inside the shape.
void drawHighlight(Canvas& canvas, const Shape& shape, const Shape& blob, float strength);
// One line of bold text with an ink outline.
void drawLabel(Canvas& canvas, const TextMask& font, const std::string& text, glm::vec2 centre, float pixelHeight,
               float maxWidth, glm::vec4 colour, float outline);

} // namespace hud
