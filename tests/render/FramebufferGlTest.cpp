// The off-screen target of the motion-blur frames: what create, bind, unbind, resize and
// release leave behind in GL.

#include "GlTestContext.h"
#include "render/Framebuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TextureInfo {
    GLint width = 0;
    GLint height = 0;
    GLint internalFormat = 0;
};

TextureInfo describe(int texture)
{
    TextureInfo info;
    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &info.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &info.height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &info.internalFormat);
    glBindTexture(GL_TEXTURE_2D, 0);
    return info;
}

GLint boundFramebuffer()
{
    GLint name = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &name);
    return name;
}

std::vector<GLint> viewport()
{
    std::vector<GLint> box(4, -1);
    glGetIntegerv(GL_VIEWPORT, box.data());
    return box;
}

// Fills the target with one colour, to tell later whether its colour texture was replaced.
void paint(Framebuffer& target, float red)
{
    target.bind();
    glClearColor(red, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    target.unbind();
}

int redOf(const Framebuffer& target)
{
    std::vector<unsigned char> pixels(std::size_t(target.width()) * target.height() * 4);
    glBindTexture(GL_TEXTURE_2D, GLuint(target.colorTexture()));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
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
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    Framebuffer target;
};

} // namespace

TEST_F(FramebufferGlTest, CreateMakesACompleteTargetAtTheDefaultSizeAndLeavesTheWindowBound)
{
    EXPECT_EQ(target.colorTexture(), -1);
    EXPECT_EQ(target.depthTexture(), -1);
    target.create();

    ASSERT_TRUE(target.isCreated());
    EXPECT_EQ(boundFramebuffer(), 0);
    EXPECT_TRUE(glIsFramebuffer(GLuint(target.framebuffer())));
    const TextureInfo colour = describe(target.colorTexture());
    const TextureInfo depth = describe(target.depthTexture());
    EXPECT_EQ(colour.width, 1024);
    EXPECT_EQ(colour.height, 768);
    EXPECT_EQ(colour.internalFormat, GL_RGBA8);
    EXPECT_EQ(depth.width, 1024);
    EXPECT_EQ(depth.height, 768);
    EXPECT_EQ(depth.internalFormat, GL_DEPTH_COMPONENT24);

    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(target.framebuffer()));
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(FramebufferGlTest, BindCoversTheWholeTargetAndUnbindLeavesTheViewportAlone)
{
    target.create();
    target.bind();
    EXPECT_EQ(boundFramebuffer(), target.framebuffer());
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 1024, 768}));

    target.unbind();
    EXPECT_EQ(boundFramebuffer(), 0);
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 1024, 768}));

    // What is drawn while bound lands in the colour texture.
    paint(target, 1.0f);
    EXPECT_EQ(redOf(target), 255);
}

TEST_F(FramebufferGlTest, ResizeRebuildsOnlyOnARealSizeChangeAndKeepsTheTargetOfAMinimisedWindow)
{
    target.create();
    paint(target, 1.0f);
    const int framebuffer = target.framebuffer();
    const int colour = target.colorTexture();
    const int depth = target.depthTexture();

    // Same size: the very same textures, still holding the last frame.
    target.resize(1024, 768);
    EXPECT_EQ(target.colorTexture(), colour);
    EXPECT_EQ(target.depthTexture(), depth);
    EXPECT_EQ(redOf(target), 255);

    // A minimised window (0 x 0) or a nonsense size: the target stays as it was.
    target.resize(0, 0);
    target.resize(800, 0);
    target.resize(-5, 600);
    EXPECT_EQ(target.width(), 1024);
    EXPECT_EQ(target.height(), 768);
    EXPECT_EQ(target.colorTexture(), colour);
    EXPECT_EQ(target.depthTexture(), depth);
    EXPECT_TRUE(glIsTexture(GLuint(colour)));
    EXPECT_EQ(redOf(target), 255);

    // The window comes back at a new size: new textures on the same framebuffer object.
    target.resize(1600, 900);
    EXPECT_EQ(target.framebuffer(), framebuffer);
    EXPECT_EQ(describe(target.colorTexture()).width, 1600);
    EXPECT_EQ(describe(target.depthTexture()).height, 900);
    EXPECT_EQ(boundFramebuffer(), 0);
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(target.framebuffer()));
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    target.bind();
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 1600, 900}));
    target.unbind();
}

TEST_F(FramebufferGlTest, ASizeGivenBeforeCreateIsTheSizeItIsCreatedAt)
{
    target.resize(640, 480);
    EXPECT_FALSE(target.isCreated());
    // Binding a target that does not exist yet leaves the window in place.
    target.bind();
    EXPECT_EQ(boundFramebuffer(), 0);

    target.create();
    EXPECT_EQ(describe(target.colorTexture()).width, 640);
    EXPECT_EQ(describe(target.depthTexture()).height, 480);
}

TEST_F(FramebufferGlTest, ReleaseDeletesEverythingAndIsSafeToRepeat)
{
    target.create();
    const int framebuffer = target.framebuffer();
    const int colour = target.colorTexture();
    const int depth = target.depthTexture();

    target.release();
    EXPECT_FALSE(glIsFramebuffer(GLuint(framebuffer)));
    EXPECT_FALSE(glIsTexture(GLuint(colour)));
    EXPECT_FALSE(glIsTexture(GLuint(depth)));
    EXPECT_EQ(target.colorTexture(), -1);
    EXPECT_EQ(target.depthTexture(), -1);
    EXPECT_FALSE(target.isCreated());

    target.release();
    target.resize(300, 200);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
