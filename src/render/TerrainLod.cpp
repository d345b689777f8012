#include "render/TerrainLod.h"

#include "render/ShaderVariable.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// A chunk takes a coarser level only this far past the level's start, so that the vertex
// program, working in single precision, surely sees its edge past the finer neighbour's morph.
constexpr double LEVEL_MARGIN = 2.0; // world units
// Boxes are tested grown by this much (object units), as the full grid's culling does.
constexpr double BOX_MARGIN = 0.5;

// Whether any part of the object-space box can be inside the view volume -w <= x, y, z <= w.
bool boxInView(const glm::dmat4& m, double x0, double x1, double y0, double y1, double z0, double z1)
{
    for (int p = 0; p < 6; ++p) {
        const int axis = p / 2;
        const double sign = p % 2 == 0 ? 1.0 : -1.0;
        const double a = m[0][3] + sign * m[0][axis], b = m[1][3] + sign * m[1][axis];
        const double c = m[2][3] + sign * m[2][axis], d = m[3][3] + sign * m[3][axis];
        const double reach = std::max(a * x0, a * x1) + std::max(b * y0, b * y1) + std::max(c * z0, c * z1) + d;
        if (reach < 0.0)
            return false;
    }
    return true;
}

} // namespace

TerrainLod::~TerrainLod()
{
    release();
}

void TerrainLod::release()
{
    for (Patch& patch : patches) {
        if (patch.indices)
            glDeleteBuffers(1, &patch.indices);
        if (patch.positions)
            glDeleteBuffers(1, &patch.positions);
        if (patch.vertexArray)
            glDeleteVertexArrays(1, &patch.vertexArray);
        patch = Patch{};
    }
    if (cornerBuffer)
        glDeleteBuffers(1, &cornerBuffer);
    cornerBuffer = 0;
    locatedProgram = 0; // a program made later may reuse the name
    uploaded = false;
    for (auto& level : picked)
        level.clear();
}

void TerrainLod::setNearReach(double share)
{
    nearReach_ = std::isfinite(share) ? std::clamp(share, MIN_NEAR_REACH, 1.0) : 1.0;
}

double TerrainLod::levelStart(int level) const
{
    const double start = LEVEL_START[std::size_t(level)];
    return level == 1 ? start * nearReach_ : start;
}

double TerrainLod::morphLength(int level) const
{
    const double length = MORPH_LENGTH[std::size_t(level)];
    return level == 0 ? length * nearReach_ : length;
}

int TerrainLod::levelFor(double distance) const
{
    int level = 0;
    while (level + 1 < LEVELS && distance >= levelStart(level + 1) + LEVEL_MARGIN)
        ++level;
    return level;
}

void TerrainLod::build(int gridWidth, int gridDepth)
{
    release();
    width = std::max(gridWidth, 0);
    depth = std::max(gridDepth, 0);
    // Enough chunks to cover every cell of the grid.
    chunksAcross = (std::max(width - 1, 0) + CHUNK_CELLS - 1) / CHUNK_CELLS;
    chunksDeep = (std::max(depth - 1, 0) + CHUNK_CELLS - 1) / CHUNK_CELLS;
    if (chunkCount() == 0)
        return;
    glGenBuffers(1, &cornerBuffer);
    for (int level = 0; level < LEVELS; ++level)
        buildPatch(patches[std::size_t(level)], 1 << level);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void TerrainLod::buildPatch(Patch& patch, int step)
{
    const int side = CHUNK_CELLS / step + 1;
    std::vector<float> vertices;
    for (int z = 0; z < side; ++z)
        for (int x = 0; x < side; ++x) {
            vertices.push_back(float(x * step));
            vertices.push_back(0.0f);
            vertices.push_back(float(z * step));
        }
    // Each cell split along the same diagonal as the full grid's strip, facing the same way.
    std::vector<std::uint16_t> indices;
    for (int z = 0; z + 1 < side; ++z)
        for (int x = 0; x + 1 < side; ++x) {
            const auto at = [side](int column, int row) { return std::uint16_t(row * side + column); };
            indices.insert(indices.end(), {at(x, z), at(x, z + 1), at(x + 1, z)});
            indices.insert(indices.end(), {at(x + 1, z), at(x, z + 1), at(x + 1, z + 1)});
        }
    patch.vertexCount = side * side;
    patch.indexCount = GLsizei(indices.size());

    glGenVertexArrays(1, &patch.vertexArray);
    glBindVertexArray(patch.vertexArray);
    glGenBuffers(1, &patch.positions);
    glBindBuffer(GL_ARRAY_BUFFER, patch.positions);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(float)), vertices.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(ATTRIB_POSITION);
    glVertexAttribPointer(ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, cornerBuffer);
    glEnableVertexAttribArray(ATTRIB_CHUNK_CORNER);
    glVertexAttribDivisor(ATTRIB_CHUNK_CORNER, 1);
    glGenBuffers(1, &patch.indices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, patch.indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(std::uint16_t)), indices.data(),
                 GL_STATIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void TerrainLod::select(const glm::mat4& model, const glm::mat4& viewProjection, const glm::vec3& eye)
{
    for (auto& level : picked)
        level.clear();
    uploaded = false;
    sorting.clear();
    const glm::dmat4 clip = glm::dmat4(viewProjection) * glm::dmat4(model);
    const double halfWidth = double(width / 2), halfDepth = double(depth / 2);
    for (int row = 0; row < chunksDeep; ++row)
        for (int column = 0; column < chunksAcross; ++column) {
            const double x0 = double(column * CHUNK_CELLS) - halfWidth, z0 = double(row * CHUNK_CELLS) - halfDepth;
            const double x1 = x0 + CHUNK_CELLS, z1 = z0 + CHUNK_CELLS;
            if (!boxInView(clip, x0 - BOX_MARGIN, x1 + BOX_MARGIN, -BOX_MARGIN, 1.0 + BOX_MARGIN, z0 - BOX_MARGIN,
                           z1 + BOX_MARGIN))
                continue;
            // The chunk's nearest point to the eye, across the ground.
            const glm::dvec4 a = glm::dmat4(model) * glm::dvec4(x0, 0.0, z0, 1.0);
            const glm::dvec4 b = glm::dmat4(model) * glm::dvec4(x1, 0.0, z1, 1.0);
            const double dx = std::max({std::min(a.x, b.x) - eye.x, double(eye.x) - std::max(a.x, b.x), 0.0});
            const double dz = std::max({std::min(a.z, b.z) - eye.z, double(eye.z) - std::max(a.z, b.z), 0.0});
            sorting.push_back({std::sqrt(dx * dx + dz * dz), float(column * CHUNK_CELLS), float(row * CHUNK_CELLS)});
        }
    std::sort(sorting.begin(), sorting.end(),
              [](const Candidate& p, const Candidate& q) { return p.distance < q.distance; });
    for (const Candidate& chunk : sorting) {
        auto& level = picked[std::size_t(levelFor(chunk.distance))];
        level.push_back(chunk.x);
        level.push_back(chunk.z);
    }
}

void TerrainLod::draw(GLuint program, int firstLevel, int endLevel)
{
    // The corners of every level go up once a selection, however many draws share them; the
    // attribute pointers below read from the same buffer.
    glBindBuffer(GL_ARRAY_BUFFER, cornerBuffer);
    if (!uploaded) {
        uploads.clear();
        for (const auto& level : picked)
            uploads.insert(uploads.end(), level.begin(), level.end());
        if (uploads.empty() || !cornerBuffer) {
            glBindBuffer(GL_ARRAY_BUFFER, 0);
            return;
        }
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(uploads.size() * sizeof(float)), uploads.data(), GL_STREAM_DRAW);
        uploaded = true;
    }
    locate(program);
    glUniform2f(halfAt, float(width / 2), float(depth / 2));
    glUniform2f(fadeAt, float(DETAIL_FADE_START * nearReach_), float(DETAIL_FADE_END * nearReach_));
    std::size_t first = 0; // floats into the corner buffer
    for (int level = 0; level < LEVELS; ++level) {
        const auto& corners = picked[std::size_t(level)];
        if (level < firstLevel || level >= endLevel) {
            first += corners.size();
            continue;
        }
        if (corners.empty())
            continue;
        // The last level never slides: its range is put far beyond any distance.
        const bool last = level + 1 == LEVELS;
        const double end = last ? 2.0e30 : levelStart(level + 1);
        const double start = last ? 1.0e30 : end - morphLength(level);
        glUniform1f(stepAt, float(1 << level));
        glUniform2f(morphAt, float(start), float(end));
        const Patch& patch = patches[std::size_t(level)];
        glBindVertexArray(patch.vertexArray);
        glVertexAttribPointer(ATTRIB_CHUNK_CORNER, 2, GL_FLOAT, GL_FALSE, 0,
                              reinterpret_cast<const void*>(first * sizeof(float)));
        glDrawElementsInstanced(GL_TRIANGLES, patch.indexCount, GL_UNSIGNED_SHORT, nullptr,
                                GLsizei(corners.size() / 2));
        first += corners.size();
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUniform1f(stepAt, 0.0f);
}

void TerrainLod::useWholeStrip(GLuint program)
{
    locate(program);
    glUniform1f(stepAt, 0.0f);
}

void TerrainLod::locate(GLuint program)
{
    if (program == locatedProgram)
        return;
    locatedProgram = program;
    stepAt = glGetUniformLocation(program, "lodStep");
    morphAt = glGetUniformLocation(program, "lodMorph");
    halfAt = glGetUniformLocation(program, "gridHalf");
    fadeAt = glGetUniformLocation(program, "detailFade");
}

int TerrainLod::chunksDrawn() const
{
    int total = 0;
    for (int level = 0; level < LEVELS; ++level)
        total += chunksAt(level);
    return total;
}

long long TerrainLod::verticesDrawn() const
{
    long long total = 0;
    for (int level = 0; level < LEVELS; ++level)
        total += (long long)chunksAt(level) * patches[std::size_t(level)].vertexCount;
    return total;
}
