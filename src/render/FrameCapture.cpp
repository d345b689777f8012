#include "render/FrameCapture.h"

#include <GL/glew.h>

#include <cstddef>
#include <utility>

CapturedFrame captureBackBuffer(int width, int height)
{
    CapturedFrame frame;
    if (width <= 0 || height <= 0)
        return frame;
    while (glGetError() != GL_NO_ERROR) {
    }

    GLint readFramebuffer = 0;
    GLint readBuffer = GL_BACK;
    GLint packAlignment = 4;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);

    // The window's own framebuffer, whatever offscreen target is bound; reading it also
    // resolves its multisampling.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
    const bool read = glGetError() == GL_NO_ERROR;

    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));

    if (read) {
        frame.width = width;
        frame.height = height;
        frame.pixels = std::move(pixels);
    }
    return frame;
}
