#include "render/Sprite.h"

#include "render/ShaderVariable.h"
#include "render/TextureManager.h"

#include <algorithm>

namespace {

// Cuts the convex outline down to the half-plane a * x + b * y <= limit (one Sutherland-Hodgman
// step): corners inside stay, and each side that crosses the line ends where it crosses.
void clipOutline(std::vector<glm::vec2>& outline, float a, float b, float limit)
{
    std::vector<glm::vec2> kept;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const glm::vec2& from = outline[i];
        const glm::vec2& to = outline[(i + 1) % outline.size()];
        const float fromOver = a * from.x + b * from.y - limit;
        const float toOver = a * to.x + b * to.y - limit;
        if (fromOver <= 0.0f)
            kept.push_back(from);
        if ((fromOver < 0.0f && toOver > 0.0f) || (fromOver > 0.0f && toOver < 0.0f))
            kept.push_back(from + (to - from) * (fromOver / (fromOver - toOver)));
    }
    outline = kept;
}

} // namespace

Sprite::Sprite()
{
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(1, &positionBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    glEnableVertexAttribArray(ATTRIB_POSITION);
    glVertexAttribPointer(ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glGenBuffers(1, &texcoordBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, texcoordBuffer_);
    glEnableVertexAttribArray(ATTRIB_TEXCOORD);
    glVertexAttribPointer(ATTRIB_TEXCOORD, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    setOutline(wholeImage());
}

Sprite::~Sprite()
{
    glDeleteBuffers(1, &positionBuffer_);
    glDeleteBuffers(1, &texcoordBuffer_);
    glDeleteVertexArrays(1, &vertexArray_);
}

void Sprite::setTexture(int texture, int unit)
{
    texture_ = texture;
    textureUnit_ = unit;
}

void Sprite::draw(Shader*)
{
    drawTexturedStrip(texture_, textureUnit_);
}

void Sprite::findVisiblePart(int paddingTexels)
{
    if (texture_ <= 0)
        return;
    int width = 0, height = 0;
    const std::vector<unsigned char> texels = TextureManager::readTopLevel(GLuint(texture_), width, height);

    // Texel extents along x, y and the two diagonals, x + y and x - y.
    int left = width, right = -1, bottom = height, top = -1;
    int lowSum = width + height, highSum = -1, lowDifference = width, highDifference = -height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (texels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4 + 3] > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = std::min(bottom, y);
                top = std::max(top, y);
                lowSum = std::min(lowSum, x + y);
                highSum = std::max(highSum, x + y);
                lowDifference = std::min(lowDifference, x - y);
                highDifference = std::max(highDifference, x - y);
            }
    if (right < 0)
        return;
    // Every point within the padding of a visible texel's square is kept: along a diagonal the
    // padding counts twice, once for each axis.
    const float pad = float(paddingTexels);
    std::vector<glm::vec2> outline = {
        {std::max(float(left) - pad, 0.0f), std::max(float(bottom) - pad, 0.0f)},
        {std::min(float(right + 1) + pad, float(width)), std::max(float(bottom) - pad, 0.0f)},
        {std::min(float(right + 1) + pad, float(width)), std::min(float(top + 1) + pad, float(height))},
        {std::max(float(left) - pad, 0.0f), std::min(float(top + 1) + pad, float(height))},
    };
    // Each corner cut keeps a * x + b * y <= limit.
    clipOutline(outline, -1.0f, -1.0f, -(float(lowSum) - 2.0f * pad));
    clipOutline(outline, 1.0f, 1.0f, float(highSum) + 2.0f + 2.0f * pad);
    clipOutline(outline, -1.0f, 1.0f, -(float(lowDifference) - 1.0f - 2.0f * pad));
    clipOutline(outline, 1.0f, -1.0f, float(highDifference) + 1.0f + 2.0f * pad);
    for (glm::vec2& corner : outline)
        corner /= glm::vec2(float(width), float(height));
    visiblePart_ = outline;
    if (visiblePartOnly_)
        setOutline(visiblePart_);
}

void Sprite::setVisiblePartOnly(bool only)
{
    if (only == visiblePartOnly_)
        return;
    visiblePartOnly_ = only;
    setOutline(only ? visiblePart_ : wholeImage());
}

void Sprite::setOutline(const std::vector<glm::vec2>& outline)
{
    // A convex outline as one strip: zigzag from its first corner inward from both ends.
    std::vector<float> texcoords, positions;
    const std::size_t count = outline.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t corner = i % 2 == 0 ? (count - i / 2) % count : (i + 1) / 2;
        const glm::vec2& t = outline[corner];
        texcoords.insert(texcoords.end(), {t.x, t.y});
        // A texture coordinate t sits at position 2t - 1.
        positions.insert(positions.end(), {t.x * 2.0f - 1.0f, t.y * 2.0f - 1.0f, 0.0f});
    }
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(positions.size() * sizeof(float)), positions.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, texcoordBuffer_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(texcoords.size() * sizeof(float)), texcoords.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    vertexCount_ = int(count);
}
