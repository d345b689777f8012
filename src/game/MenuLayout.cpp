#include "game/MenuLayout.h"

#include <algorithm>

namespace {

// A drawn cell's width over its height: the glyphs a little narrower than the font draws them.
constexpr float LETTER_ASPECT = 0.56f;
constexpr float TITLE_BAND = 0.27f; // HUD units from the panel's top to the first row
constexpr float HINT_BAND = 0.26f;  // from the last row to the panel's bottom
constexpr float NARROW_HALF_WIDTH = 0.72f;

} // namespace

MenuLayout MenuLayout::menu(int rows, bool narrow)
{
    MenuLayout layout;
    const int shown = std::max(1, std::min(rows, layout.visibleRows));
    const float height = TITLE_BAND + float(shown - 1) * layout.rowSpacing + HINT_BAND;
    layout.panelTop = height / 2.0f;
    layout.panelBottom = -height / 2.0f;
    layout.titleY = layout.panelTop - 0.12f;
    layout.firstRowY = layout.panelTop - TITLE_BAND;
    layout.hintY = layout.panelBottom + 0.1f;
    if (narrow) {
        layout.panelLeft = -NARROW_HALF_WIDTH;
        layout.panelRight = NARROW_HALF_WIDTH;
        layout.labelX = -NARROW_HALF_WIDTH + 0.1f;
        layout.valueX = NARROW_HALF_WIDTH - 0.1f;
    }
    return layout;
}

MenuLayout MenuLayout::list()
{
    MenuLayout layout;
    layout.firstRowY = 0.66f;
    layout.rowSpacing = 0.058f;
    layout.textHeight = 0.05f;
    layout.visibleRows = 23;
    return layout;
}

MenuLayout MenuLayout::card()
{
    MenuLayout layout;
    layout.panelTop = -0.02f;
    layout.panelBottom = -0.97f;
    layout.titleY = -0.1f;
    layout.titleHeight = 0.065f;
    layout.firstRowY = -0.2f;
    layout.rowSpacing = 0.064f;
    layout.textHeight = 0.05f;
    layout.hintY = -0.87f;
    layout.hintHeight = 0.05f;
    layout.visibleRows = 9;
    return layout;
}

int MenuLayout::rowAt(glm::vec2 point) const
{
    if (point.x < panelLeft || point.x > panelRight)
        return -1;
    const float offset = (firstRowY + rowSpacing / 2.0f - point.y) / rowSpacing;
    if (offset < 0.0f || offset >= float(visibleRows))
        return -1;
    return int(offset);
}

int MenuLayout::firstShown(int selected, int rowCount, int first) const
{
    if (selected >= 0) {
        first = std::min(first, selected);
        first = std::max(first, selected - visibleRows + 1);
    }
    return std::max(0, std::min(first, rowCount - visibleRows));
}

glm::vec2 hudPointOfPixel(int x, int y, int width, int height)
{
    const float side = float(std::max(1, std::min(width, height)));
    const float fromLeft = float(x) - float(width - side) / 2.0f;
    const float fromBottom = float(height - y) - float(height - side) / 2.0f;
    return {2.0f * fromLeft / side - 1.0f, 2.0f * fromBottom / side - 1.0f};
}

float textWidth(std::size_t letters, float height)
{
    return float(letters) * height * LETTER_ASPECT;
}

float fittedHeight(std::size_t letters, float height, float width)
{
    if (letters == 0)
        return height;
    return std::min(height, width / (float(letters) * LETTER_ASPECT));
}
