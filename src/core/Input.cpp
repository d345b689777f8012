#include "core/Input.h"

namespace {

class NoInput : public InputSource {
public:
    bool isKeyDown(int) const override { return false; }
    void getMousePos(int& x, int& y) const override { x = y = 0; }
    void setMousePos(int, int) override {}
    void getWindowSize(int& width, int& height) const override { width = height = 0; }
    void setCursorVisible(bool) override {}
};

NoInput noInput;
InputSource* current = &noInput;

} // namespace

void setInputSource(InputSource* source)
{
    current = source ? source : &noInput;
}

InputSource& inputSource()
{
    return *current;
}

bool isKeyDown(int key)
{
    return current->isKeyDown(key);
}

void getMousePos(int& x, int& y)
{
    current->getMousePos(x, y);
}

void setMousePos(int x, int y)
{
    current->setMousePos(x, y);
}

void getWindowSize(int& width, int& height)
{
    current->getWindowSize(width, height);
}

void centerMouse()
{
    int width = 0;
    int height = 0;
    getWindowSize(width, height);
    setMousePos(width / 2, height / 2);
}

void showCursor(bool visible)
{
    current->setCursorVisible(visible);
}

GamepadState gamepad()
{
    return current->gamepad();
}
