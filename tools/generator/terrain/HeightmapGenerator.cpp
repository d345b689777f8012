// res/heightmap.png: the 8-bit grey heightmap of the landscape.
//
// The game tiles this map with mirrored repetition, so every tile edge is a mirror line. The
// map is built from sums of cosines whose phases put a crest or a trough on every pixel edge
// of the border: such a sum is even about each border, its slope across the border is zero,
// and the mirrored copy continues it smoothly instead of folding it into a crease. Pointwise
// shaping (ridges, flattened valleys) keeps that symmetry.

#include "Generator.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr int mapSize = 512; // pixels per side; one pixel is 600 / 512 world units
constexpr double pi = 3.14159265358979323846;

// A small deterministic random source, independent of the standard library's distributions.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}
    double uniform()
    {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return double(z >> 11) / double(1ull << 53);
    }
    double gaussian()
    {
        const double u1 = std::max(uniform(), 1e-12);
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * pi * u2);
    }

private:
    uint64_t state;
};

using Field = std::vector<double>; // mapSize * mapSize values, row 0 at the bottom

// Sum of cos(pi kx (x + 0.5) / N) cos(pi ky (y + 0.5) / N) over kMin <= |k| <= kMax with
// Gaussian weights falling off as |k|^-falloff, normalised to [-1, 1].
Field cosineField(uint64_t seed, double kMin, double kMax, double falloff)
{
    const int kLimit = int(std::ceil(kMax));
    std::vector<double> basis((kLimit + 1) * mapSize);
    for (int k = 0; k <= kLimit; ++k)
        for (int i = 0; i < mapSize; ++i)
            basis[k * mapSize + i] = std::cos(pi * k * (i + 0.5) / mapSize);

    Random random(seed);
    std::vector<double> weights((kLimit + 1) * (kLimit + 1), 0.0);
    for (int ky = 0; ky <= kLimit; ++ky)
        for (int kx = 0; kx <= kLimit; ++kx) {
            const double k = std::sqrt(double(kx * kx + ky * ky));
            const double w = random.gaussian();
            if (k >= kMin && k <= kMax)
                weights[ky * (kLimit + 1) + kx] = w * std::pow(k, -falloff);
        }

    // Separable evaluation: first along y for every kx, then along x.
    std::vector<double> partial((kLimit + 1) * mapSize, 0.0);
    for (int kx = 0; kx <= kLimit; ++kx)
        for (int ky = 0; ky <= kLimit; ++ky) {
            const double w = weights[ky * (kLimit + 1) + kx];
            if (w == 0.0)
                continue;
            for (int y = 0; y < mapSize; ++y)
                partial[kx * mapSize + y] += w * basis[ky * mapSize + y];
        }
    Field field(mapSize * mapSize, 0.0);
    for (int y = 0; y < mapSize; ++y)
        for (int kx = 0; kx <= kLimit; ++kx) {
            const double p = partial[kx * mapSize + y];
            if (p == 0.0)
                continue;
            for (int x = 0; x < mapSize; ++x)
                field[y * mapSize + x] += p * basis[kx * mapSize + x];
        }

    const auto [lo, hi] = std::minmax_element(field.begin(), field.end());
    const double low = *lo, range = std::max(*hi - *lo, 1e-12);
    for (double& v : field)
        v = 2.0 * (v - low) / range - 1.0;
    return field;
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Soft floor: equal to h well above the floor, a flat plain well below it.
double flattenValleys(double h, double floor, double softness)
{
    return floor + softness * std::log1p(std::exp((h - floor) / softness));
}

bool writeGreyPng(const std::vector<uint8_t>& pixels, const std::string& path)
{
    FIBITMAP* bitmap = FreeImage_Allocate(mapSize, mapSize, 8);
    if (!bitmap)
        return false;
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    for (int i = 0; i < 256; ++i) {
        palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = BYTE(i);
        palette[i].rgbReserved = 0;
    }
    // Scan line 0 is the bottom row of the image, which is also row 0 of the game's height array.
    for (int y = 0; y < mapSize; ++y)
        std::copy_n(&pixels[y * mapSize], mapSize, FreeImage_GetScanLine(bitmap, y));
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_COMPRESSION);
    FreeImage_Unload(bitmap);
    return saved;
}

bool generateHeightmap(const std::string& gameDir)
{
    std::filesystem::create_directories(gameDir + "/res");

    // Rolling hills: wavelengths from the whole mirrored pair of tiles down to about 40 units.
    const Field hills = cosineField(1047, 2.0, 36.0, 1.55);
    // Ridge lines follow the zero crossings of a second field; a third decides where they rise.
    const Field ridgeLines = cosineField(2213, 3.0, 16.0, 1.2);
    const Field ridgeMask = cosineField(3571, 1.0, 5.0, 1.0);

    Field height(mapSize * mapSize);
    for (int i = 0; i < mapSize * mapSize; ++i) {
        const double rolling = 0.5 * (hills[i] + 1.0);
        const double crest = std::pow(1.0 - std::fabs(ridgeLines[i]), 4.0);
        const double where = smoothstep(-0.3, 0.4, ridgeMask[i]);
        height[i] = 0.8 * rolling + 0.35 * crest * where;
    }
    // The lowest quarter of the land becomes flat valley floors.
    Field sorted = height;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 4, sorted.end());
    const double valleyFloor = sorted[sorted.size() / 4];
    for (double& h : height)
        h = flattenValleys(h, valleyFloor, 0.02);

    const auto [lo, hi] = std::minmax_element(height.begin(), height.end());
    const double low = *lo, range = std::max(*hi - *lo, 1e-12);
    std::vector<uint8_t> pixels(mapSize * mapSize);
    for (int i = 0; i < mapSize * mapSize; ++i)
        pixels[i] = uint8_t(std::lround(1.0 + 253.0 * (height[i] - low) / range));

    const std::string path = gameDir + "/res/heightmap.png";
    if (!writeGreyPng(pixels, path)) {
        std::printf("Could not write '%s'\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

GROV_REGISTER_GENERATOR("heightmap", generateHeightmap);
