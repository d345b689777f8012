#include "render/Sprite.h"

#include "render/ShaderVariable.h"
#include "render/TextureManager.h"

#include <algorithm>

namespace {

constexpr int QUAD_VERTICES = 4;
// Triangle-strip order: top left, bottom left, top right, bottom right.
constexpr float QUAD_POSITIONS[QUAD_VERTICES * 3] = {
    -1.0f, 1.0f, 0.0f, -1.0f, -1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, -1.0f, 0.0f,
};
constexpr float QUAD_TEXCOORDS[QUAD_VERTICES * 2] = {
    0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f,
};

} // namespace

Sprite::Sprite()
{
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);

    glGenBuffers(1, &positionBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    glBufferData(GL_ARRAY_BUFFER, sizeof QUAD_POSITIONS, QUAD_POSITIONS, GL_STATIC_DRAW);
    glEnableVertexAttribArray(ATTRIB_POSITION);
    glVertexAttribPointer(ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, 0, nullptr);

    glGenBuffers(1, &texcoordBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, texcoordBuffer_);
    glBufferData(GL_ARRAY_BUFFER, sizeof QUAD_TEXCOORDS, QUAD_TEXCOORDS, GL_STATIC_DRAW);
    glEnableVertexAttribArray(ATTRIB_TEXCOORD);
    glVertexAttribPointer(ATTRIB_TEXCOORD, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    vertexCount_ = QUAD_VERTICES;
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

    int left = width, right = -1, bottom = height, top = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (texels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4 + 3] > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = std::min(bottom, y);
                top = std::max(top, y);
            }
    if (right < 0)
        return;
    visiblePart_[0] = float(std::max(left - paddingTexels, 0)) / float(width);
    visiblePart_[1] = float(std::max(bottom - paddingTexels, 0)) / float(height);
    visiblePart_[2] = float(std::min(right + 1 + paddingTexels, width)) / float(width);
    visiblePart_[3] = float(std::min(top + 1 + paddingTexels, height)) / float(height);
    if (visiblePartOnly_)
        setQuad(visiblePart_[0], visiblePart_[1], visiblePart_[2], visiblePart_[3]);
}

void Sprite::setVisiblePartOnly(bool only)
{
    if (only == visiblePartOnly_)
        return;
    visiblePartOnly_ = only;
    if (only)
        setQuad(visiblePart_[0], visiblePart_[1], visiblePart_[2], visiblePart_[3]);
    else
        setQuad(0.0f, 0.0f, 1.0f, 1.0f);
}

void Sprite::setQuad(float u0, float v0, float u1, float v1)
{
    // The whole quad's strip order; a texture coordinate t sits at position 2t - 1.
    const float texcoords[QUAD_VERTICES * 2] = {u0, v1, u0, v0, u1, v1, u1, v0};
    float positions[QUAD_VERTICES * 3];
    for (int i = 0; i < QUAD_VERTICES; ++i) {
        positions[i * 3] = texcoords[i * 2] * 2.0f - 1.0f;
        positions[i * 3 + 1] = texcoords[i * 2 + 1] * 2.0f - 1.0f;
        positions[i * 3 + 2] = 0.0f;
    }
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof positions, positions);
    glBindBuffer(GL_ARRAY_BUFFER, texcoordBuffer_);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof texcoords, texcoords);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
