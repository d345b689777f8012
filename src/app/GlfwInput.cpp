#include "app/GlfwInput.h"

#include <GLFW/glfw3.h>

static_assert(KEY_SPACE == GLFW_KEY_SPACE && KEY_A == GLFW_KEY_A && KEY_C == GLFW_KEY_C && KEY_D == GLFW_KEY_D
                  && KEY_P == GLFW_KEY_P && KEY_S == GLFW_KEY_S && KEY_W == GLFW_KEY_W,
              "letter keys must match the windowing library");
static_assert(KEY_ESCAPE == GLFW_KEY_ESCAPE && KEY_F1 == GLFW_KEY_F1 && KEY_F2 == GLFW_KEY_F2 && KEY_F9 == GLFW_KEY_F9
                  && KEY_F11 == GLFW_KEY_F11 && KEY_F12 == GLFW_KEY_F12,
              "special keys must match the windowing library");
static_assert(KEY_0 == GLFW_KEY_0 && KEY_ENTER == GLFW_KEY_ENTER && KEY_TAB == GLFW_KEY_TAB
                  && KEY_BACKSPACE == GLFW_KEY_BACKSPACE && KEY_RIGHT == GLFW_KEY_RIGHT && KEY_UP == GLFW_KEY_UP
                  && KEY_LEFT_SHIFT == GLFW_KEY_LEFT_SHIFT && KEY_RIGHT_CONTROL == GLFW_KEY_RIGHT_CONTROL,
              "named keys must match the windowing library");
static_assert(KEY_G == GLFW_KEY_G && KEY_M == GLFW_KEY_M, "letter keys must match the windowing library");
static_assert(PAD_SOUTH == GLFW_GAMEPAD_BUTTON_A && PAD_NORTH == GLFW_GAMEPAD_BUTTON_Y
                  && PAD_START == GLFW_GAMEPAD_BUTTON_START && PAD_DPAD_LEFT == GLFW_GAMEPAD_BUTTON_DPAD_LEFT
                  && PAD_BUTTON_COUNT == GLFW_GAMEPAD_BUTTON_LAST + 1,
              "gamepad buttons must match the windowing library");
static_assert(PAD_LEFT_X == GLFW_GAMEPAD_AXIS_LEFT_X && PAD_RIGHT_Y == GLFW_GAMEPAD_AXIS_RIGHT_Y
                  && PAD_AXIS_COUNT == GLFW_GAMEPAD_AXIS_LAST + 1,
              "gamepad axes must match the windowing library");

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

void GlfwInput::pollGamepad()
{
    for (int joystick = GLFW_JOYSTICK_1; joystick <= GLFW_JOYSTICK_LAST; ++joystick) {
        GLFWgamepadstate state;
        if (!glfwJoystickIsGamepad(joystick) || !glfwGetGamepadState(joystick, &state))
            continue;
        pad.connected = true;
        const char* name = glfwGetGamepadName(joystick);
        pad.name = name ? name : "Gamepad";
        for (int button = 0; button < PAD_BUTTON_COUNT; ++button)
            pad.buttons[button] = state.buttons[button] == GLFW_PRESS;
        for (int axis = 0; axis < PAD_AXIS_COUNT; ++axis)
            pad.axes[axis] = state.axes[axis];
        return;
    }
    pad = GamepadState();
}

double GlfwClock::now() const
{
    return glfwGetTime();
}
