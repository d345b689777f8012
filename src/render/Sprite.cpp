#include "render/Sprite.h"

#include "render/ShaderVariable.h"

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
