// Height queries, the area query and the camera following of the terrain, on small heightmaps
// written by the tests (no GL needed: the heights live in memory).

#include "render/MovableCamera.h"
#include "render/Terrain.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

// Writes an 8-bit grey PNG; values[row * width + column], row 0 at the bottom of the image.
std::string writeHeightmap(const std::string& name, unsigned width, unsigned height,
                           const std::vector<unsigned char>& values)
{
    const std::string path = testing::TempDir() + name;
    FIBITMAP* image = FreeImage_Allocate(int(width), int(height), 8);
    RGBQUAD* palette = FreeImage_GetPalette(image);
    for (int i = 0; i < 256; ++i)
        palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            FreeImage_GetScanLine(image, int(y))[x] = values[y * width + x];
    EXPECT_TRUE(FreeImage_Save(FIF_PNG, image, path.c_str(), 0));
    FreeImage_Unload(image);
    return path;
}

// A terrain with the game's scale over a 4 x 4 map whose pixel (column c, row r) holds
// 10 + 16 r + c, except the top-right pixel, which is 255, and the bottom-left, which is 0.
class SmallMapTerrain : public testing::Test {
protected:
    void SetUp() override
    {
        std::vector<unsigned char> values(16);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                values[r * 4 + c] = static_cast<unsigned char>(10 + 16 * r + c);
        values[0] = 0;
        values[15] = 255;
        ASSERT_TRUE(terrain.loadHeights(writeHeightmap("grov-terrain-4x4.png", 4, 4, values)));
        terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
    }
    float pixel(int c, int r) const
    {
        const int value = (c == 0 && r == 0) ? 0 : (c == 3 && r == 3) ? 255 : 10 + 16 * r + c;
        return 30.0f * float(value) / 255.0f;
    }
    Terrain terrain;
};

// A box of fixed size around an object's position, for the area queries.
class Box : public SceneObject {
public:
    Box(const glm::vec3& low, const glm::vec3& high) : low(low), high(high) {}
    void draw(Shader*) override {}
    glm::vec3 boundsMin() const override { return low; }
    glm::vec3 boundsMax() const override { return high; }
    glm::vec3 low, high;
};

} // namespace

TEST_F(SmallMapTerrain, MirroredTilesReadTheExpectedPixels)
{
    EXPECT_EQ(terrain.heightmapWidth(), 4u);
    EXPECT_FLOAT_EQ(terrain.heightAt(150.0f, 0.0f), pixel(1, 0));
    EXPECT_FLOAT_EQ(terrain.heightAt(-150.0f, 0.0f), pixel(1, 0));
    // The second tile is mirrored: 750 lies at 0.75 of it, seen from its far side.
    EXPECT_FLOAT_EQ(terrain.heightAt(750.0f, 0.0f), pixel(3, 0));
    // Exactly on the tile edge the mirrored fraction is 1, clamped to the last column.
    EXPECT_FLOAT_EQ(terrain.heightAt(600.0f, 0.0f), pixel(3, 0));
    // z picks the row, row 0 being the image's bottom; the vec3 form ignores y.
    EXPECT_FLOAT_EQ(terrain.heightAt(0.0f, 160.0f), pixel(0, 1));
    EXPECT_FLOAT_EQ(terrain.heightAt(glm::vec3(160.0f, 99.0f, -460.0f)), pixel(1, 3));
    EXPECT_FLOAT_EQ(terrain.heightAt(1350.0f, 1350.0f), pixel(1, 1)); // third tile, as stored
}

TEST_F(SmallMapTerrain, FullAndEmptyBytesGiveScaleYAndZero)
{
    EXPECT_EQ(terrain.heightAt(500.0f, 500.0f), 30.0f);
    EXPECT_EQ(terrain.heightAt(10.0f, 10.0f), 0.0f);
}

TEST_F(SmallMapTerrain, CoordinatesThatAreNotFiniteOrHugeNeverReadOutside)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(terrain.heightAt(nan, 0.0f), 0.0f);
    EXPECT_EQ(terrain.heightAt(0.0f, nan), 0.0f);
    EXPECT_EQ(terrain.heightAt(inf, 0.0f), 0.0f);
    EXPECT_EQ(terrain.heightAt(-inf, -inf), 0.0f);
    const float far = terrain.heightAt(3.0e38f, -3.0e38f);
    EXPECT_GE(far, 0.0f);
    EXPECT_LE(far, 30.0f);
    EXPECT_EQ(terrain.maxHeightInArea(nan, 0.0f, glm::vec3(-1.0f), glm::vec3(1.0f)), 0.0f);
}

TEST(TerrainWithoutHeightmap, EveryQueryGivesZero)
{
    Terrain terrain;
    terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
    EXPECT_FALSE(terrain.loadHeights(testing::TempDir() + "no-such-heightmap.png"));
    EXPECT_EQ(terrain.heightmapWidth(), 0u);
    EXPECT_EQ(terrain.heightAt(150.0f, 20.0f), 0.0f);
    EXPECT_EQ(terrain.maxHeightInArea(0.0f, 0.0f, glm::vec3(-5.0f), glm::vec3(5.0f)), 0.0f);
    Box box(glm::vec3(-3.0f), glm::vec3(3.0f));
    box.setPosition(glm::vec3(4.0f, 50.0f, 4.0f));
    EXPECT_EQ(terrain.placeOnTop(box), 0.0f);
    EXPECT_EQ(box.position(), glm::vec3(4.0f, 0.0f, 4.0f));
}

// One heightmap pixel per world unit, all flat except one raised pixel, so each test can ask
// whether the area query looked at that one point.
class AreaQuery : public testing::Test {
protected:
    float withRaised(int x, int z, float atX, float atZ, glm::vec3 low, glm::vec3 high)
    {
        std::vector<unsigned char> values(600 * 600, 0);
        values[std::size_t(z) * 600 + x] = 200;
        Terrain terrain;
        terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
        EXPECT_TRUE(terrain.loadHeights(writeHeightmap("grov-terrain-area.png", 600, 600, values)));
        return terrain.maxHeightInArea(atX, atZ, low, high);
    }
    const float raised = 30.0f * 200.0f / 255.0f;
};

// The map mirrors at 0, so a pixel raised at (x, z) also stands at (-x, -z): a query at the
// mirrored place must see exactly what the one at the positive place sees. Throws fly toward
// negative z, so the negative side is where the game lands.
TEST_F(AreaQuery, AnEmptyBoxSamplesTheSurroundingCellCornersAndItsCentre)
{
    const glm::vec3 none(0.0f);
    for (float side : {1.0f, -1.0f}) {
        const float at = 7.0f * side;
        for (const auto& [x, z] : {std::pair{5, 5}, {5, 10}, {10, 5}, {10, 10}, {7, 7}})
            EXPECT_FLOAT_EQ(withRaised(x, z, at, at, none, none), raised) << x << ", " << z << " at " << at;
        for (const auto& [x, z] : {std::pair{0, 0}, {15, 10}, {10, 15}, {8, 8}})
            EXPECT_EQ(withRaised(x, z, at, at, none, none), 0.0f) << x << ", " << z << " at " << at;
    }
}

TEST_F(AreaQuery, ATankSizedBoxSeesGroundAnywhereUnderIt)
{
    const glm::vec3 low(-3.5f, 0.0f, -5.5f), high(3.5f, 4.0f, 5.5f);
    for (float side : {1.0f, -1.0f}) {
        const float atX = 22.0f * side, atZ = 40.0f * side;
        EXPECT_FLOAT_EQ(withRaised(25, 45, atX, atZ, low, high), raised) << side;
        EXPECT_FLOAT_EQ(withRaised(20, 35, atX, atZ, low, high), raised) << side;
        // The outer corner of the cells the box reaches into.
        EXPECT_FLOAT_EQ(withRaised(30, 50, atX, atZ, low, high), raised) << side;
        EXPECT_EQ(withRaised(35, 40, atX, atZ, low, high), 0.0f) << side;
    }
}

TEST_F(AreaQuery, EndsForHugeCoordinatesAndHugeBoxes)
{
    // At 1e9 one cell of 5 no longer changes a float, and 1e7 wide is four million cells:
    // both must still come back, having looked at the box's corners and centre.
    const float atHugeX = withRaised(0, 0, 1.0e9f, 0.0f, glm::vec3(-5.0f), glm::vec3(5.0f));
    EXPECT_GE(atHugeX, 0.0f);
    EXPECT_FLOAT_EQ(withRaised(300, 300, 300.0f, 300.0f, glm::vec3(-1.0e7f), glm::vec3(1.0e7f)), raised);
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(withRaised(0, 0, 50.0f, 50.0f, glm::vec3(-inf), glm::vec3(inf)), 0.0f);
}

TEST(TerrainPlacement, StandsObjectsOnTheGroundOrOnTheHighestGroundUnderThem)
{
    std::vector<unsigned char> values(600 * 600, 51);
    values[std::size_t(10) * 600 + 15] = 255; // on a cell corner under the tank
    Terrain terrain;
    terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
    ASSERT_TRUE(terrain.loadHeights(writeHeightmap("grov-terrain-place.png", 600, 600, values)));

    Box grov(glm::vec3(-1.0f, 0.0f, -1.0f), glm::vec3(1.0f, 4.0f, 1.0f));
    grov.setPosition(glm::vec3(12.0f, 99.0f, 12.0f));
    EXPECT_FLOAT_EQ(terrain.placeOnGround(grov), 6.0f);
    EXPECT_FLOAT_EQ(grov.position().y, 6.0f);

    Box tank(glm::vec3(-3.5f, 0.0f, -5.5f), glm::vec3(3.5f, 4.0f, 5.5f));
    tank.setPosition(glm::vec3(12.0f, -4.0f, 12.0f));
    EXPECT_FLOAT_EQ(terrain.maxHeightUnder(tank), 30.0f);
    EXPECT_FLOAT_EQ(terrain.placeOnTop(tank), 30.0f);
    EXPECT_EQ(tank.position(), glm::vec3(12.0f, 30.0f, 12.0f));
}

TEST(TerrainFollow, MovesInWholeCellsOnlyWhenTheCameraIsACellAway)
{
    MovableCamera camera(glm::vec3(12.4f, 20.0f, 0.0f), glm::vec3(12.4f, 0.0f, -30.0f), glm::vec3(0.0f, 1.0f, 0.0f),
                         0.00045f, 20.0f);
    MovableCamera* active = &camera;
    Terrain terrain;
    terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
    terrain.setPosition(glm::vec3(10.0f, 0.0f, 0.0f));
    terrain.setCamera(&active);

    terrain.update(0.016);
    EXPECT_EQ(terrain.position(), glm::vec3(10.0f, 0.0f, 0.0f));

    camera.lookAt(glm::vec3(15.6f, 20.0f, -7.5f), glm::vec3(15.6f, 0.0f, -40.0f), camera.up());
    terrain.update(0.016);
    EXPECT_EQ(terrain.position(), glm::vec3(15.0f, 0.0f, -5.0f));

    // A long way at once: still whole cells, within one cell of the camera.
    camera.lookAt(glm::vec3(-1003.0f, 20.0f, -2471.4f), glm::vec3(-1003.0f, 0.0f, -2500.0f), camera.up());
    terrain.update(0.016);
    EXPECT_EQ(terrain.position(), glm::vec3(-1000.0f, 0.0f, -2470.0f));

    // The terrain follows the World's active camera, whichever it is.
    MovableCamera other(glm::vec3(200.0f, 10.0f, 300.0f), glm::vec3(200.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f),
                        0.00045f, 60.0f);
    active = &other;
    terrain.update(0.016);
    EXPECT_EQ(terrain.position(), glm::vec3(200.0f, 0.0f, 300.0f));
}

TEST(GameHeightmap, MeetsItsMirrorImageWithoutACrease)
{
    Terrain terrain;
    terrain.setScale(glm::vec3(5.0f, 30.0f, 5.0f));
    ASSERT_TRUE(terrain.loadHeights(std::string(GROV_GAME_DIR) + "/res/heightmap.png"));
    const unsigned size = terrain.heightmapWidth();
    ASSERT_EQ(terrain.heightmapHeight(), size);
    const float pixel = terrain.textureScale1() / float(size);
    const auto at = [&](unsigned column, unsigned row) {
        return terrain.heightAt((float(column) + 0.5f) * pixel, (float(row) + 0.5f) * pixel);
    };
    // Mean height step between two neighbouring columns (or rows), over the whole map.
    const auto step = [&](unsigned a, unsigned b, bool columns) {
        double sum = 0.0;
        for (unsigned i = 0; i < size; ++i)
            sum += std::fabs(columns ? at(a, i) - at(b, i) : at(i, a) - at(i, b));
        return sum / size;
    };
    double interior = 0.0;
    int count = 0;
    for (unsigned i = size / 8; i < size - size / 8; i += 7, count += 2)
        interior += step(i, i + 1, true) + step(i, i + 1, false);
    interior /= count;
    ASSERT_GT(interior, 0.0);
    // The mirrored neighbour tile turns the slope at a border around, so any slope left there
    // would show as a fold; the ground must come in level at every border.
    for (bool columns : {true, false}) {
        EXPECT_LT(step(0, 1, columns), 0.4 * interior) << (columns ? "left edge" : "bottom edge");
        EXPECT_LT(step(size - 1, size - 2, columns), 0.4 * interior) << (columns ? "right edge" : "top edge");
    }
}
