#pragma once
// An input source that a test scripts frame by frame: keys held, mouse position, gamepad,
// window size.

#include "core/Input.h"

#include <set>
#include <utility>
#include <vector>

class ScriptedInput : public InputSource {
public:
    // Installs itself as the game's input source for its lifetime.
    ScriptedInput() { setInputSource(this); }
    ~ScriptedInput() override { setInputSource(nullptr); }

    void press(int key) { keysDown.insert(key); }
    void release(int key) { keysDown.erase(key); }

    bool isKeyDown(int key) const override { return keysDown.count(key) > 0; }
    void getMousePos(int& x, int& y) const override
    {
        x = mouseX;
        y = mouseY;
    }
    void setMousePos(int x, int y) override
    {
        mouseX = x;
        mouseY = y;
        mouseMoves.emplace_back(x, y);
    }
    void getWindowSize(int& width, int& height) const override
    {
        width = windowWidth;
        height = windowHeight;
    }
    void setCursorVisible(bool visible) override { cursorVisible = visible; }
    GamepadState gamepad() const override { return pad; }

    std::set<int> keysDown;
    int mouseX = 0;
    int mouseY = 0;
    int windowWidth = 1024;
    int windowHeight = 768;
    bool cursorVisible = true;
    GamepadState pad;                            // not connected until a test says so
    std::vector<std::pair<int, int>> mouseMoves; // every setMousePos, in order
};
