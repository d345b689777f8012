#pragma once
// Where a menu page sits on the HUD, in the HUD's units: -1 to 1 across the window's shorter
// side, centred, so everything grows with the window and nothing leaves a 4:3, 16:10 or 16:9
// window. The full menu fills that square; the first start's card sits under the wheel.

#include <glm/glm.hpp>

#include <string>

struct MenuLayout {
    float panelLeft = -0.94f;
    float panelRight = 0.94f;
    float panelTop = 0.94f;
    float panelBottom = -0.94f;
    float titleY = 0.8f;
    float titleHeight = 0.09f;
    float firstRowY = 0.64f; // the middle of the first row shown
    float rowSpacing = 0.088f;
    // A line's height; the font's capitals take about three fifths of it. The least, 0.05, is
    // 20 pixels at 1280 x 800, with capitals 12 pixels tall.
    float textHeight = 0.06f;
    float hintY = -0.84f;
    float hintHeight = 0.05f;
    int visibleRows = 15;
    float labelX = -0.84f; // where labels start
    float valueX = 0.84f;  // where values end
    float keysX = 0.0f;    // the controls' key column starts
    float buttonsX = 0.46f;
    float ruleX = -0.5f; // a rule's text beside its key

    // A panel as tall as rows rows take, narrower when narrow (a list of names, no values).
    static MenuLayout menu(int rows = 15, bool narrow = false);
    // Closer rows, for a long list.
    static MenuLayout list();
    static MenuLayout card();

    float rowY(int shown) const { return firstRowY - rowSpacing * float(shown); }
    // The shown row (from 0) at a point of the HUD, or -1 off the rows.
    int rowAt(glm::vec2 point) const;
    // The first row to show: first, moved as little as it takes to show selected.
    int firstShown(int selected, int rowCount, int first) const;
};

// The HUD point under a window pixel (x right, y down from the top, as the mouse reports).
glm::vec2 hudPointOfPixel(int x, int y, int width, int height);

// The middle share of each of the font's cells that menu text draws: the glyphs without most
// of the empty sides of their cells.
constexpr float LETTER_CELL_SHARE = 0.62f;

// HUD units across a line of text letters wide at height.
float textWidth(std::size_t letters, float height);
// The height text can take to fit letters into width, at most height.
float fittedHeight(std::size_t letters, float height, float width);
