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

    // Finds the part of the texture that has any opacity, plus padding texels on each side for
    // the filters' reach (read back from GL's top level; none when nothing is visible).
    void findVisiblePart(int paddingTexels);
    // Draws only that part, each pixel where the whole quad put it, or the whole quad again: a
    // mostly empty image (the power wheel's arrow) then costs only the pixels it covers. The
    // two can differ in the last bit of a few edge pixels, where the triangles' split differs.
    void setVisiblePartOnly(bool only);

protected:
    void setQuad(float u0, float v0, float u1, float v1);

    float visiblePart_[4] = {0.0f, 0.0f, 1.0f, 1.0f}; // u0, v0, u1, v1
    bool visiblePartOnly_ = false;
    int textureUnit_ = -1;
    int texture_ = -1;
};
