#include "render/Backdrop.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

bool Backdrop::View::operator==(const View& other) const
{
    return viewProjection == other.viewProjection && width == other.width && height == other.height
        && settings == other.settings;
}

Backdrop::Drawn Backdrop::draw(const View& view, double lightDegrees, Framebuffer& target,
                               const std::function<void()>& drawStill)
{
    const double lightMoved = std::fmod(std::fabs(lightDegrees - lastLightDegrees), 360.0);
    const bool lightSteady = std::min(lightMoved, 360.0 - lightMoved) <= LIGHT_JUMP_DEGREES;
    const bool still = lightSteady && hadLastView && view == lastView;
    lastView = view;
    lastLightDegrees = lightDegrees;
    hadLastView = true;

    if (still && kept_ && view == keptView) {
        copy(keptPicture, target, 0, view.height);
        // Rows from the bottom, the last band taking what the division leaves.
        const int band = nextBand;
        nextBand = (nextBand + 1) % BANDS;
        const int firstRow = band * view.height / BANDS;
        const int rows = (band + 1) * view.height / BANDS - firstRow;
        target.bind();
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, firstRow, view.width, rows);
        drawStill();
        glDisable(GL_SCISSOR_TEST);
        copy(target, keptPicture, firstRow, rows);
        target.bind();
        return Drawn::OneBand;
    }

    target.bind();
    drawStill();
    kept_ = false;
    if (!still) {
        // A moving view keeps nothing, and holds no memory for it either.
        keptPicture.release();
        return Drawn::Whole;
    }
    keptPicture.resize(view.width, view.height);
    keptPicture.create();
    if (keptPicture.width() == view.width && keptPicture.height() == view.height) {
        copy(target, keptPicture, 0, view.height);
        keptView = view;
        kept_ = true;
    }
    target.bind();
    return Drawn::Whole;
}

void Backdrop::release()
{
    kept_ = false;
    hadLastView = false;
    keptPicture.release();
}

void Backdrop::copy(const Framebuffer& from, const Framebuffer& to, int firstRow, int rows)
{
    // Straight into the other target's two textures: a plain copy of the rows, where a blit
    // would draw them through a program on a software renderer.
    // The texture unit in use keeps what it had bound.
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(from.framebuffer()));
    for (int texture : {to.colorTexture(), to.depthTexture()}) {
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, firstRow, 0, firstRow, from.width(), rows);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
