// AUTO's ground packs the colour map and the normal map into one texture: the colours and the
// normals must come back out of it.

#include "render/TerrainDetail.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

glm::vec3 unpacked(const DetailTexels& packed, int i)
{
    const unsigned char* texel = packed.rgba.data() + i * 4;
    const DetailColours& c = packed.colours;
    return c.base + c.axisA * (texel[0] / 255.0f) + c.axisB * (texel[1] / 255.0f);
}

} // namespace

TEST(TerrainDetail, ColoursOnAPlaneComeBackAndTheNormalMapIsReadAtTheColourMapsSize)
{
    // Eight colours of grass and earth on one plane of colour space, each a mix of two tints.
    const glm::vec3 mean(0.36f, 0.48f, 0.15f), tintA(0.20f, 0.25f, 0.05f), tintB(0.10f, -0.08f, 0.12f);
    const float mixes[8][2] = {{-1, 0}, {1, 0.5f},     {0.3f, -1},    {-0.5f, 1},
                               {0, 0},  {0.8f, -0.6f}, {-0.2f, 0.4f}, {1, 1}};
    std::vector<unsigned char> colour;
    std::vector<glm::vec3> expected;
    for (const auto& m : mixes) {
        const glm::vec3 c = mean + tintA * m[0] + tintB * m[1];
        expected.push_back(glm::vec3(glm::round(c * 255.0f)) / 255.0f);
        for (int k = 0; k < 3; ++k)
            colour.push_back(static_cast<unsigned char>(glm::round(c[k] * 255.0f)));
        colour.push_back(255);
    }
    // A 2 x 1 normal map under the 4 x 2 colour map: the left half reads texel 0, the right texel 1.
    const std::vector<unsigned char> normal = {10, 20, 240, 255, 200, 90, 230, 255};

    const DetailTexels packed = packTerrainDetail(colour.data(), 4, 2, normal.data(), 2, 1);
    ASSERT_EQ(packed.width, 4);
    ASSERT_EQ(packed.height, 2);
    ASSERT_EQ(packed.rgba.size(), 32u);
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 back = unpacked(packed, i);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(back[k], expected[std::size_t(i)][k], 2.5f / 255.0f) << "texel " << i << " channel " << k;
        const int source = (i % 4) < 2 ? 0 : 4;
        EXPECT_EQ(packed.rgba[std::size_t(i) * 4 + 2], normal[std::size_t(source)]) << i;
        EXPECT_EQ(packed.rgba[std::size_t(i) * 4 + 3], normal[std::size_t(source) + 1]) << i;
    }
}

TEST(TerrainDetail, AMissingMapReadsAsBlackColourOrFlatGround)
{
    const std::vector<unsigned char> normal = {10, 20, 240, 255};
    const DetailTexels noColour = packTerrainDetail(nullptr, 0, 0, normal.data(), 1, 1);
    ASSERT_EQ(noColour.rgba.size(), 4u);
    EXPECT_NEAR(glm::length(unpacked(noColour, 0)), 0.0f, 1e-6f);
    EXPECT_EQ(noColour.rgba[2], 10);

    const std::vector<unsigned char> colour = {100, 150, 50, 255, 100, 150, 50, 255};
    const DetailTexels noNormal = packTerrainDetail(colour.data(), 2, 1, nullptr, 0, 0);
    ASSERT_EQ(noNormal.rgba.size(), 8u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(unpacked(noNormal, i).g, 150.0f / 255.0f, 1e-4f);
        EXPECT_EQ(noNormal.rgba[std::size_t(i) * 4 + 2], 128);
        EXPECT_EQ(noNormal.rgba[std::size_t(i) * 4 + 3], 128);
    }

    const DetailTexels neither = packTerrainDetail(nullptr, 0, 0, nullptr, 0, 0);
    EXPECT_EQ(neither.rgba.size(), 4u);
}
