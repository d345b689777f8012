#pragma once
// A small hidden window with an OpenGL 3.3 core context, opened once per test binary and
// kept current until the process ends.

struct GLFWwindow;

namespace GlTestContext {

// Opens the context on first call (with GL entry points loaded); false when there is no
// display or no 3.3 core context.
bool open(int width = 256, int height = 256);

GLFWwindow* window();

// Reads back an RGBA pixel of the default framebuffer (origin bottom left).
unsigned int readPixel(int x, int y);

} // namespace GlTestContext
