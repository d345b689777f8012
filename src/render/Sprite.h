#pragma once
// A textured quad spanning [-1, 1] in x and y of its own space, so its scale is half its size.

#include "render/SceneObject.h"

#include <glm/glm.hpp>

#include <vector>

class Sprite : public SceneObject {
public:
    Sprite();
    ~Sprite() override;

    // The GL texture to show and the texture unit it is bound to while drawing.
    void setTexture(int texture, int unit);
    int texture() const { return texture_; }
    int textureUnit() const { return textureUnit_; }

    void draw(Shader* shader) override;

    // Finds the part of the texture that has any opacity, plus padding texels on every side for
    // the filters' reach (read back from GL's top level; none when nothing is visible): the
    // smallest octagon around it with sides along the image's edges and its diagonals, so a
    // round image (the power wheel) leaves out most of its empty corners too.
    void findVisiblePart(int paddingTexels);
    // Draws only that part, each pixel where the whole quad put it, or the whole quad again: a
    // mostly empty image (the power wheel's arrow) then costs only the pixels it covers. The
    // two can differ in the last bit of a few edge pixels, where the triangles' split differs.
    void setVisiblePartOnly(bool only);
    // The visible part's corners in texture coordinates, counter-clockwise; the whole image's
    // four before any is found.
    const std::vector<glm::vec2>& visiblePart() const { return visiblePart_; }

protected:
    // The whole image's corners from the top left, counter-clockwise: as a strip, top left,
    // bottom left, top right, bottom right, the quad every sprite starts with.
    static std::vector<glm::vec2> wholeImage() { return {{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}}; }
    // Draws the convex outline (texture coordinates, counter-clockwise) of the image.
    void setOutline(const std::vector<glm::vec2>& outline);

    std::vector<glm::vec2> visiblePart_ = wholeImage();
    bool visiblePartOnly_ = false;
    int textureUnit_ = -1;
    int texture_ = -1;
};
