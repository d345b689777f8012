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

private:
    GLFWwindow* window;
};

class GlfwClock : public Clock {
public:
    double now() const override;
};
