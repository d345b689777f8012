#include "game/GoalView.h"

#include "game/MenuLayout.h"
#include "render/Sprite.h"
#include "render/Text2D.h"
#include "render/TextureManager.h"

namespace {

// HUD units: the toast's box in the top left, left of the distance (its box ends at -0.25).
constexpr float TOAST_LEFT = -0.98f;
constexpr float TOAST_RIGHT = -0.3f;
constexpr float TOAST_BOTTOM = 0.72f;
constexpr float TOAST_TOP = 0.97f;
constexpr float HEADING_HEIGHT = 0.05f;
constexpr float NAME_HEIGHT = 0.07f;
// Under the retry line (0, 0.08 high), the closest goals, one a line.
constexpr float CLOSEST_TOP = -0.12f;
constexpr float CLOSEST_SPACING = 0.075f;
constexpr float CLOSEST_HEIGHT = 0.055f;
constexpr float CLOSEST_WIDTH = 1.9f;

std::unique_ptr<Text2D> hudText(Shader* program)
{
    auto text = std::make_unique<Text2D>();
    text->setShader(program);
    text->setCellShare(LETTER_CELL_SHARE);
    text->setVisible(false);
    return text;
}

// A line centred on x, at y, as tall as height unless it must shrink to fit width.
void setLine(Text2D& text, const std::string& line, float x, float y, float height, float width)
{
    const float fitted = fittedHeight(line.size(), height, width);
    text.setText(line);
    text.setPosition({x, y, 0.0f});
    text.setScale({textWidth(line.size(), fitted), fitted, 1.0f});
}

} // namespace

GoalView::GoalView() = default;
GoalView::~GoalView() = default;

void GoalView::build(Shader* hudProgram)
{
    panel = std::make_unique<Sprite>();
    const GLuint texture = TextureManager::instance().load(
        "res/menu_panel.png", GL_RGBA, GL_BGRA, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
    panel->setTexture(int(texture), 1);
    panel->setTransparent(true);
    panel->setShader(hudProgram);
    panel->setPosition({(TOAST_LEFT + TOAST_RIGHT) / 2.0f, (TOAST_BOTTOM + TOAST_TOP) / 2.0f, 0.0f});
    panel->setScale({(TOAST_RIGHT - TOAST_LEFT) / 2.0f, (TOAST_TOP - TOAST_BOTTOM) / 2.0f, 1.0f});
    heading = hudText(hudProgram);
    name = hudText(hudProgram);
    heading->setVisible(true);
    name->setVisible(true);
    const float middle = (TOAST_LEFT + TOAST_RIGHT) / 2.0f;
    setLine(*heading, "GOAL REACHED", middle, 0.91f, HEADING_HEIGHT, TOAST_RIGHT - TOAST_LEFT);
    for (int line = 0; line < 3; ++line)
        closestLines.push_back(hudText(hudProgram));
}

void GoalView::showToast(const Goal& goal)
{
    waiting.push_back(&goal);
}

bool GoalView::update(double now)
{
    if (shownSince >= 0.0 && now - shownSince < TOAST_SECONDS)
        return false;
    shownSince = -1.0;
    if (waiting.empty())
        return false;
    const float middle = (TOAST_LEFT + TOAST_RIGHT) / 2.0f;
    setLine(*name, waiting.front()->name, middle, 0.81f, NAME_HEIGHT, TOAST_RIGHT - TOAST_LEFT - 0.1f);
    waiting.pop_front();
    shownSince = now;
    return true;
}

bool GoalView::isToastShown() const
{
    return shownSince >= 0.0;
}

void GoalView::showClosest(const std::vector<std::pair<const Goal*, double>>& goals)
{
    for (std::size_t line = 0; line < closestLines.size(); ++line)
        closestLines[line]->setVisible(false);
    if (goals.empty())
        return;
    setLine(*closestLines[0], "Nearly there:", 0.0f, CLOSEST_TOP, CLOSEST_HEIGHT, CLOSEST_WIDTH);
    closestLines[0]->setVisible(true);
    for (std::size_t goal = 0; goal < goals.size() && goal + 1 < closestLines.size(); ++goal) {
        const std::string line =
            std::string(goals[goal].first->name) + "  " + progressText(*goals[goal].first, goals[goal].second);
        Text2D& text = *closestLines[goal + 1];
        setLine(text, line, 0.0f, CLOSEST_TOP - CLOSEST_SPACING * float(goal + 1), CLOSEST_HEIGHT, CLOSEST_WIDTH);
        text.setVisible(true);
    }
}

void GoalView::draw(const std::function<void(SceneObject&)>& drawPart)
{
    if (isToastShown()) {
        drawPart(*panel);
        drawPart(*heading);
        drawPart(*name);
    }
    for (const auto& line : closestLines)
        if (line->isVisible())
            drawPart(*line);
}
