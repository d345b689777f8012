#pragma once
// The HUD gauge of Grov's rage (0 to 1): a frame with an empty trough, and over it a fill
// image that the "textureWithColor" program shows up to the rage value and tints red.

#include "render/SceneObject.h"
#include "render/Sprite.h"

#include <string>

class RageMeter : public SceneObject {
public:
    RageMeter() = default;
    ~RageMeter() override = default;

    // Loads the frame and the fill image and hands them to the two sprites.
    void setTextures(const std::string& backgroundPath, const std::string& fillPath);

    // Stored as given: the game keeps it within 0 to 1, the gauge neither clamps nor changes it.
    void setValue(float value) { value_ = value; }
    float value() const { return value_; }

    // Both images are mostly empty: Sprite::findVisiblePart and setVisiblePartOnly, for the two.
    void findVisibleParts(int paddingTexels);
    void setVisiblePartOnly(bool only);

    // Draws the frame, then the fill, both placed, sized and shaded like the gauge itself.
    void draw(Shader* shader) override;

    const Sprite& background() const { return background_; }
    const Sprite& fill() const { return fill_; }

private:
    Sprite background_;
    Sprite fill_;
    float value_ = 1.0f; // the World starts the gauge full
};
