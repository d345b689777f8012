#pragma once
// The windowing library's side of the input and clock seams.

#include "core/Clock.h"
#include "core/Input.h"

struct GLFWwindow;

class GlfwInput : public InputSource {
public:
    explicit GlfwInput(GLFWwindow* window) : window(window) {}

    bool isKeyDown(int key) const override;
    void getMousePos(int& x, int& y) const override;
    void setMousePos(int x, int y) override;
    void getWindowSize(int& width, int& height) const override;
    void setCursorVisible(bool visible) override;
    GamepadState gamepad() const override { return pad; }

    // Reads the first joystick the windowing library has a gamepad mapping for; once a frame,
    // so everything in one frame sees the same state.
    void pollGamepad();

private:
    GLFWwindow* window;
    GamepadState pad;
};

class GlfwClock : public Clock {
public:
    double now() const override;
};
