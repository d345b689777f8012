#include "render/Screen.h"

#include <GL/glew.h>

void clearScreen(float red, float green, float blue, float alpha)
{
    glClearColor(red, green, blue, alpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void setClearColour(float red, float green, float blue, float alpha)
{
    glClearColor(red, green, blue, alpha);
}

void bindDrawTarget(unsigned int framebuffer)
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void setViewport(int width, int height)
{
    glViewport(0, 0, width, height);
}

int drawTargetSamples()
{
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    return samples;
}

void setDepthTest(bool enabled)
{
    if (enabled)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
}

void setFaceCulling(bool enabled)
{
    if (enabled)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
}

void setPolygonLines(bool lines)
{
    glPolygonMode(GL_FRONT_AND_BACK, lines ? GL_LINE : GL_FILL);
}

TextureFilters textureFiltersFor(int mipmapMode, int samplingMode)
{
    bool bilinear = samplingMode == 1;
    GLint magnifying = bilinear ? GL_LINEAR : GL_NEAREST;
    switch (mipmapMode) {
    case 0:
        return {magnifying, magnifying};
    case 1:
        return {bilinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST, magnifying};
    default:
        return {bilinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR, magnifying};
    }
}
