#include "TextureAtlas.h"

#include <FreeImage.h>

#include <cmath>

namespace models {

namespace {

constexpr float CELL_MARGIN = 0.08f; // share of a cell left unused at each edge

float hashToUnit(int x, int y, unsigned seed)
{
    unsigned h = unsigned(x) * 374761393u + unsigned(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xffffu) / 65535.0f;
}

} // namespace

float valueNoise(float x, float y, unsigned seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    const float a = hashToUnit(ix, iy, seed), b = hashToUnit(ix + 1, iy, seed);
    const float c = hashToUnit(ix, iy + 1, seed), d = hashToUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

TextureAtlas::TextureAtlas(int size, int cellsPerSide)
    : size(size), cells(cellsPerSide), pixels(size_t(size) * size_t(size), glm::vec3(0.5f))
{}

UvRect TextureAtlas::cell(int index) const
{
    const float step = 1.0f / float(cells);
    const glm::vec2 corner(float(index % cells) * step, float(index / cells) * step);
    return {corner + glm::vec2(step * CELL_MARGIN), corner + glm::vec2(step * (1.0f - CELL_MARGIN))};
}

void TextureAtlas::paint(int index, const std::function<glm::vec3(float, float)>& colour)
{
    const int cellSize = size / cells;
    const int x0 = (index % cells) * cellSize, y0 = (index / cells) * cellSize;
    const float inner = 1.0f - 2.0f * CELL_MARGIN;
    for (int y = 0; y < cellSize; ++y) {
        for (int x = 0; x < cellSize; ++x) {
            // Coordinates of the pixel centre within the used part of the cell (may run past 0..1
            // in the margin, which is painted as a continuation).
            const float u = ((float(x) + 0.5f) / float(cellSize) - CELL_MARGIN) / inner;
            const float v = ((float(y) + 0.5f) / float(cellSize) - CELL_MARGIN) / inner;
            pixels[size_t(y0 + y) * size_t(size) + size_t(x0 + x)] = glm::clamp(colour(u, v), 0.0f, 1.0f);
        }
    }
}

bool TextureAtlas::save(const std::string& path) const
{
    FIBITMAP* image = FreeImage_Allocate(size, size, 32);
    if (!image)
        return false;
    for (int y = 0; y < size; ++y) {
        BYTE* line = FreeImage_GetScanLine(image, y); // scan line 0 is the bottom row
        for (int x = 0; x < size; ++x) {
            const glm::vec3& c = pixels[size_t(y) * size_t(size) + size_t(x)];
            BYTE* p = line + 4 * x;
            p[FI_RGBA_RED] = BYTE(std::lround(c.r * 255.0f));
            p[FI_RGBA_GREEN] = BYTE(std::lround(c.g * 255.0f));
            p[FI_RGBA_BLUE] = BYTE(std::lround(c.b * 255.0f));
            p[FI_RGBA_ALPHA] = 255;
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), PNG_DEFAULT) != 0;
    FreeImage_Unload(image);
    return saved;
}

} // namespace models
