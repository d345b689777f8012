#include "app/GlfwInput.h"

#include <GLFW/glfw3.h>

static_assert(KEY_SPACE == GLFW_KEY_SPACE && KEY_A == GLFW_KEY_A && KEY_C == GLFW_KEY_C &&
              KEY_D == GLFW_KEY_D && KEY_P == GLFW_KEY_P && KEY_S == GLFW_KEY_S && KEY_W == GLFW_KEY_W,
              "letter keys must match the windowing library");
static_assert(KEY_ESCAPE == GLFW_KEY_ESCAPE && KEY_F1 == GLFW_KEY_F1 && KEY_F2 == GLFW_KEY_F2 &&
              KEY_F9 == GLFW_KEY_F9, "special keys must match the windowing library");

bool GlfwInput::isKeyDown(int key) const
{
    return glfwGetKey(window, key) == GLFW_PRESS;
}

void GlfwInput::getMousePos(int& x, int& y) const
{
    double fx = 0.0;
    double fy = 0.0;
    glfwGetCursorPos(window, &fx, &fy);
    x = static_cast<int>(fx);
    y = static_cast<int>(fy);
}

void GlfwInput::setMousePos(int x, int y)
{
    glfwSetCursorPos(window, x, y);
}

void GlfwInput::getWindowSize(int& width, int& height) const
{
    glfwGetWindowSize(window, &width, &height);
}

void GlfwInput::setCursorVisible(bool visible)
{
    glfwSetInputMode(window, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}

double GlfwClock::now() const
{
    return glfwGetTime();
}
