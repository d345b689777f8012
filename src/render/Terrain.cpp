#include "render/Terrain.h"

#include "render/MovableCamera.h"
#include "render/Shader.h"
#include "render/ShaderVariable.h"
#include "render/TerrainDetail.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr const char* HEIGHTMAP_PATH = "res/heightmap.png";
constexpr const char* NORMAL_MAP_PATH = "res/1047-5-normal.jpg";
constexpr const char* COLOR_MAP_PATH = "res/1047-5.jpg";

constexpr float HEIGHTMAP_TILE = 600.0f; // world units per heightmap tile
constexpr float DETAIL_TILING = 100.0f;  // colour and normal map repeats per heightmap tile
constexpr float DIFFUSE_POWER = 0.85f;
constexpr float AMBIENT_POWER = 0.25f;
constexpr float SPECULAR_POWER = 0.2f;
constexpr float SPECULAR_EXPONENT = 5.0f; // AUTO's ground programs multiply it out: keep them equal

constexpr int COLOR_UNIT = 1;
constexpr int HEIGHTMAP_UNIT = 2;
constexpr int NORMAL_UNIT = 3;
// The registry key of AUTO's packed colour and normal map, made from the two files above.
constexpr const char* DETAIL_KEY = "packed: res/1047-5.jpg + res/1047-5-normal.jpg";

// Beyond this many cells along one side of a box, the area query samples only the box's
// corners and centre. Every box the game asks about spans a handful of cells; the limit keeps
// absurd boxes (and coordinates so large that adding a cell no longer changes a float) from
// running for ever.
constexpr double MAX_AREA_CELLS = 256.0;

// Position of a coordinate inside its heightmap tile, in [0, 1]: even tiles as stored, odd
// tiles mirrored, negative coordinates mirroring the positive side.
float mirroredFraction(float coordinate, float tileLength)
{
    const float u = std::fabs(coordinate / tileLength);
    const float tile = std::trunc(u);
    float fraction = u - tile;
    if (std::fmod(tile, 2.0f) == 1.0f)
        fraction = 1.0f - fraction;
    return fraction;
}

std::uint32_t pixelIndex(float fraction, std::uint32_t size)
{
    const float scaled = float(size) * fraction;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= float(size - 1))
        return size - 1;
    return std::uint32_t(scaled);
}

} // namespace

Terrain::Terrain() : textureScale1_(HEIGHTMAP_TILE)
{}

Terrain::~Terrain()
{
    releaseMesh();
}

void Terrain::releaseMesh()
{
    lod_.release();
    if (indexBuffer_)
        glDeleteBuffers(1, &indexBuffer_);
    if (positionBuffer_)
        glDeleteBuffers(1, &positionBuffer_);
    if (vertexArray_)
        glDeleteVertexArrays(1, &vertexArray_);
    indexBuffer_ = positionBuffer_ = vertexArray_ = 0;
    vertexCount_ = indexCount_ = 0;
}

void Terrain::generate(int width, int depth)
{
    releaseMesh();
    width = std::clamp(width, 0, MAX_GRID_SIDE);
    depth = std::clamp(depth, 0, MAX_GRID_SIDE);

    // Whole cells from the centre fit in shorts, which the vertex fetch turns into exactly the
    // same floats: half the floats' memory.
    std::vector<std::int16_t> vertices;
    vertices.reserve(std::size_t(width) * depth * 3);
    for (int z = -depth / 2; z <= depth - depth / 2 - 1; ++z)
        for (int x = -width / 2; x <= width - width / 2 - 1; ++x)
            vertices.insert(vertices.end(), {std::int16_t(x), std::int16_t(0), std::int16_t(z)});

    // One strip snaking across the rows: left to right on even rows, right to left on odd
    // ones; the turns between rows only make zero-area triangles.
    std::vector<std::uint32_t> indices;
    if (depth > 1)
        indices.reserve(std::size_t(depth - 1) * 2 * width);
    for (int r = 0; r + 1 < depth; ++r) {
        if (r % 2 == 0) {
            for (int c = 0; c < width; ++c) {
                indices.push_back(std::uint32_t(r * width + c));
                indices.push_back(std::uint32_t((r + 1) * width + c));
            }
        } else {
            for (int c = width - 1; c >= 0; --c) {
                indices.push_back(std::uint32_t((r + 1) * width + c));
                indices.push_back(std::uint32_t(r * width + c));
            }
        }
    }
    vertexCount_ = width * depth;
    indexCount_ = int(indices.size());
    // The vertex program lifts a vertex by the heightmap's 0..1, which the model matrix scales.
    culling_ = TerrainCulling(width, depth, 1.0f);
    lod_.build(width, depth);

    TextureManager& textures = TextureManager::instance();
    heightmapUnit_ = HEIGHTMAP_UNIT;
    heightmapTexture_ = textures.load(HEIGHTMAP_PATH, GL_RED, GL_RED, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR,
                                      GL_MIRRORED_REPEAT, GL_MIRRORED_REPEAT);
    loadHeights(HEIGHTMAP_PATH);
    // Four bytes a texel: a software renderer samples them on its fast path, several times a
    // pixel of the ground, where three-byte texels cost some 15 percent of an AUTO frame.
    normalUnit_ = NORMAL_UNIT;
    normalTexture_ =
        textures.load(NORMAL_MAP_PATH, GL_RGBA8, GL_BGR, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
    colorUnit_ = COLOR_UNIT;
    colorTexture_ =
        textures.load(COLOR_MAP_PATH, GL_RGBA8, GL_BGR, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
    detail_.build(DETAIL_KEY, colorTexture_, normalTexture_, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);

    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(1, &positionBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(std::int16_t)), vertices.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(ATTRIB_POSITION);
    glVertexAttribPointer(ATTRIB_POSITION, 3, GL_SHORT, GL_FALSE, 0, nullptr);
    glGenBuffers(1, &indexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(std::uint32_t)), indices.data(),
                 GL_STATIC_DRAW);
    // The element buffer binding belongs to the vertex array, so unbind that first.
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

bool Terrain::loadHeights(const std::string& path)
{
    std::uint32_t width = 0, height = 0;
    heights.reset(TextureManager::instance().loadPixels(path, width, height, GL_RED));
    if (!heights)
        width = height = 0;
    heightmapWidth_ = width;
    heightmapHeight_ = height;
    return heights != nullptr;
}

void Terrain::setCamera(MovableCamera** cameraRef)
{
    cameraRef_ = cameraRef;
}

void Terrain::update(double)
{
    if (!cameraRef_ || !*cameraRef_)
        return;
    const glm::vec3 eye = (*cameraRef_)->eye();

    // Whole cells only, so the vertices always sit on the same world grid.
    const auto follow = [](float cameraCoordinate, float& coordinate, float cell) {
        const float dx = std::round(cameraCoordinate) - coordinate;
        if (!std::isfinite(dx) || !(cell > 0.0f))
            return;
        if (std::fabs(dx) >= cell)
            coordinate += std::trunc(dx / cell) * cell;
    };
    follow(eye.x, position_.x, scale_.x);
    follow(eye.z, position_.z, scale_.z);
}

void Terrain::applyMaterial() const
{
    setUniform1f(UNIFORM_TEXTURE_SCALE1, textureScale1_);
    setUniform1f(UNIFORM_TEXTURE_SCALE2, DETAIL_TILING);
    setUniform1f(UNIFORM_DIFFUSE_POWER, DIFFUSE_POWER);
    setUniform1f(UNIFORM_AMBIENT_POWER, AMBIENT_POWER);
    setUniform1f(UNIFORM_SPECULAR_POWER, SPECULAR_POWER);
    setUniform1f(UNIFORM_SPECULAR_REFLECTION_EXPONENT, SPECULAR_EXPONENT);
    detail_.apply(currentProgram(), DETAIL_UNIT);
    const auto bind = [](int id, int unit, GLuint texture) {
        setUniform1i(id, unit);
        glActiveTexture(GLenum(GL_TEXTURE0 + unit));
        glBindTexture(GL_TEXTURE_2D, texture);
    };
    bind(UNIFORM_TEXTURE_MAP2, heightmapUnit_, heightmapTexture_);
    bind(UNIFORM_TEXTURE_MAP3, normalUnit_, normalTexture_);
    bind(UNIFORM_TEXTURE_MAP, colorUnit_, colorTexture_);
}

void Terrain::draw(Shader* shader)
{
    applyMaterial();
    if (levelOfDetail_ && cullingEnabled && shader) {
        const glm::mat4& view = shader->viewMatrix();
        lod_.select(shader->modelMatrix(), shader->projectionMatrix() * view, glm::vec3(glm::inverse(view)[3]));
        const bool farApart = farShader_ && farShader_->program() != 0;
        lod_.draw(shader->program(), 0, farApart ? 1 : TerrainLod::LEVELS);
        if (farApart)
            drawFarLevels(*shader);
        return;
    }
    if (shader)
        lod_.useWholeStrip(shader->program());
    glBindVertexArray(vertexArray_);
    if (cullingEnabled && shader) {
        culling_.cull(shader->projectionMatrix() * shader->viewMatrix() * shader->modelMatrix());
        if (culling_.rangeCount() > 0)
            glMultiDrawElements(GL_TRIANGLE_STRIP, culling_.counts().data(), GL_UNSIGNED_INT, culling_.offsets().data(),
                                GLsizei(culling_.rangeCount()));
    } else {
        glDrawElements(GL_TRIANGLE_STRIP, indexCount_, GL_UNSIGNED_INT, nullptr);
    }
    glBindVertexArray(0);
}

void Terrain::drawFarLevels(Shader& nearShader)
{
    farShader_->use();
    farShader_->setViewMatrix(nearShader.viewMatrix());
    farShader_->setProjectionMatrix(nearShader.projectionMatrix());
    farShader_->setModelMatrix(nearShader.modelMatrix());
    setUniform3f(UNIFORM_LIGHT_POSITION_WORLD, lightPosition_.x, lightPosition_.y, lightPosition_.z);
    setUniform1f(UNIFORM_TRANSPARENCY, sentTransparency());
    applyMaterial();
    lod_.draw(farShader_->program(), 1, TerrainLod::LEVELS);
    nearShader.use();
}

float Terrain::heightAt(float x, float z) const
{
    if (!heights || heightmapWidth_ == 0 || heightmapHeight_ == 0)
        return 0.0f;
    const float fu = mirroredFraction(x, textureScale1_);
    const float fv = mirroredFraction(z, textureScale1_);
    // Also catches coordinates that are not finite: their fraction is NaN.
    if (!std::isfinite(fu) || !std::isfinite(fv))
        return 0.0f;
    const std::uint32_t px = pixelIndex(fu, heightmapWidth_);
    const std::uint32_t py = pixelIndex(fv, heightmapHeight_);
    return scale_.y * float(heights[std::size_t(py) * heightmapWidth_ + px]) / 255.0f;
}

float Terrain::maxHeightInArea(float x, float z, const glm::vec3& boxMin, const glm::vec3& boxMax) const
{
    const float x0 = x + boxMin.x, z0 = z + boxMin.z;
    const float x1 = x + boxMax.x, z1 = z + boxMax.z;

    // Snap the box outward to the corners of the cells it touches: the low corner down to the
    // grid line at or below it, the high corner up to the one at or above it. Rounding toward
    // zero would pull the box inward on the negative side, where every throw lands.
    const float sx = scale_.x, sz = scale_.z;
    const float gx0 = std::floor(x0 / sx) * sx, gz0 = std::floor(z0 / sz) * sz;
    float gx1 = std::floor(x1 / sx) * sx, gz1 = std::floor(z1 / sz) * sz;
    if (x1 - gx1 > 0.0f)
        gx1 += sx;
    if (z1 - gz1 > 0.0f)
        gz1 += sz;

    float result = heightAt(x, z);

    // Count the cells as integers: a float loop would never end once adding one cell no longer
    // changes the coordinate.
    const double columns = std::floor((double(gx1) - gx0) / sx + 0.5);
    const double rows = std::floor((double(gz1) - gz0) / sz + 0.5);
    const bool sane =
        std::isfinite(columns) && std::isfinite(rows) && columns <= MAX_AREA_CELLS && rows <= MAX_AREA_CELLS;
    if (!sane) {
        const float corners[5][2] = {
            {gx0, gz0}, {gx0, gz1}, {gx1, gz0}, {gx1, gz1}, {0.5f * (x0 + x1), 0.5f * (z0 + z1)}};
        for (const auto& corner : corners)
            result = std::max(result, heightAt(corner[0], corner[1]));
        return result;
    }
    for (int i = 0; i <= int(columns); ++i) {
        const float gx = gx0 + float(i) * sx;
        for (int j = 0; j <= int(rows); ++j)
            result = std::max(result, heightAt(gx, gz0 + float(j) * sz));
    }
    return result;
}

float Terrain::maxHeightUnder(const SceneObject& object) const
{
    const glm::vec3 p = object.position();
    return maxHeightInArea(p.x, p.z, object.boundsMin(), object.boundsMax());
}

float Terrain::placeOnGround(SceneObject& object) const
{
    glm::vec3 p = object.position();
    p.y = heightAt(p.x, p.z);
    object.setPosition(p);
    return p.y;
}

float Terrain::placeOnTop(SceneObject& object) const
{
    glm::vec3 p = object.position();
    p.y = maxHeightUnder(object);
    object.setPosition(p);
    return p.y;
}
