#pragma once
// A model's lighting parameters and its diffuse textures.

#include <GL/glew.h>

#include <memory>
#include <vector>

// One texture of a material and where it is bound when a mesh is drawn.
struct MaterialTexture {
    GLuint texture = 0; // owned by the TextureManager
    int unit = 0;
    GLenum target = GL_TEXTURE_2D;

    // Points "textureMap" at the unit and binds the texture there.
    void bind() const;
};

struct Material {
    // Set by whoever creates the model, before the first draw.
    float diffusePower = 0.0f;
    float specularPower = 0.0f;
    float ambientPower = 0.0f;
    float specularReflectionExponent = 0.0f;
    // In material order, skipping materials that have no diffuse texture.
    std::vector<std::unique_ptr<MaterialTexture>> textures;
    // Per material index: its position in textures, or -1 when it has none. This keeps the
    // lookup right when a material without a texture comes before one with a texture.
    std::vector<int> textureOfMaterial;

    // The texture record of a material index, or null when it has none.
    const MaterialTexture* textureFor(unsigned materialIndex) const;
    // Uploads the four lighting floats to the program in use.
    void upload() const;
    // Takes the four lighting floats of another material; the textures stay as they are.
    void copyLighting(const Material& other);
};
