#pragma once
// The one seam through which the game polls keys, the mouse, the gamepad and the window size,
// and shows or hides the cursor. The window installs its own source; tests install a scripted
// one.

#include "core/Gamepad.h"

// Key codes, equal to the windowing library's, so the game rules need not include it.
enum Key {
    KEY_SPACE = 32,
    KEY_0 = 48, // to 57 for 9
    KEY_A = 65, // to 90 for Z
    KEY_C = 67,
    KEY_D = 68,
    KEY_G = 71,
    KEY_M = 77,
    KEY_P = 80,
    KEY_S = 83,
    KEY_W = 87,
    KEY_ESCAPE = 256,
    KEY_ENTER = 257,
    KEY_TAB = 258,
    KEY_BACKSPACE = 259,
    KEY_RIGHT = 262,
    KEY_LEFT = 263,
    KEY_DOWN = 264,
    KEY_UP = 265,
    KEY_F1 = 290,
    KEY_F2 = 291,
    KEY_F3 = 292,
    KEY_F4 = 293,
    KEY_F5 = 294,
    KEY_F6 = 295,
    KEY_F7 = 296,
    KEY_F8 = 297,
    KEY_F9 = 298,
    KEY_F11 = 300,
    KEY_F12 = 301, // F1 to F25 run on
    KEY_LEFT_SHIFT = 340,
    KEY_LEFT_CONTROL = 341,
    KEY_RIGHT_SHIFT = 344,
    KEY_RIGHT_CONTROL = 345,
};

class InputSource {
public:
    virtual ~InputSource() = default;
    virtual bool isKeyDown(int key) const = 0;
    virtual void getMousePos(int& x, int& y) const = 0;
    virtual void setMousePos(int x, int y) = 0;
    virtual void getWindowSize(int& width, int& height) const = 0;
    virtual void setCursorVisible(bool visible) = 0;
    // The first connected gamepad; a source without one says it is not connected.
    virtual GamepadState gamepad() const { return GamepadState(); }
};

// Makes source the one the helpers below use; nullptr falls back to a source with no keys
// down, the mouse at 0, 0 and a window of size 0. The caller keeps ownership.
void setInputSource(InputSource* source);
InputSource& inputSource();

bool isKeyDown(int key);
void getMousePos(int& x, int& y);
void setMousePos(int x, int y);
void getWindowSize(int& width, int& height);
// Moves the cursor to the middle of the window (integer division, as the camera expects).
void centerMouse();
void showCursor(bool visible);
GamepadState gamepad();
