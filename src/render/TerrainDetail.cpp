#include "render/TerrainDetail.h"

#include "render/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr int BYTES = 4;

// The eigenvectors of a symmetric 3 x 3 matrix as the columns of the result, by Jacobi
// rotations; values gets the eigenvalues in the same order.
glm::dmat3 eigenvectors(glm::dmat3 m, glm::dvec3& values)
{
    glm::dmat3 vectors(1.0);
    for (int sweep = 0; sweep < 32; ++sweep) {
        const double off = m[0][1] * m[0][1] + m[0][2] * m[0][2] + m[1][2] * m[1][2];
        if (off < 1e-18)
            break;
        for (int p = 0; p < 2; ++p)
            for (int q = p + 1; q < 3; ++q) {
                if (std::fabs(m[p][q]) < 1e-30)
                    continue;
                const double theta = (m[q][q] - m[p][p]) / (2.0 * m[p][q]);
                const double t = (theta >= 0.0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
                glm::dmat3 rotation(1.0);
                rotation[p][p] = c;
                rotation[q][q] = c;
                rotation[q][p] = s; // column q, row p
                rotation[p][q] = -s;
                m = glm::transpose(rotation) * m * rotation;
                vectors = vectors * rotation;
            }
    }
    values = glm::dvec3(m[0][0], m[1][1], m[2][2]);
    return vectors;
}

// The colour map's texel at i as 0..1, black without a map.
glm::dvec3 colourAt(const unsigned char* colour, std::size_t i)
{
    if (!colour)
        return glm::dvec3(0.0);
    const unsigned char* texel = colour + i * BYTES;
    return glm::dvec3(texel[0], texel[1], texel[2]) / 255.0;
}

unsigned char toByte(double value)
{
    return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

} // namespace

DetailTexels packTerrainDetail(const unsigned char* colour, int colourWidth, int colourHeight,
                               const unsigned char* normal, int normalWidth, int normalHeight)
{
    if (colourWidth <= 0 || colourHeight <= 0)
        colour = nullptr;
    if (normalWidth <= 0 || normalHeight <= 0)
        normal = nullptr;
    DetailTexels packed;
    if (colour) {
        packed.width = colourWidth;
        packed.height = colourHeight;
    } else if (normal) {
        packed.width = normalWidth;
        packed.height = normalHeight;
    }
    const std::size_t count = std::size_t(packed.width) * std::size_t(packed.height);

    // The colours' mean and spread, and the two directions of the most spread.
    glm::dvec3 mean(0.0);
    for (std::size_t i = 0; i < count; ++i)
        mean += colourAt(colour, i);
    mean /= double(count);
    glm::dmat3 spread(0.0);
    for (std::size_t i = 0; i < count; ++i) {
        const glm::dvec3 d = colourAt(colour, i) - mean;
        spread += glm::outerProduct(d, d);
    }
    glm::dvec3 values;
    const glm::dmat3 vectors = eigenvectors(spread / double(count), values);
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&](int a, int b) { return values[a] > values[b]; });
    const glm::dvec3 directionA = vectors[order[0]], directionB = vectors[order[1]];

    // Each direction's range over the map becomes 0..255.
    glm::dvec2 low(1e300), high(-1e300);
    for (std::size_t i = 0; i < count; ++i) {
        const glm::dvec3 d = colourAt(colour, i) - mean;
        const glm::dvec2 along(glm::dot(d, directionA), glm::dot(d, directionB));
        low = glm::min(low, along);
        high = glm::max(high, along);
    }
    const glm::dvec2 range = glm::max(high - low, glm::dvec2(1e-9));
    packed.colours.mean = glm::vec3(mean);
    packed.colours.base = glm::vec3(mean + directionA * low.x + directionB * low.y);
    packed.colours.axisA = glm::vec3(directionA * range.x);
    packed.colours.axisB = glm::vec3(directionB * range.y);

    packed.rgba.resize(count * BYTES);
    for (int y = 0; y < packed.height; ++y)
        for (int x = 0; x < packed.width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(packed.width) + std::size_t(x);
            const glm::dvec3 d = colourAt(colour, i) - mean;
            unsigned char* out = packed.rgba.data() + i * BYTES;
            out[0] = toByte((glm::dot(d, directionA) - low.x) / range.x);
            out[1] = toByte((glm::dot(d, directionB) - low.y) / range.y);
            out[2] = out[3] = 128; // flat
            if (normal) {
                const std::size_t nx = std::size_t(x) * std::size_t(normalWidth) / std::size_t(packed.width);
                const std::size_t ny = std::size_t(y) * std::size_t(normalHeight) / std::size_t(packed.height);
                const unsigned char* source = normal + (ny * std::size_t(normalWidth) + nx) * BYTES;
                out[2] = source[0];
                out[3] = source[1];
            }
        }
    return packed;
}

void TerrainDetail::build(const std::string& key, GLuint colourTexture, GLuint normalTexture, GLint minFilter,
                          GLint magFilter)
{
    int colourWidth = 0, colourHeight = 0, normalWidth = 0, normalHeight = 0;
    const std::vector<unsigned char> colour = TextureManager::readTopLevel(colourTexture, colourWidth, colourHeight);
    const std::vector<unsigned char> normal = TextureManager::readTopLevel(normalTexture, normalWidth, normalHeight);
    const DetailTexels packed = packTerrainDetail(colour.empty() ? nullptr : colour.data(), colourWidth, colourHeight,
                                                  normal.empty() ? nullptr : normal.data(), normalWidth, normalHeight);
    colours = packed.colours;

    TextureManager& textures = TextureManager::instance();
    texture = textures.nameOf(key);
    if (texture == 0) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, packed.width, packed.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     packed.rgba.data());
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        textures.adopt(key, texture);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void TerrainDetail::apply(GLuint program, int unit) const
{
    const GLint map = glGetUniformLocation(program, "detailMap");
    if (map < 0)
        return;
    glUniform1i(map, unit);
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glBindTexture(GL_TEXTURE_2D, texture);
    const auto send = [program](const char* name, const glm::vec3& value) {
        const GLint at = glGetUniformLocation(program, name);
        if (at >= 0)
            glUniform3f(at, value.x, value.y, value.z);
    };
    send("fineColourAverage", colours.mean);
    send("colourBase", colours.base);
    send("colourAxisA", colours.axisA);
    send("colourAxisB", colours.axisB);
}
