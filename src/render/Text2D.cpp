#include "render/Text2D.h"

#include "render/ShaderVariable.h"
#include "render/TextureManager.h"

namespace {

constexpr int GRID_CELLS = 16;                 // glyphs per row and per column
constexpr float CELL_SIZE = 1.0f / GRID_CELLS; // in texture coordinates
constexpr int DEFAULT_FONT_UNIT = 1;
constexpr int VERTICES_PER_GLYPH = 4;

} // namespace

Text2D::Text2D()
{
    transparent_ = true;
}

Text2D::~Text2D()
{
    releaseMesh();
}

void Text2D::setFont(int texture, int unit)
{
    if (texture == -1) {
        texture = static_cast<int>(TextureManager::instance().load(
            DEFAULT_FONT, GL_RGBA, GL_BGRA, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT));
    }
    fontTexture_ = texture;
    textureUnit_ = unit;
}

void Text2D::setAlignment(int alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    // The box depends on the alignment, so a text already shown moves with it.
    if (text_) {
        releaseMesh();
        uploadMesh();
    }
}

void Text2D::setCellShare(float share)
{
    if (share == cellShare_)
        return;
    cellShare_ = share;
    if (text_) {
        releaseMesh();
        uploadMesh();
    }
}

void Text2D::setText(const std::string& text)
{
    if (textureUnit_ == -1)
        setFont(-1, DEFAULT_FONT_UNIT);
    if (text_) {
        if (*text_ == text)
            return;
        releaseMesh();
    }
    text_ = text;
    uploadMesh();
}

const std::string& Text2D::text() const
{
    static const std::string none;
    return text_ ? *text_ : none;
}

int Text2D::glyphCell(char code)
{
    // Bytes above 127 take the lower half of the grid (cells 128 to 255) rather than running
    // off its top edge.
    return static_cast<unsigned char>(code);
}

void Text2D::buildMesh(const std::string& text, int alignment, std::vector<float>& positions,
                       std::vector<float>& texcoords, float cellShare)
{
    positions.clear();
    texcoords.clear();
    const std::size_t n = text.size();
    positions.reserve(n * VERTICES_PER_GLYPH * 2);
    texcoords.reserve(n * VERTICES_PER_GLYPH * 2);

    float xOffset = -0.5f;
    float bottom = -0.5f;
    float top = 0.5f;
    if (alignment == ALIGN_LEFT) {
        xOffset = 0.0f;
        bottom = 0.0f;
        top = 1.0f;
    } else if (alignment == ALIGN_RIGHT) {
        xOffset = -1.0f;
        bottom = 0.0f;
        top = 1.0f;
    }

    const float count = static_cast<float>(n);
    for (std::size_t i = 0; i < n; ++i) {
        const float left = static_cast<float>(i) / count + xOffset;
        const float right = static_cast<float>(i + 1) / count + xOffset;
        positions.insert(positions.end(), {left, top, left, bottom, right, top, right, bottom});

        const int cell = glyphCell(text[i]);
        const float margin = (1.0f - cellShare) * CELL_SIZE / 2.0f;
        const float u = static_cast<float>(cell % GRID_CELLS) * CELL_SIZE + margin;
        const float v = static_cast<float>(cell / GRID_CELLS) * CELL_SIZE;
        const float uEnd = u + CELL_SIZE - 2.0f * margin;
        texcoords.insert(texcoords.end(),
                         {u, 1.0f - v, u, 1.0f - (v + CELL_SIZE), uEnd, 1.0f - v, uEnd, 1.0f - (v + CELL_SIZE)});
    }
}

void Text2D::uploadMesh()
{
    std::vector<float> positions;
    std::vector<float> texcoords;
    buildMesh(*text_, alignment_, positions, texcoords, cellShare_);
    vertexCount_ = static_cast<int>(text_->size()) * VERTICES_PER_GLYPH;

    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);

    glGenBuffers(1, &positionBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(float)), positions.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(ATTRIB_POSITION);
    glVertexAttribPointer(ATTRIB_POSITION, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    glGenBuffers(1, &texcoordBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, texcoordBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(texcoords.size() * sizeof(float)), texcoords.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(ATTRIB_TEXCOORD);
    glVertexAttribPointer(ATTRIB_TEXCOORD, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void Text2D::releaseMesh()
{
    glDeleteBuffers(1, &positionBuffer_);
    glDeleteBuffers(1, &texcoordBuffer_);
    glDeleteVertexArrays(1, &vertexArray_);
    positionBuffer_ = 0;
    texcoordBuffer_ = 0;
    vertexArray_ = 0;
    vertexCount_ = 0;
}

void Text2D::draw(Shader*)
{
    if (vertexCount_ == 0)
        return;
    drawTexturedStrip(fontTexture_, textureUnit_);
}
