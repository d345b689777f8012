// res/1047-5.jpg and res/1047-5-normal.jpg: the grass-and-earth ground texture and its normal
// map. Both repeat many times across the landscape, so every noise here is periodic over the
// image: the lattice of each octave wraps, and the right edge continues the left one.

#include "Generator.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr int textureSize = 512; // pixels per side

uint32_t hash3(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

double lattice(int x, int y, int period, uint32_t seed)
{
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    return double(hash3(uint32_t(x), uint32_t(y), seed) & 0xFFFFFF) / double(0xFFFFFF);
}

double fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

// Value noise in [0, 1] over the unit square with `period` lattice cells per side, wrapping.
double periodicNoise(double u, double v, int period, uint32_t seed)
{
    const double x = u * period, y = v * period;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = fade(x - x0), fy = fade(y - y0);
    const double a = lattice(x0, y0, period, seed), b = lattice(x0 + 1, y0, period, seed);
    const double c = lattice(x0, y0 + 1, period, seed), d = lattice(x0 + 1, y0 + 1, period, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

double fbm(double u, double v, int basePeriod, int octaves, uint32_t seed)
{
    double sum = 0.0, amplitude = 0.5, norm = 0.0;
    int period = basePeriod;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * periodicNoise(u, v, period, seed + uint32_t(i) * 101u);
        norm += amplitude;
        amplitude *= 0.5;
        period *= 2;
    }
    return sum / norm;
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

struct Colour {
    double r, g, b;
};

Colour mix(const Colour& a, const Colour& b, double t)
{
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

// One texel of the ground: its colour and a bump height in [0, 1] for the normal map.
struct GroundSample {
    Colour colour;
    double bump;
};

GroundSample groundAt(double u, double v)
{
    const Colour darkGrass{0.22, 0.38, 0.09};
    const Colour lightGrass{0.47, 0.62, 0.19};
    const Colour dryGrass{0.62, 0.62, 0.30};
    const Colour earth{0.46, 0.35, 0.22};
    const Colour darkEarth{0.32, 0.24, 0.15};

    // Where earth shows through: a few soft patches, edged with a finer noise.
    const double patches = fbm(u, v, 8, 4, 11);
    const double earthAmount = smoothstep(0.64, 0.72, patches + 0.12 * (fbm(u, v, 24, 3, 12) - 0.5));

    // Grass: broad shading, then dense speckles of single blades seen from above.
    const double broad = fbm(u, v, 8, 3, 21);
    const double blades = fbm(u, v, 64, 3, 22);
    const double tips = periodicNoise(u, v, 256, 23);
    Colour grass = mix(darkGrass, lightGrass, smoothstep(0.2, 0.8, broad * 0.45 + blades * 0.55));
    grass = mix(grass, dryGrass, smoothstep(0.72, 0.95, tips) * 0.6);
    grass = mix(grass, darkGrass, smoothstep(0.35, 0.1, tips) * 0.5);

    const double grit = fbm(u, v, 96, 2, 31);
    const double pebbles = smoothstep(0.70, 0.80, fbm(u, v, 64, 2, 32));
    Colour soil = mix(darkEarth, earth, grit);
    soil = mix(soil, Colour{0.55, 0.50, 0.44}, pebbles * 0.7);

    GroundSample sample;
    sample.colour = mix(grass, soil, earthAmount);
    const double grassBump = 0.55 + 0.3 * blades + 0.15 * tips;
    const double soilBump = 0.25 + 0.15 * grit + 0.25 * pebbles;
    sample.bump = mix(grassBump, soilBump, earthAmount);
    return sample;
}

bool writeJpeg(const std::vector<Colour>& pixels, const std::string& path)
{
    FIBITMAP* bitmap = FreeImage_Allocate(textureSize, textureSize, 24);
    if (!bitmap)
        return false;
    for (int y = 0; y < textureSize; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < textureSize; ++x) {
            const Colour& c = pixels[y * textureSize + x];
            line[x * 3 + FI_RGBA_RED] = BYTE(std::lround(std::clamp(c.r, 0.0, 1.0) * 255.0));
            line[x * 3 + FI_RGBA_GREEN] = BYTE(std::lround(std::clamp(c.g, 0.0, 1.0) * 255.0));
            line[x * 3 + FI_RGBA_BLUE] = BYTE(std::lround(std::clamp(c.b, 0.0, 1.0) * 255.0));
        }
    }
    const bool saved = FreeImage_Save(FIF_JPEG, bitmap, path.c_str(), JPEG_QUALITYSUPERB);
    FreeImage_Unload(bitmap);
    if (!saved)
        std::printf("Could not write '%s'\n", path.c_str());
    return saved;
}

bool generateGroundTextures(const std::string& gameDir)
{
    std::filesystem::create_directories(gameDir + "/res");

    std::vector<Colour> colour(textureSize * textureSize);
    std::vector<double> bump(textureSize * textureSize);
    for (int y = 0; y < textureSize; ++y)
        for (int x = 0; x < textureSize; ++x) {
            const GroundSample s = groundAt((x + 0.5) / textureSize, (y + 0.5) / textureSize);
            colour[y * textureSize + x] = s.colour;
            bump[y * textureSize + x] = s.bump;
        }

    // Tangent-space normals: x along the image's columns, y along its rows (upward, the way
    // the texture's t coordinate runs), z out of the ground.
    constexpr double bumpStrength = 6.0;
    std::vector<Colour> normals(textureSize * textureSize);
    const auto at = [&](int x, int y) {
        x = (x + textureSize) % textureSize;
        y = (y + textureSize) % textureSize;
        return bump[y * textureSize + x];
    };
    for (int y = 0; y < textureSize; ++y)
        for (int x = 0; x < textureSize; ++x) {
            const double dx = (at(x + 1, y) - at(x - 1, y)) * 0.5 * bumpStrength;
            const double dy = (at(x, y + 1) - at(x, y - 1)) * 0.5 * bumpStrength;
            const double length = std::sqrt(dx * dx + dy * dy + 1.0);
            normals[y * textureSize + x] = {0.5 - 0.5 * dx / length, 0.5 - 0.5 * dy / length, 0.5 + 0.5 / length};
        }

    return writeJpeg(colour, gameDir + "/res/1047-5.jpg") && writeJpeg(normals, gameDir + "/res/1047-5-normal.jpg");
}

} // namespace

GROV_REGISTER_GENERATOR("ground", generateGroundTextures);
