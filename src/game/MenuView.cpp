#include "game/MenuView.h"

#include "render/Sprite.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

namespace {

constexpr float SHADE_HALF_WIDTH = 4.0f; // HUD units: past the side margins of any window
constexpr float MARKED_BAR_OPACITY = 0.35f;
constexpr float COLUMN_GAP = 0.04f; // HUD units between two texts on a row
constexpr float HEADING_HEIGHT = 0.05f;

std::unique_ptr<Sprite> hudSprite(const char* image, Shader* program)
{
    auto sprite = std::make_unique<Sprite>();
    const GLuint texture = TextureManager::instance().load(image, GL_RGBA, GL_BGRA, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR,
                                                           GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
    sprite->setTexture(static_cast<int>(texture), 1);
    sprite->setTransparent(true);
    sprite->setShader(program);
    return sprite;
}

// A sprite spans -1 to 1 of its own space: its scale is half its size.
void span(Sprite& sprite, float left, float right, float bottom, float top)
{
    sprite.setPosition({(left + right) / 2.0f, (bottom + top) / 2.0f, 0.0f});
    sprite.setScale({(right - left) / 2.0f, (top - bottom) / 2.0f, 1.0f});
}

} // namespace

MenuView::MenuView() = default;
MenuView::~MenuView() = default;

void MenuView::build(Shader* hudProgram)
{
    program = hudProgram;
    shade = hudSprite("res/menu_shade.png", program);
    panel = hudSprite("res/menu_panel.png", program);
    // Loaded at start with the rest of the HUD, so a damaged file is named before the first menu.
    bars.push_back(hudSprite("res/menu_highlight.png", program));
}

Text2D& MenuView::textAt(std::size_t index)
{
    while (texts.size() <= index) {
        auto text = std::make_unique<Text2D>();
        text->setShader(program);
        text->setCellShare(LETTER_CELL_SHARE);
        texts.push_back(std::move(text));
    }
    return *texts[index];
}

void MenuView::place(Text2D& text, const std::string& line, float x, float y, float height, float width, int alignment)
{
    const float fitted = fittedHeight(line.size(), height, width);
    text.setText(line);
    text.setAlignment(alignment);
    // Left and right aligned text stands on its position; centred text is centred on it.
    const float bottom = alignment == Text2D::ALIGN_CENTER ? y : y - fitted / 2.0f;
    text.setPosition({x, bottom, 0.0f});
    text.setScale({textWidth(line.size(), fitted), fitted, 1.0f});
    text.setVisible(!line.empty());
}

void MenuView::show(const MenuPage& page, bool dim)
{
    const MenuLayout& layout = page.layout;
    shade->setVisible(dim);
    span(*shade, -SHADE_HALF_WIDTH, SHADE_HALF_WIDTH, -1.0f, 1.0f);
    span(*panel, layout.panelLeft, layout.panelRight, layout.panelBottom, layout.panelTop);

    textsUsed = 0;
    barsUsed = 0;
    const float innerWidth = layout.valueX - layout.labelX;
    const float centre = (layout.panelLeft + layout.panelRight) / 2.0f;
    const float fullWidth = layout.panelRight - layout.panelLeft - 2.0f * COLUMN_GAP;
    place(textAt(textsUsed++), page.title, centre, layout.titleY, layout.titleHeight, fullWidth, Text2D::ALIGN_CENTER);
    place(textAt(textsUsed++), page.hint, centre, layout.hintY, layout.hintHeight, fullWidth, Text2D::ALIGN_CENTER);
    if (page.columns == COLUMNS_CONTROLS) {
        const float headingY = layout.firstRowY + layout.rowSpacing;
        place(textAt(textsUsed++), "KEYBOARD", layout.keysX, headingY, HEADING_HEIGHT, innerWidth, Text2D::ALIGN_LEFT);
        place(textAt(textsUsed++), "GAMEPAD", layout.buttonsX, headingY, HEADING_HEIGHT, innerWidth,
              Text2D::ALIGN_LEFT);
    }
    const int count = static_cast<int>(page.rows.size());
    for (int shown = 0; shown < layout.visibleRows && page.first + shown < count; ++shown)
        showRow(page, page.rows[std::size_t(page.first + shown)], shown, textsUsed);
}

void MenuView::showRow(const MenuPage& page, const MenuRow& row, int shown, std::size_t& used)
{
    const MenuLayout& layout = page.layout;
    const float y = layout.rowY(shown);
    const float h = layout.textHeight;
    const bool chosen = page.first + shown == page.selected;
    if (chosen || row.marked) {
        if (bars.size() <= barsUsed)
            bars.push_back(hudSprite("res/menu_highlight.png", program));
        Sprite& bar = *bars[barsUsed++];
        const float half = layout.rowSpacing / 2.0f;
        span(bar, layout.labelX - COLUMN_GAP, layout.valueX + COLUMN_GAP, y - half, y + half);
        bar.setTransparency(chosen ? 1.0f : MARKED_BAR_OPACITY);
    }

    switch (page.columns) {
    case COLUMNS_CONTROLS:
        place(textAt(used++), row.label, layout.labelX, y, h, layout.keysX - layout.labelX - COLUMN_GAP,
              Text2D::ALIGN_LEFT);
        place(textAt(used++), row.value, layout.keysX, y, h, layout.buttonsX - layout.keysX - COLUMN_GAP,
              Text2D::ALIGN_LEFT);
        place(textAt(used++), row.second, layout.buttonsX, y, h, layout.valueX - layout.buttonsX, Text2D::ALIGN_LEFT);
        break;
    case COLUMNS_KEY_RULE:
        place(textAt(used++), row.label, layout.labelX, y, h, layout.ruleX - layout.labelX - COLUMN_GAP,
              Text2D::ALIGN_LEFT);
        place(textAt(used++), row.value, layout.ruleX, y, h, layout.valueX - layout.ruleX, Text2D::ALIGN_LEFT);
        break;
    case COLUMNS_LABEL_VALUE: {
        // An option shows that Left and Right change it.
        const std::string value = row.kind == ROW_OPTION && chosen ? "<  " + row.value + "  >" : row.value;
        const float valueWidth = textWidth(value.size(), h);
        place(textAt(used++), value, layout.valueX, y, h, layout.valueX - layout.labelX, Text2D::ALIGN_RIGHT);
        place(textAt(used++), row.label, layout.labelX, y, h, layout.valueX - layout.labelX - valueWidth - COLUMN_GAP,
              Text2D::ALIGN_LEFT);
        break;
    }
    }
}

void MenuView::draw(const std::function<void(SceneObject&)>& drawPart)
{
    if (shade->isVisible())
        drawPart(*shade);
    drawPart(*panel);
    for (std::size_t bar = 0; bar < barsUsed; ++bar)
        drawPart(*bars[bar]);
    for (std::size_t text = 0; text < textsUsed; ++text)
        if (texts[text]->isVisible())
            drawPart(*texts[text]);
}
