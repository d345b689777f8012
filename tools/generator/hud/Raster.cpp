#include "hud/Raster.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>

namespace hud {

namespace {

constexpr int SUBSAMPLES = 4;     // per axis, for pixels that an edge crosses
constexpr float EDGE_BAND = 1.0f; // pixels; farther from an edge a pixel is all in or all out

float clamp01(float value)
{
    return std::min(1.0f, std::max(0.0f, value));
}

} // namespace

Shape circle(glm::vec2 centre, float radius)
{
    return [=](glm::vec2 p) { return glm::length(p - centre) - radius; };
}

Shape roundedBox(glm::vec2 centre, glm::vec2 halfSize, float cornerRadius)
{
    return [=](glm::vec2 p) {
        const glm::vec2 q = glm::abs(p - centre) - halfSize + cornerRadius;
        return glm::length(glm::max(q, glm::vec2(0.0f))) + std::min(std::max(q.x, q.y), 0.0f) - cornerRadius;
    };
}

Shape capsule(glm::vec2 from, glm::vec2 to, float radius)
{
    return [=](glm::vec2 p) {
        const glm::vec2 along = to - from;
        const float t = clamp01(glm::dot(p - from, along) / glm::dot(along, along));
        return glm::length(p - from - along * t) - radius;
    };
}

Shape polygon(std::vector<glm::vec2> corners)
{
    return [corners = std::move(corners)](glm::vec2 p) {
        // Distance to the nearest edge; the sign flips at every edge that a ray from p crosses.
        float nearest = glm::dot(p - corners[0], p - corners[0]);
        float sign = 1.0f;
        for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i, ++i) {
            const glm::vec2 edge = corners[j] - corners[i];
            const glm::vec2 w = p - corners[i];
            const glm::vec2 b = w - edge * clamp01(glm::dot(w, edge) / glm::dot(edge, edge));
            nearest = std::min(nearest, glm::dot(b, b));
            const bool above = p.y >= corners[i].y;
            const bool below = p.y < corners[j].y;
            const bool left = edge.x * w.y > edge.y * w.x;
            if ((above && below && left) || (!above && !below && !left))
                sign = -sign;
        }
        return sign * std::sqrt(nearest);
    };
}

Shape halfPlaneBelow(float y)
{
    return [=](glm::vec2 p) { return y - p.y; };
}

Shape unite(Shape a, Shape b)
{
    return [=](glm::vec2 p) { return std::min(a(p), b(p)); };
}

Shape intersect(Shape a, Shape b)
{
    return [=](glm::vec2 p) { return std::max(a(p), b(p)); };
}

Shape cutAway(Shape from, Shape hole)
{
    return [=](glm::vec2 p) { return std::max(from(p), -hole(p)); };
}

Shape grown(Shape shape, float by)
{
    return [=](glm::vec2 p) { return shape(p) - by; };
}

Paint solid(glm::vec4 colour)
{
    return [=](glm::vec2) { return colour; };
}

Paint linear(glm::vec2 from, glm::vec4 a, glm::vec2 to, glm::vec4 b)
{
    return [=](glm::vec2 p) {
        const glm::vec2 along = to - from;
        return mix(a, b, clamp01(glm::dot(p - from, along) / glm::dot(along, along)));
    };
}

Paint radial(glm::vec2 centre, float radius, glm::vec4 inner, glm::vec4 outer)
{
    return [=](glm::vec2 p) { return mix(inner, outer, clamp01(glm::length(p - centre) / radius)); };
}

glm::vec4 mix(glm::vec4 a, glm::vec4 b, float t)
{
    return a + (b - a) * t;
}

glm::vec4 withAlpha(glm::vec4 colour, float alpha)
{
    return glm::vec4(colour.r, colour.g, colour.b, alpha);
}

Mask::Mask(int width, int height)
    : width_(width), height_(height), cover(static_cast<std::size_t>(width) * height, 0.0f)
{}

Mask Mask::of(const Shape& shape, int width, int height)
{
    Mask mask(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const glm::vec2 centre(x + 0.5f, y + 0.5f);
            const float distance = shape(centre);
            if (distance >= EDGE_BAND)
                continue;
            if (distance <= -EDGE_BAND) {
                mask.set(x, y, 1.0f);
                continue;
            }
            // Near an edge: average soft coverage over a grid of sub-pixel samples.
            float sum = 0.0f;
            for (int sy = 0; sy < SUBSAMPLES; ++sy) {
                for (int sx = 0; sx < SUBSAMPLES; ++sx) {
                    const glm::vec2 sample(x + (sx + 0.5f) / SUBSAMPLES, y + (sy + 0.5f) / SUBSAMPLES);
                    sum += clamp01(0.5f - shape(sample) * SUBSAMPLES);
                }
            }
            mask.set(x, y, sum / (SUBSAMPLES * SUBSAMPLES));
        }
    }
    return mask;
}

Mask Mask::soft(const Shape& shape, int width, int height, float feather)
{
    Mask mask(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask.set(x, y, clamp01(0.5f - shape(glm::vec2(x + 0.5f, y + 0.5f)) / feather));
    return mask;
}

float Mask::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0.0f;
    return cover[static_cast<std::size_t>(y) * width_ + x];
}

void Mask::set(int x, int y, float value)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    cover[static_cast<std::size_t>(y) * width_ + x] = clamp01(value);
}

Mask& Mask::multiply(const Mask& other)
{
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            set(x, y, at(x, y) * other.at(x, y));
    return *this;
}

Mask& Mask::subtract(const Mask& other)
{
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            set(x, y, at(x, y) * (1.0f - other.at(x, y)));
    return *this;
}

Mask& Mask::scaleBy(float factor)
{
    for (float& value : cover)
        value = clamp01(value * factor);
    return *this;
}

Mask Mask::dilated(float radius) const
{
    // Every covered pixel spreads its coverage over a disc; the disc's rim is soft over one
    // pixel so the widened edge stays anti-aliased.
    struct Offset {
        int dx, dy;
        float weight;
    };
    std::vector<Offset> offsets;
    const int reach = static_cast<int>(std::ceil(radius)) + 1;
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const float weight = clamp01(radius + 0.5f - std::sqrt(float(dx * dx + dy * dy)));
            if (weight > 0.0f)
                offsets.push_back({dx, dy, weight});
        }
    }
    Mask result(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const float source = at(x, y);
            if (source <= 0.0f)
                continue;
            for (const Offset& offset : offsets) {
                const int tx = x + offset.dx;
                const int ty = y + offset.dy;
                const float value = source * offset.weight;
                if (value > result.at(tx, ty))
                    result.set(tx, ty, value);
            }
        }
    }
    return result;
}

Mask Mask::shifted(int dx, int dy) const
{
    Mask result(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            result.set(x, y, at(x - dx, y - dy));
    return result;
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), premultiplied(static_cast<std::size_t>(width) * height, glm::vec4(0.0f))
{}

void Canvas::paint(const Mask& mask, const Paint& paint)
{
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const float coverage = mask.at(x, y);
            if (coverage <= 0.0f)
                continue;
            const glm::vec4 colour = paint(glm::vec2(x + 0.5f, y + 0.5f));
            const float alpha = clamp01(colour.a) * coverage;
            glm::vec4& target = premultiplied[static_cast<std::size_t>(y) * width_ + x];
            target = glm::vec4(glm::vec3(colour) * alpha, alpha) + target * (1.0f - alpha);
        }
    }
}

void Canvas::paint(const Mask& mask, glm::vec4 colour)
{
    paint(mask, solid(colour));
}

void Canvas::paint(const Shape& shape, glm::vec4 colour)
{
    paint(Mask::of(shape, width_, height_), solid(colour));
}

void Canvas::paint(const Shape& shape, const Paint& paint)
{
    this->paint(Mask::of(shape, width_, height_), paint);
}

glm::vec4 Canvas::pixel(int x, int y) const
{
    const glm::vec4 value = premultiplied[static_cast<std::size_t>(y) * width_ + x];
    if (value.a <= 0.0f)
        return glm::vec4(0.0f);
    return glm::vec4(glm::vec3(value) / value.a, value.a);
}

bool Canvas::savePng(const std::string& path, glm::vec3 bleed) const
{
    FIBITMAP* image = FreeImage_Allocate(width_, height_, 32, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    if (!image)
        return false;
    auto toByte = [](float value) { return static_cast<BYTE>(std::lround(clamp01(value) * 255.0f)); };
    for (int y = 0; y < height_; ++y) {
        // FreeImage keeps the bottom row first.
        BYTE* line = FreeImage_GetScanLine(image, height_ - 1 - y);
        for (int x = 0; x < width_; ++x) {
            glm::vec4 colour = pixel(x, y);
            const BYTE alpha = toByte(colour.a);
            if (alpha == 0)
                colour = glm::vec4(bleed, 0.0f);
            BYTE* out = line + x * 4;
            out[FI_RGBA_RED] = toByte(colour.r);
            out[FI_RGBA_GREEN] = toByte(colour.g);
            out[FI_RGBA_BLUE] = toByte(colour.b);
            out[FI_RGBA_ALPHA] = alpha;
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), PNG_Z_BEST_COMPRESSION) != 0;
    FreeImage_Unload(image);
    return saved;
}

} // namespace hud
