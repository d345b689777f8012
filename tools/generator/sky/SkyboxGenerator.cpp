// res/skybox2/*.jpg: the six faces of the daylight sky cube.
//
// Every pixel is coloured from the direction it is seen in, so two faces agree wherever they
// meet. The direction of a pixel follows the way the game's sky places its faces: each face
// is a quad in its own x, y plane, rotated about the world's y or x axis and pushed out along
// its offset, with the image's right edge at the quad's +x and the image's top at its +y.

#include "Generator.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr int faceSize = 1024;  // pixels per side of one face
constexpr int superSamples = 2; // per axis, so cloud edges near the horizon do not shimmer

struct Vec3 {
    double x, y, z;
};

Vec3 operator+(const Vec3& a, const Vec3& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator*(const Vec3& a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}

Vec3 normalize(const Vec3& v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return v * (1.0 / length);
}

// One face: the file, where its centre lies, and where its quad's +x and +y point in the
// world after the face's rotation.
struct Face {
    const char* file;
    Vec3 centre;
    Vec3 right;
    Vec3 up;
};

// front: no rotation; back: 180 degrees about y; left: 90 about y; right: 270 about y;
// top: 90 about x; bottom: 270 about x.
const Face faces[6] = {
    {"front.jpg", {0, 0, -1}, {1, 0, 0}, {0, 1, 0}}, {"back.jpg", {0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
    {"left.jpg", {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {"right.jpg", {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {"top.jpg", {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},    {"bottom.jpg", {0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
};

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
Vec3 mix(const Vec3& a, const Vec3& b, double t)
{
    return {mix(a.x, b.x, t), mix(a.y, b.y, t), mix(a.z, b.z, t)};
}

double lattice(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return double(h & 0xFFFFFF) / double(0xFFFFFF);
}

double valueNoise(double x, double y, uint32_t seed)
{
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    fx = fx * fx * fx * (fx * (fx * 6.0 - 15.0) + 10.0);
    fy = fy * fy * fy * (fy * (fy * 6.0 - 15.0) + 10.0);
    const double a = lattice(x0, y0, seed), b = lattice(x0 + 1, y0, seed);
    const double c = lattice(x0, y0 + 1, seed), d = lattice(x0 + 1, y0 + 1, seed);
    return mix(mix(a, b, fx), mix(c, d, fx), fy);
}

double fbm(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0.0, amplitude = 0.5, norm = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x, y, seed + uint32_t(i) * 7919u);
        norm += amplitude;
        amplitude *= 0.5;
        // A slight rotation between octaves hides the lattice's axes.
        const double nx = 1.6 * x + 1.2 * y + 17.0, ny = -1.2 * x + 1.6 * y + 31.0;
        x = nx;
        y = ny;
    }
    return sum / norm;
}

// The sky's colour in the direction d (unit length, y up).
Vec3 skyColour(const Vec3& d)
{
    const Vec3 zenith{0.18, 0.40, 0.78};
    const Vec3 horizon{0.72, 0.82, 0.92}; // the terrain's distance haze fades into this
    const Vec3 belowHorizon{0.62, 0.70, 0.74};

    if (d.y <= 0.0)
        return mix(horizon, belowHorizon, smoothstep(0.06, 0.4, -d.y));

    // Steep but not sudden above the horizon, so its line does not show.
    Vec3 colour = mix(horizon, zenith, 1.0 - std::pow(1.0 - d.y, 3.0));

    // Clouds on a flat layer overhead: the layer point seen in direction d is d.xz / d.y.
    // Near the horizon that point races away, so the clouds thin out into the haze there.
    const double fadeIn = smoothstep(0.03, 0.3, d.y);
    if (fadeIn <= 0.0)
        return colour;
    const double px = d.x / d.y * 1.6, pz = d.z / d.y * 1.6;
    const double density = fbm(px, pz, 6, 5);
    const double coverage = smoothstep(0.50, 0.72, density) * fadeIn;
    // Thicker parts of a cloud are greyer underneath.
    const double thickness = smoothstep(0.60, 0.90, fbm(px + 0.15, pz + 0.15, 4, 5));
    const Vec3 cloud = mix(Vec3{0.98, 0.98, 0.97}, Vec3{0.70, 0.73, 0.78}, thickness * 0.8);
    return mix(colour, cloud, coverage);
}

bool writeFace(const Face& face, const std::string& path)
{
    FIBITMAP* bitmap = FreeImage_Allocate(faceSize, faceSize, 24);
    if (!bitmap)
        return false;
    for (int y = 0; y < faceSize; ++y) {
        // Scan line 0 is the bottom of the image, which the quad shows at its -y edge.
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < faceSize; ++x) {
            Vec3 sum{0, 0, 0};
            for (int sy = 0; sy < superSamples; ++sy)
                for (int sx = 0; sx < superSamples; ++sx) {
                    const double u = 2.0 * (x + (sx + 0.5) / superSamples) / faceSize - 1.0;
                    const double v = 2.0 * (y + (sy + 0.5) / superSamples) / faceSize - 1.0;
                    sum = sum + skyColour(normalize(face.centre + face.right * u + face.up * v));
                }
            const Vec3 c = sum * (1.0 / (superSamples * superSamples));
            line[x * 3 + FI_RGBA_RED] = BYTE(std::lround(std::clamp(c.x, 0.0, 1.0) * 255.0));
            line[x * 3 + FI_RGBA_GREEN] = BYTE(std::lround(std::clamp(c.y, 0.0, 1.0) * 255.0));
            line[x * 3 + FI_RGBA_BLUE] = BYTE(std::lround(std::clamp(c.z, 0.0, 1.0) * 255.0));
        }
    }
    const bool saved = FreeImage_Save(FIF_JPEG, bitmap, path.c_str(), JPEG_QUALITYSUPERB);
    FreeImage_Unload(bitmap);
    if (!saved)
        std::printf("Could not write '%s'\n", path.c_str());
    return saved;
}

bool generateSkybox(const std::string& gameDir)
{
    const std::string dir = gameDir + "/res/skybox2";
    std::filesystem::create_directories(dir);
    bool ok = true;
    for (const Face& face : faces)
        ok = writeFace(face, dir + "/" + face.file) && ok;
    return ok;
}

} // namespace

GROV_REGISTER_GENERATOR("skybox", generateSkybox);
