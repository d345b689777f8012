#include "render/MultisampleTarget.h"

#include <iostream>

void MultisampleTarget::prepare(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    if (isCreated() && width == width_ && height == height_)
        return;
    release();
    width_ = width;
    height_ = height;
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, SAMPLES, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, SAMPLES, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        // The frame then goes straight to the window, without multisampling.
        std::cout << "ERROR: Multisample framebuffer status: " << status << std::endl;
        release();
    }
}

void MultisampleTarget::resolveToWindow()
{
    if (isCreated()) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void MultisampleTarget::release()
{
    if (framebuffer_)
        glDeleteFramebuffers(1, &framebuffer_);
    if (colour_)
        glDeleteRenderbuffers(1, &colour_);
    if (depth_)
        glDeleteRenderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
}
