#include "render/TexelSampler.h"

#include <GL/glew.h>

void TexelSampler::bind(int unit)
{
    if (!sampler) {
        glGenSamplers(1, &sampler);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    }
    glBindSampler(GLuint(unit), sampler);
}

void TexelSampler::unbind(int unit)
{
    glBindSampler(GLuint(unit), 0);
}

void TexelSampler::release()
{
    if (sampler)
        glDeleteSamplers(1, &sampler);
    sampler = 0;
}
