// The off-screen target of the motion-blur frames: what create, bind, resize and release
// leave behind in GL.

#include "GlTestContext.h"
#include "render/Framebuffer.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

GLint textureSide(int texture, GLenum side)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, side, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

GLint boundFramebuffer()
{
    GLint name = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &name);
    return name;
}

std::pair<GLint, GLint> viewportSize()
{
    GLint box[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, box);
    return {box[2], box[3]};
}

bool complete(const Framebuffer& target)
{
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(target.framebuffer()));
    const bool isComplete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return isComplete;
}

// Fills the target with red, to tell later whether its colour texture was replaced.
void paintRed(Framebuffer& target)
{
    target.bind();
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    target.unbind();
}

int centreRed(const Framebuffer& target)
{
    std::vector<unsigned char> pixels(std::size_t(target.width()) * target.height() * 4);
    glBindTexture(GL_TEXTURE_2D, GLuint(target.colorTexture()));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return pixels[pixels.size() / 2];
}

class FramebufferGlTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        glViewport(0, 0, 256, 256);
    }

    void TearDown() override
    {
        target.release();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    Framebuffer target;
};

} // namespace

TEST_F(FramebufferGlTest, CreateAndBindGiveACompleteTargetDrawnOverItsWholeSize)
{
    target.create();
    ASSERT_TRUE(complete(target));
    EXPECT_EQ(boundFramebuffer(), 0) << "create leaves the window bound";
    EXPECT_EQ(textureSide(target.colorTexture(), GL_TEXTURE_WIDTH), 1024);
    EXPECT_EQ(textureSide(target.depthTexture(), GL_TEXTURE_HEIGHT), 768);

    target.bind();
    EXPECT_EQ(boundFramebuffer(), target.framebuffer());
    EXPECT_EQ(viewportSize(), std::make_pair(1024, 768));
    target.unbind();
    EXPECT_EQ(boundFramebuffer(), 0);
    EXPECT_EQ(viewportSize(), std::make_pair(1024, 768)) << "unbind leaves the viewport to the caller";

    paintRed(target);
    EXPECT_EQ(centreRed(target), 255);
}

TEST_F(FramebufferGlTest, ResizeRebuildsOnlyOnARealSizeChangeAndKeepsTheTargetOfAMinimisedWindow)
{
    target.create();
    paintRed(target);
    const int framebuffer = target.framebuffer();
    const int colour = target.colorTexture();
    const int depth = target.depthTexture();

    // The same size, a minimised window (0 x 0) or a nonsense size: the very same textures,
    // still holding the last frame.
    target.resize(1024, 768);
    target.resize(0, 0);
    target.resize(800, 0);
    target.resize(-5, 600);
    EXPECT_EQ(target.width(), 1024);
    EXPECT_EQ(target.height(), 768);
    EXPECT_EQ(target.colorTexture(), colour);
    EXPECT_EQ(target.depthTexture(), depth);
    EXPECT_EQ(centreRed(target), 255);

    // The window comes back at a new size: new textures on the same framebuffer object.
    target.resize(1600, 900);
    EXPECT_EQ(target.framebuffer(), framebuffer);
    EXPECT_EQ(textureSide(target.colorTexture(), GL_TEXTURE_WIDTH), 1600);
    EXPECT_EQ(textureSide(target.depthTexture(), GL_TEXTURE_HEIGHT), 900);
    EXPECT_TRUE(complete(target));
    EXPECT_EQ(boundFramebuffer(), 0);
    target.bind();
    EXPECT_EQ(viewportSize(), std::make_pair(1600, 900));
    target.unbind();

    // A size given before the target exists is the size it is made at; binding it before
    // then leaves the window in place.
    Framebuffer later;
    later.resize(640, 480);
    later.bind();
    EXPECT_EQ(boundFramebuffer(), 0);
    later.create();
    EXPECT_EQ(textureSide(later.colorTexture(), GL_TEXTURE_WIDTH), 640);
    later.release();
}

TEST_F(FramebufferGlTest, ReleaseDeletesEverythingAndIsSafeToRepeat)
{
    target.create();
    const GLuint framebuffer = GLuint(target.framebuffer());
    const GLuint colour = GLuint(target.colorTexture());
    const GLuint depth = GLuint(target.depthTexture());

    target.release();
    EXPECT_FALSE(glIsFramebuffer(framebuffer));
    EXPECT_FALSE(glIsTexture(colour));
    EXPECT_FALSE(glIsTexture(depth));
    EXPECT_EQ(target.colorTexture(), -1);
    EXPECT_EQ(target.depthTexture(), -1);

    target.release();
    target.resize(300, 200);
}
