#include "render/Framebuffer.h"

#include <iostream>

namespace {

// Allocates one attachment texture of the bound framebuffer (no pixels uploaded) and
// attaches it at the given point.
GLuint makeAttachment(GLenum attachment, GLint internalFormat, GLenum format, GLenum type, GLint wrap, int width,
                      int height, GLint filter = GL_NEAREST)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
    // Nearest filtering by default: the blur reads one texel per screen pixel and depth must
    // not be blended across object edges.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, name, 0);
    return name;
}

void deleteTexture(int& name)
{
    if (name < 0)
        return;
    const GLuint glName = static_cast<GLuint>(name);
    glDeleteTextures(1, &glName);
    name = -1;
}

} // namespace

void Framebuffer::create()
{
    if (isCreated())
        return;
    GLuint name = 0;
    glGenFramebuffers(1, &name);
    framebuffer_ = static_cast<int>(name);
    bind();
    createAttachments();
    unbind();
}

void Framebuffer::bind()
{
    // Before create there is nothing to draw into; the frame then simply goes to the window.
    if (!isCreated())
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(framebuffer_));
    glViewport(0, 0, width_, height_);
}

void Framebuffer::unbind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Framebuffer::resize(int width, int height)
{
    // A minimised window reports 0 x 0: a target of that size cannot be drawn into, so the
    // old one stays until the window has a real size again.
    if (width <= 0 || height <= 0)
        return;
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    if (!isCreated())
        return;
    deleteTexture(depthTexture_);
    deleteTexture(colorTexture_);
    bind();
    createAttachments();
    unbind();
}

void Framebuffer::release()
{
    if (isCreated()) {
        const GLuint name = static_cast<GLuint>(framebuffer_);
        glDeleteFramebuffers(1, &name);
        framebuffer_ = -1;
    }
    deleteTexture(depthTexture_);
    deleteTexture(colorTexture_);
}

void Framebuffer::createAttachments()
{
    depthTexture_ = static_cast<int>(makeAttachment(GL_DEPTH_ATTACHMENT, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT,
                                                    GL_FLOAT, GL_CLAMP_TO_EDGE, width_, height_));
    // Mirrored repeat keeps blur samples that run off the screen edge on nearby colours.
    colorTexture_ = static_cast<int>(makeAttachment(GL_COLOR_ATTACHMENT0, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE,
                                                    GL_MIRRORED_REPEAT, width_, height_, colourFilter_));
    glBindTexture(GL_TEXTURE_2D, 0);

    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "ERROR: Framebuffer status: " << status << std::endl;
}
