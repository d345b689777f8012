#pragma once
// One line of text drawn from a 16 x 16 glyph bitmap (code 0 top left, codes running left to
// right, then downward). The whole line fills a box one unit wide and one unit high in object
// space whatever its length; the scale gives its size on screen.

#include "render/SceneObject.h"

#include <optional>
#include <string>
#include <vector>

class Text2D : public SceneObject {
public:
    // Where the box sits relative to the object's position.
    enum Alignment {
        ALIGN_CENTER = 0, // centred on it
        ALIGN_LEFT = 1,   // starts at it and extends right
        ALIGN_RIGHT = 2,  // ends at it
    };

    Text2D();
    ~Text2D() override;

    // A texture of -1 asks for the default font, "res/font.png".
    void setFont(int texture, int unit);
    void setAlignment(int alignment);
    // Rebuilds the glyph mesh when the text differs from the current one.
    void setText(const std::string& text);
    // The share of each glyph cell's width that is drawn, centred: below 1 the cells' empty
    // sides are left out, so letters stand closer, as in running text. 1 by default.
    void setCellShare(float share);

    // Empty before the first setText.
    const std::string& text() const;
    bool hasText() const { return text_.has_value(); }
    int alignment() const { return alignment_; }
    int fontTexture() const { return fontTexture_; }
    int textureUnit() const { return textureUnit_; }

    void draw(Shader* shader) override;

    // The glyph mesh of a text: four vec2 positions and four vec2 texture coordinates per
    // byte, in triangle-strip order.
    static void buildMesh(const std::string& text, int alignment, std::vector<float>& positions,
                          std::vector<float>& texcoords, float cellShare = 1.0f);
    // The grid cell a text byte is drawn from (0 to 255).
    static int glyphCell(char code);

    static constexpr const char* DEFAULT_FONT = "res/font.png";

private:
    void releaseMesh();
    void uploadMesh();

    std::optional<std::string> text_;
    int textureUnit_ = -1;
    int fontTexture_ = -1;
    int alignment_ = ALIGN_CENTER;
    float cellShare_ = 1.0f;
};
