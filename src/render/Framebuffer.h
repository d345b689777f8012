#pragma once
// The off-screen target of the motion-blur frames: the 3D pass is drawn into its colour and
// depth textures instead of the window, and the full-screen SceneInMotion quad then reads
// both back. It follows the window's size, but never shrinks to nothing: a minimised window
// reports 0 x 0 and the last usable target is kept for when it comes back.

#include <GL/glew.h>

class Framebuffer {
public:
    static constexpr int DEFAULT_WIDTH = 1024; // pixels
    static constexpr int DEFAULT_HEIGHT = 768; // pixels

    Framebuffer() = default;
    // The GL names are owned by whichever copy releases them; keep it in one place.
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // How the colour texture is filtered when read: nearest by default, where one texel
    // meets one pixel; linear for a target that is scaled up. Takes effect on the next
    // allocation.
    void setColourFilter(GLint filter) { colourFilter_ = filter; }

    // Makes the framebuffer object and its two textures at the current size (the default
    // size unless resize came first). A target that already exists is left as it is.
    void create();
    // Draws go into the target from now on, over its whole size.
    void bind();
    // Back to the window; the viewport is left for the caller.
    void unbind();
    // New textures of the given size, attached to the same framebuffer object. Nothing
    // happens when the size is unchanged or either side is not positive.
    void resize(int width, int height);
    // Deletes the framebuffer object and both textures; safe to call twice.
    void release();

    bool isCreated() const { return framebuffer_ >= 0; }
    int framebuffer() const { return framebuffer_; }
    // Texture names, -1 until created.
    int depthTexture() const { return depthTexture_; }
    int colorTexture() const { return colorTexture_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    // With the framebuffer bound: allocate both textures at the current size and attach them.
    void createAttachments();

    int framebuffer_ = -1;
    int depthTexture_ = -1;
    int colorTexture_ = -1;
    GLint colourFilter_ = GL_NEAREST;
    int width_ = DEFAULT_WIDTH;
    int height_ = DEFAULT_HEIGHT;
};
