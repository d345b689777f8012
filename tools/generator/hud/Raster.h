#pragma once
// A small 2D rasteriser for the HUD images. Shapes are signed distance functions in pixels
// (negative inside), turned into anti-aliased coverage masks by supersampling; masks are
// painted onto a canvas with source-over blending. Image coordinates have x to the right and
// y downward from the top row, the way the picture is looked at; the PNG writer turns that
// into FreeImage's bottom-up rows.

#include <glm/glm.hpp>

#include <functional>
#include <string>
#include <vector>

namespace hud {

// Signed distance in pixels from a point to the shape's edge, negative inside.
using Shape = std::function<float(glm::vec2)>;
// Straight (not premultiplied) colour at a pixel centre.
using Paint = std::function<glm::vec4(glm::vec2)>;

// Shape builders.
Shape circle(glm::vec2 centre, float radius);
Shape roundedBox(glm::vec2 centre, glm::vec2 halfSize, float cornerRadius);
Shape capsule(glm::vec2 from, glm::vec2 to, float radius);
// A simple polygon, corners in either winding order.
Shape polygon(std::vector<glm::vec2> corners);
Shape halfPlaneBelow(float y); // everything with a larger y (lower in the picture)

// Shape operations.
Shape unite(Shape a, Shape b);
Shape intersect(Shape a, Shape b);
Shape cutAway(Shape from, Shape hole);
Shape grown(Shape shape, float by); // negative shrinks

// Paints.
Paint solid(glm::vec4 colour);
// Blends from colour a at point from to colour b at point to, clamped beyond both.
Paint linear(glm::vec2 from, glm::vec4 a, glm::vec2 to, glm::vec4 b);
// Blends from colour inner at the centre to colour outer at the radius.
Paint radial(glm::vec2 centre, float radius, glm::vec4 inner, glm::vec4 outer);

glm::vec4 mix(glm::vec4 a, glm::vec4 b, float t);
glm::vec4 withAlpha(glm::vec4 colour, float alpha);

// Coverage from 0 to 1 per pixel.
class Mask {
public:
    Mask(int width, int height);

    // The anti-aliased coverage of a shape.
    static Mask of(const Shape& shape, int width, int height);
    // A shape whose edge fades out over feather pixels, for glows, highlights and shadows.
    static Mask soft(const Shape& shape, int width, int height, float feather);

    int width() const { return width_; }
    int height() const { return height_; }
    float at(int x, int y) const;
    void set(int x, int y, float value);

    Mask& multiply(const Mask& other); // keeps only what both cover
    Mask& subtract(const Mask& other); // removes what other covers
    Mask& scaleBy(float factor);
    // The mask widened by radius pixels in every direction, with a soft edge.
    Mask dilated(float radius) const;
    Mask shifted(int dx, int dy) const;

private:
    int width_;
    int height_;
    std::vector<float> cover;
};

class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Paints the covered part with source-over blending.
    void paint(const Mask& mask, const Paint& paint);
    void paint(const Mask& mask, glm::vec4 colour);
    void paint(const Shape& shape, glm::vec4 colour);
    void paint(const Shape& shape, const Paint& paint);

    // Straight colour of one pixel.
    glm::vec4 pixel(int x, int y) const;

    // Writes a 32-bit RGBA PNG. Fully transparent pixels get the bleed colour, so that
    // filtering and mipmaps blend edges towards it rather than towards black.
    bool savePng(const std::string& path, glm::vec3 bleed) const;

private:
    int width_;
    int height_;
    std::vector<glm::vec4> premultiplied;
};

} // namespace hud
