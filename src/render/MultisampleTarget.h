#pragma once
// A multisampled stand-in for the window: a frame drawn into it is resolved into the window's
// back buffer afterwards. It gives the reference picture its multisampling on a window that was
// opened without any (AUTO opens one so on a software renderer).

#include <GL/glew.h>

class MultisampleTarget {
public:
    static constexpr int SAMPLES = 4;

    MultisampleTarget() = default;
    MultisampleTarget(const MultisampleTarget&) = delete;
    MultisampleTarget& operator=(const MultisampleTarget&) = delete;

    // Makes (or remakes, when the size changed) the colour and depth storage; sides that are
    // not positive leave the target as it is.
    void prepare(int width, int height);
    // Averages the samples into the window's back buffer and leaves the window bound.
    void resolveToWindow();
    void release();

    bool isCreated() const { return framebuffer_ != 0; }
    // 0, the window, until prepared.
    GLuint framebuffer() const { return framebuffer_; }

private:
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
    int width_ = 0;
    int height_ = 0;
};
