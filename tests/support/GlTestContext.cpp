#include "GlTestContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>

namespace {

GLFWwindow* testWindow = nullptr;
bool attempted = false;

} // namespace

namespace GlTestContext {

bool open(int width, int height)
{
    if (attempted)
        return testWindow != nullptr;
    attempted = true;
    if (!glfwInit()) {
        std::fprintf(stderr, "GlTestContext: no display\n");
        return false;
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    testWindow = glfwCreateWindow(width, height, "Grov Rage test", nullptr, nullptr);
    if (!testWindow) {
        std::fprintf(stderr, "GlTestContext: no OpenGL 3.3 core context\n");
        return false;
    }
    glfwMakeContextCurrent(testWindow);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "GlTestContext: GLEW failed\n");
        testWindow = nullptr;
        return false;
    }
    glGetError();
    glViewport(0, 0, width, height);
    return true;
}

GLFWwindow* window()
{
    return testWindow;
}

unsigned int readPixel(int x, int y)
{
    unsigned char rgba[4] = {0, 0, 0, 0};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return (unsigned(rgba[0]) << 24) | (unsigned(rgba[1]) << 16) | (unsigned(rgba[2]) << 8) | rgba[3];
}

} // namespace GlTestContext
