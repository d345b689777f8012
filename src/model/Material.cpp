#include "model/Material.h"

#include "render/ShaderVariable.h"

void MaterialTexture::bind() const
{
    setUniform1i(UNIFORM_TEXTURE_MAP, unit);
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glBindTexture(target, texture);
}

const MaterialTexture* Material::textureFor(unsigned materialIndex) const
{
    if (materialIndex >= textureOfMaterial.size())
        return nullptr;
    const int position = textureOfMaterial[materialIndex];
    if (position < 0 || size_t(position) >= textures.size())
        return nullptr;
    return textures[size_t(position)].get();
}

void Material::upload() const
{
    setUniform1f(UNIFORM_DIFFUSE_POWER, diffusePower);
    setUniform1f(UNIFORM_AMBIENT_POWER, ambientPower);
    setUniform1f(UNIFORM_SPECULAR_POWER, specularPower);
    setUniform1f(UNIFORM_SPECULAR_REFLECTION_EXPONENT, specularReflectionExponent);
}

void Material::copyLighting(const Material& other)
{
    diffusePower = other.diffusePower;
    specularPower = other.specularPower;
    ambientPower = other.ambientPower;
    specularReflectionExponent = other.specularReflectionExponent;
}
