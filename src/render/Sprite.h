#pragma once
// A textured quad spanning [-1, 1] in x and y of its own space, so its scale is half its size.

#include "render/SceneObject.h"

class Sprite : public SceneObject {
public:
    Sprite();
    ~Sprite() override;

    // The GL texture to show and the texture unit it is bound to while drawing.
    void setTexture(int texture, int unit);
    int texture() const { return texture_; }
    int textureUnit() const { return textureUnit_; }

    void draw(Shader* shader) override;

protected:
    int textureUnit_ = -1;
    int texture_ = -1;
};
