#include "render/SpriteSampler.h"

#include <GL/glew.h>

void SpriteSampler::bind(int unit)
{
    if (!sampler) {
        glGenSamplers(1, &sampler);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    glBindSampler(GLuint(unit), sampler);
}

void SpriteSampler::unbind(int unit)
{
    glBindSampler(GLuint(unit), 0);
}

void SpriteSampler::release()
{
    if (sampler)
        glDeleteSamplers(1, &sampler);
    sampler = 0;
}
