#pragma once
// Procedural meshes for the generated models: smooth primitives built from a few shapes,
// each mapped onto one rectangle of a texture atlas and optionally carrying bone weights.

#include <glm/glm.hpp>

#include <array>
#include <functional>
#include <vector>

namespace models {

constexpr int MAX_INFLUENCES = 4; // bone influences per vertex

struct Influence {
    int bone = -1;
    float weight = 0.0f;
};

struct MeshVertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f, 1.0f, 0.0f};
    glm::vec2 uv{0.0f};
    std::array<Influence, MAX_INFLUENCES> influences{};
};

// The part of the atlas a primitive's (0..1, 0..1) surface coordinates are mapped into.
struct UvRect {
    glm::vec2 min{0.0f};
    glm::vec2 max{1.0f};
    glm::vec2 map(float u, float v) const { return min + (max - min) * glm::vec2(u, v); }
};

// A profile point of a surface of revolution: distance along the axis and radius there.
struct ProfilePoint {
    float along;
    float radius;
};

class MeshBuilder {
public:
    std::vector<MeshVertex> vertices;
    std::vector<unsigned> indices; // triangles, counter-clockwise seen from outside
    // The share of each round primitive's rings and segments that is built (1: all of them):
    // a twin drawn small takes fewer steps round the same surfaces.
    float detail = 1.0f;

    // Unit sphere deformed by the transform (scale, rotation, translation).
    void ellipsoid(const glm::mat4& transform, const UvRect& uv, int rings = 16, int segments = 24);
    // Surface of revolution about the local +y axis, then transformed. The profile runs from
    // the bottom to the top; a radius of 0 closes the surface at that end.
    void lathe(const std::vector<ProfilePoint>& profile, const glm::mat4& transform, const UvRect& uv,
               int segments = 24);
    // A capsule of radius r from a to b (hemispherical ends), optionally tapering to rb at b.
    void capsule(const glm::vec3& a, const glm::vec3& b, float ra, float rb, const UvRect& uv, int segments = 20);
    // Axis-aligned box (before the transform), each face mapped onto the whole rectangle.
    void box(const glm::vec3& halfExtents, const glm::mat4& transform, const UvRect& uv);
    // A closed prism: the polygon (in the local y-z plane, counter-clockwise seen from +x) swept
    // along x from x0 to x1. Side faces get u along the outline, caps get planar coordinates.
    void prism(const std::vector<glm::vec2>& outline, float x0, float x1, const glm::mat4& transform,
               const UvRect& sideUv, const UvRect& capUv, bool smoothSides);
    // A round tube through the points (open ends closed with small caps).
    void tube(const std::vector<glm::vec3>& points, float radius, const UvRect& uv, int segments = 10);

    // Sets the bone influences of every vertex from index `first` on.
    void skin(size_t first, const std::function<std::array<Influence, MAX_INFLUENCES>(const glm::vec3&)>& weights);
    // Appends another mesh.
    void append(const MeshBuilder& other);

private:
    // Steps round or along a surface at this detail, and never fewer than least.
    int steps(int full, int least) const;
    void grid(int columns, int rows, const std::function<void(int, int, MeshVertex&)>& makeVertex);
};

glm::mat4 placeAlong(const glm::vec3& from, const glm::vec3& to);

} // namespace models
