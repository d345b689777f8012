#include "render/Sampler.h"

#include <GL/glew.h>

Sampler Sampler::texels()
{
    return Sampler(GL_NEAREST, GL_NEAREST, GL_MIRRORED_REPEAT);
}

Sampler Sampler::oneMipmap()
{
    return Sampler(GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_REPEAT);
}

Sampler Sampler::wholePicture()
{
    return Sampler(GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE);
}

void Sampler::bind(int unit)
{
    if (!sampler) {
        glGenSamplers(1, &sampler);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magFilter);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, wrap);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, wrap);
    }
    glBindSampler(GLuint(unit), sampler);
}

void Sampler::unbind(int unit)
{
    glBindSampler(GLuint(unit), 0);
}

void Sampler::release()
{
    if (sampler)
        glDeleteSamplers(1, &sampler);
    sampler = 0;
}
