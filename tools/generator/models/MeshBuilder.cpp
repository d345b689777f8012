#include "MeshBuilder.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_inverse.hpp>

#include <algorithm>
#include <cmath>

namespace models {

namespace {

constexpr float PI = glm::pi<float>();

glm::vec3 transformPoint(const glm::mat4& m, const glm::vec3& p)
{
    return glm::vec3(m * glm::vec4(p, 1.0f));
}

glm::vec3 transformNormal(const glm::mat4& m, const glm::vec3& n)
{
    const glm::vec3 t = glm::inverseTranspose(glm::mat3(m)) * n;
    const float length = glm::length(t);
    return length > 0.0f ? t / length : glm::vec3(0.0f, 1.0f, 0.0f);
}

constexpr float DEGENERATE_AREA = 1e-8f; // world units squared: far below a pixel at any distance

// Makes every triangle from `first` on face the way its vertex normals point, so the
// primitives need not care about the direction their parameters run in, and drops those of no
// area: a surface's closed end or a repeated profile point gives whole rows of them, which
// draw nothing and still cost vertex work in every frame.
void tidyTriangles(std::vector<MeshVertex>& vertices, std::vector<unsigned>& indices, size_t first)
{
    size_t kept = first;
    for (size_t i = first; i + 2 < indices.size(); i += 3) {
        const MeshVertex& a = vertices[indices[i]];
        const MeshVertex& b = vertices[indices[i + 1]];
        const MeshVertex& c = vertices[indices[i + 2]];
        const glm::vec3 face = glm::cross(b.position - a.position, c.position - a.position);
        if (0.5f * glm::length(face) <= DEGENERATE_AREA)
            continue;
        const bool flip = glm::dot(face, a.normal + b.normal + c.normal) < 0.0f;
        const unsigned triangle[3] = {indices[i], indices[i + (flip ? 2 : 1)], indices[i + (flip ? 1 : 2)]};
        std::copy(triangle, triangle + 3, indices.begin() + std::ptrdiff_t(kept));
        kept += 3;
    }
    indices.resize(kept);
}

} // namespace

glm::mat4 placeAlong(const glm::vec3& from, const glm::vec3& to)
{
    const glm::vec3 y = glm::normalize(to - from);
    const glm::vec3 helper = std::fabs(y.z) < 0.9f ? glm::vec3(0.0f, 0.0f, 1.0f) : glm::vec3(1.0f, 0.0f, 0.0f);
    const glm::vec3 x = glm::normalize(glm::cross(y, helper));
    const glm::vec3 z = glm::cross(x, y);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(x, 0.0f);
    m[1] = glm::vec4(y, 0.0f);
    m[2] = glm::vec4(z, 0.0f);
    m[3] = glm::vec4(from, 1.0f);
    return m;
}

int MeshBuilder::steps(int full, int least) const
{
    return std::max(least, int(std::lround(float(full) * detail)));
}

void MeshBuilder::grid(int columns, int rows, const std::function<void(int, int, MeshVertex&)>& makeVertex)
{
    const size_t firstVertex = vertices.size();
    const size_t firstIndex = indices.size();
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c <= columns; ++c) {
            MeshVertex v;
            makeVertex(c, r, v);
            vertices.push_back(v);
        }
    }
    const unsigned stride = unsigned(columns + 1);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const unsigned i0 = unsigned(firstVertex) + unsigned(r) * stride + unsigned(c);
            const unsigned i1 = i0 + 1;
            const unsigned i2 = i0 + stride;
            const unsigned i3 = i2 + 1;
            indices.insert(indices.end(), {i0, i1, i3, i0, i3, i2});
        }
    }
    tidyTriangles(vertices, indices, firstIndex);
}

void MeshBuilder::ellipsoid(const glm::mat4& transform, const UvRect& uv, int rings, int segments)
{
    rings = steps(rings, 4);
    segments = steps(segments, 6);
    grid(segments, rings, [&](int c, int r, MeshVertex& v) {
        const float u = float(c) / float(segments);
        const float t = float(r) / float(rings);
        const float theta = PI * (1.0f - t); // bottom pole to top pole
        const float phi = 2.0f * PI * u;
        const glm::vec3 s(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
        v.position = transformPoint(transform, s);
        v.normal = transformNormal(transform, s);
        v.uv = uv.map(u, t);
    });
}

void MeshBuilder::lathe(const std::vector<ProfilePoint>& profile, const glm::mat4& transform, const UvRect& uv,
                        int segments)
{
    segments = steps(segments, 6);
    const int rows = int(profile.size()) - 1;
    if (rows < 1)
        return;
    // Normals in the (radius, along) plane per segment; a repeated point makes a hard edge.
    std::vector<glm::vec2> segmentNormal(static_cast<size_t>(rows));
    std::vector<float> arc(profile.size(), 0.0f);
    for (int i = 0; i < rows; ++i) {
        const glm::vec2 d(profile[i + 1].radius - profile[i].radius, profile[i + 1].along - profile[i].along);
        const float length = glm::length(d);
        segmentNormal[size_t(i)] = length > 1e-6f ? glm::vec2(d.y, -d.x) / length : glm::vec2(0.0f);
        arc[size_t(i) + 1] = arc[size_t(i)] + length;
    }
    // A point repeated in the profile joins two segments at a hard edge: each copy takes
    // the normal of the segment on its own side.
    std::vector<glm::vec2> pointNormal(profile.size());
    for (size_t i = 0; i < profile.size(); ++i) {
        const glm::vec2 before = i > 0 ? segmentNormal[i - 1] : glm::vec2(0.0f);
        const glm::vec2 after = i < size_t(rows) ? segmentNormal[i] : glm::vec2(0.0f);
        glm::vec2 n = before + after;
        if (i > 0 && glm::length(before) == 0.0f)
            n = after;
        else if (i < size_t(rows) && glm::length(after) == 0.0f)
            n = before;
        const float length = glm::length(n);
        pointNormal[i] = length > 0.0f ? n / length : glm::vec2(0.0f, 1.0f);
    }
    const float total = arc.back() > 0.0f ? arc.back() : 1.0f;
    grid(segments, rows, [&](int c, int r, MeshVertex& v) {
        const float u = float(c) / float(segments);
        const float phi = 2.0f * PI * u;
        const glm::vec3 radial(std::cos(phi), 0.0f, -std::sin(phi));
        const ProfilePoint& p = profile[size_t(r)];
        const glm::vec2 n = pointNormal[size_t(r)];
        v.position = transformPoint(transform, radial * p.radius + glm::vec3(0.0f, p.along, 0.0f));
        v.normal = transformNormal(transform, radial * n.x + glm::vec3(0.0f, n.y, 0.0f));
        v.uv = uv.map(u, arc[size_t(r)] / total);
    });
}

void MeshBuilder::capsule(const glm::vec3& a, const glm::vec3& b, float ra, float rb, const UvRect& uv, int segments)
{
    const int capSteps = steps(6, 2);
    const float length = glm::length(b - a);
    std::vector<ProfilePoint> profile;
    for (int k = 0; k <= capSteps; ++k) {
        const float angle = -0.5f * PI + 0.5f * PI * float(k) / float(capSteps);
        profile.push_back({ra * std::sin(angle), ra * std::cos(angle)});
    }
    for (int k = 1; k <= 3; ++k) {
        const float t = float(k) / 4.0f;
        profile.push_back({length * t, ra + (rb - ra) * t});
    }
    for (int k = 0; k <= capSteps; ++k) {
        const float angle = 0.5f * PI * float(k) / float(capSteps);
        profile.push_back({length + rb * std::sin(angle), rb * std::cos(angle)});
    }
    lathe(profile, placeAlong(a, b), uv, segments);
}

void MeshBuilder::box(const glm::vec3& h, const glm::mat4& transform, const UvRect& uv)
{
    const size_t firstIndex = indices.size();
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = -1; side <= 1; side += 2) {
            glm::vec3 n(0.0f);
            n[axis] = float(side);
            const int ua = (axis + 1) % 3;
            const int va = (axis + 2) % 3;
            const unsigned base = unsigned(vertices.size());
            for (int k = 0; k < 4; ++k) {
                const float su = (k == 1 || k == 2) ? 1.0f : -1.0f;
                const float sv = (k >= 2) ? 1.0f : -1.0f;
                glm::vec3 p(0.0f);
                p[axis] = float(side) * h[axis];
                p[ua] = su * h[ua];
                p[va] = sv * h[va];
                MeshVertex v;
                v.position = transformPoint(transform, p);
                v.normal = transformNormal(transform, n);
                v.uv = uv.map(0.5f + 0.5f * su, 0.5f + 0.5f * sv);
                vertices.push_back(v);
            }
            indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
        }
    }
    tidyTriangles(vertices, indices, firstIndex);
}

void MeshBuilder::prism(const std::vector<glm::vec2>& outline, float x0, float x1, const glm::mat4& transform,
                        const UvRect& sideUv, const UvRect& capUv, bool smoothSides)
{
    const size_t n = outline.size();
    if (n < 3)
        return;
    const size_t firstIndex = indices.size();
    std::vector<float> arc(n + 1, 0.0f);
    for (size_t i = 0; i < n; ++i)
        arc[i + 1] = arc[i] + glm::length(outline[(i + 1) % n] - outline[i]);
    glm::vec2 centre(0.0f);
    for (const glm::vec2& p : outline)
        centre += p / float(n);
    auto edgeNormal = [&](size_t i) {
        const glm::vec2 d = outline[(i + 1) % n] - outline[i];
        glm::vec2 e(d.y, -d.x);
        if (glm::dot(e, outline[i] - centre) < 0.0f)
            e = -e;
        return glm::normalize(e);
    };
    auto sideVertex = [&](const glm::vec2& p, const glm::vec2& normal, float x, float u, float v) {
        MeshVertex vertex;
        vertex.position = transformPoint(transform, glm::vec3(x, p.x, p.y));
        vertex.normal = transformNormal(transform, glm::vec3(0.0f, normal.x, normal.y));
        vertex.uv = sideUv.map(u, v);
        vertices.push_back(vertex);
    };
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        glm::vec2 ni = edgeNormal(i), nj = edgeNormal(i);
        if (smoothSides) {
            ni = glm::normalize(edgeNormal((i + n - 1) % n) + edgeNormal(i));
            nj = glm::normalize(edgeNormal(i) + edgeNormal(j));
        }
        const unsigned base = unsigned(vertices.size());
        const float ui = arc[i] / arc[n], uj = arc[i + 1] / arc[n];
        sideVertex(outline[i], ni, x0, ui, 0.0f);
        sideVertex(outline[j], nj, x0, uj, 0.0f);
        sideVertex(outline[j], nj, x1, uj, 1.0f);
        sideVertex(outline[i], ni, x1, ui, 1.0f);
        indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
    }
    glm::vec2 low = outline[0], high = outline[0];
    for (const glm::vec2& p : outline) {
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    for (float x : {x0, x1}) {
        const glm::vec3 normal(x == x0 ? -1.0f : 1.0f, 0.0f, 0.0f);
        const unsigned centreIndex = unsigned(vertices.size());
        auto capVertex = [&](const glm::vec2& p) {
            MeshVertex vertex;
            vertex.position = transformPoint(transform, glm::vec3(x, p.x, p.y));
            vertex.normal = transformNormal(transform, normal);
            const glm::vec2 t = (p - low) / glm::max(high - low, glm::vec2(1e-6f));
            vertex.uv = capUv.map(t.x, t.y);
            vertices.push_back(vertex);
        };
        capVertex(centre);
        for (const glm::vec2& p : outline)
            capVertex(p);
        for (size_t i = 0; i < n; ++i)
            indices.insert(indices.end(),
                           {centreIndex, centreIndex + 1 + unsigned(i), centreIndex + 1 + unsigned((i + 1) % n)});
    }
    tidyTriangles(vertices, indices, firstIndex);
}

void MeshBuilder::tube(const std::vector<glm::vec3>& points, float radius, const UvRect& uv, int segments)
{
    if (points.size() < 2)
        return;
    segments = steps(segments, 6);
    const int rows = int(points.size()) - 1;
    grid(segments, rows, [&](int c, int r, MeshVertex& v) {
        const size_t i = size_t(r);
        const glm::vec3 tangent =
            glm::normalize(points[std::min(i + 1, points.size() - 1)] - points[i > 0 ? i - 1 : 0]);
        const glm::vec3 helper =
            std::fabs(tangent.y) < 0.9f ? glm::vec3(0.0f, 1.0f, 0.0f) : glm::vec3(1.0f, 0.0f, 0.0f);
        const glm::vec3 side = glm::normalize(glm::cross(tangent, helper));
        const glm::vec3 up = glm::cross(side, tangent);
        const float phi = 2.0f * PI * float(c) / float(segments);
        const glm::vec3 radial = side * std::cos(phi) + up * std::sin(phi);
        v.position = points[i] + radial * radius;
        v.normal = radial;
        v.uv = uv.map(float(c) / float(segments), float(r) / float(rows));
    });
    for (const glm::vec3& end : {points.front(), points.back()}) {
        glm::mat4 m = glm::mat4(1.0f);
        m[3] = glm::vec4(end, 1.0f);
        m[0][0] = m[1][1] = m[2][2] = radius;
        ellipsoid(m, uv, 6, segments);
    }
}

void MeshBuilder::skin(size_t first,
                       const std::function<std::array<Influence, MAX_INFLUENCES>(const glm::vec3&)>& weights)
{
    for (size_t i = first; i < vertices.size(); ++i)
        vertices[i].influences = weights(vertices[i].position);
}

void MeshBuilder::append(const MeshBuilder& other)
{
    const unsigned base = unsigned(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (unsigned index : other.indices)
        indices.push_back(base + index);
}

} // namespace models
