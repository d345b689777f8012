#pragma once
// Draws a menu page in the HUD's style: the scene dimmed behind, the HUD's card, a bar behind
// the chosen row and the text in the HUD's font. The same view draws the first start's card,
// which dims nothing and chooses nothing.

#include "game/MenuPage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class SceneObject;
class Shader;
class Sprite;
class Text2D;

class MenuView {
public:
    MenuView();
    ~MenuView();
    MenuView(const MenuView&) = delete;
    MenuView& operator=(const MenuView&) = delete;

    // Loads the art; the program draws every part.
    void build(Shader* hudProgram);
    // Sets every part from the page; dim darkens the scene behind.
    void show(const MenuPage& page, bool dim);
    // Hands every visible part to draw, back to front.
    void draw(const std::function<void(SceneObject&)>& drawPart);

private:
    Text2D& textAt(std::size_t index);
    // Places one line of text, shrunk to fit width where it is long.
    void place(Text2D& text, const std::string& line, float x, float y, float height, float width, int alignment);
    void showRow(const MenuPage& page, const MenuRow& row, int shown, std::size_t& used);

    Shader* program = nullptr;
    std::unique_ptr<Sprite> shade;
    std::unique_ptr<Sprite> panel;
    std::vector<std::unique_ptr<Sprite>> bars; // the chosen row's, and one per marked row
    std::vector<std::unique_ptr<Text2D>> texts;
    std::size_t barsUsed = 0;
    std::size_t textsUsed = 0;
};
