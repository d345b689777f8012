// The index ranges of the culled terrain strip: every triangle that can be seen is in exactly
// one range, ranges keep the strip's order and winding, and views that see nothing or
// everything get no range or the whole strip.

#include "render/TerrainCulling.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// Which of the strip's triangles the ranges draw, each counted once per range that draws it.
std::vector<int> drawnTriangles(const TerrainCulling& culling, int width, int depth)
{
    const long long indexCount = 2LL * width * (depth - 1);
    std::vector<int> drawn(std::size_t(indexCount - 2), 0);
    for (int r = 0; r < culling.rangeCount(); ++r) {
        const long long first = culling.firstIndex(r);
        const long long count = culling.counts()[std::size_t(r)];
        EXPECT_EQ(first % 2, 0) << "range " << r << " would flip the winding";
        EXPECT_LE(first + count, indexCount);
        if (r > 0) {
            EXPECT_GT(first, culling.firstIndex(r - 1) + culling.counts()[std::size_t(r - 1)] - 3)
                << "range " << r << " overlaps the one before or runs backwards";
        }
        for (long long t = first; t + 2 < first + count; ++t)
            ++drawn[std::size_t(t)];
    }
    return drawn;
}

// Whether a box of the grid's own space has corners on the inside of every clip plane.
bool mayBeSeen(const glm::mat4& m, glm::vec3 low, glm::vec3 high)
{
    int beyond[6] = {};
    for (int i = 0; i < 8; ++i) {
        const glm::vec4 c = m * glm::vec4(i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z, 1);
        beyond[0] += c.x > c.w;
        beyond[1] += c.x < -c.w;
        beyond[2] += c.y > c.w;
        beyond[3] += c.y < -c.w;
        beyond[4] += c.z > c.w;
        beyond[5] += c.z < -c.w;
    }
    for (int count : beyond)
        if (count == 8)
            return false;
    return true;
}

float random(float low, float high)
{
    return low + (high - low) * float(std::rand()) / float(RAND_MAX);
}

} // namespace

TEST(TerrainCullingTest, EveryTriangleThatMayBeSeenIsDrawnOnceInTheStripsOrder)
{
    constexpr int width = 41, depth = 30; // odd and even, so both row directions and halves
    TerrainCulling culling(width, depth, 1.0f);
    std::srand(7);
    int partlyCulled = 0;
    for (int view = 0; view < 300; ++view) {
        // Poses over and beside the grid, looking every way; the grid is scaled like the game's.
        const glm::vec3 eye(random(-30, 30), random(-2, 25), random(-30, 30));
        const glm::vec3 target(random(-40, 40), random(-10, 5), random(-40, 40));
        const glm::mat4 model = glm::scale(glm::mat4(1.0f), glm::vec3(5, 30, 5));
        const glm::mat4 m = glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 5000.0f)
            * glm::lookAt(eye * 5.0f, target * 5.0f, glm::vec3(0, 1, 0)) * model;
        culling.cull(m);
        const std::vector<int> drawn = drawnTriangles(culling, width, depth);
        int skipped = 0;
        for (std::size_t t = 0; t < drawn.size(); ++t) {
            ASSERT_LE(drawn[t], 1) << "triangle " << t << " drawn twice in view " << view;
            skipped += drawn[t] == 0;
        }
        partlyCulled += skipped > 0 && skipped < int(drawn.size());

        for (int row = 0; row + 1 < depth; ++row) {
            const float z = float(row - depth / 2);
            for (int cell = 0; cell + 1 < width; ++cell) {
                const float x = float(cell - width / 2);
                if (!mayBeSeen(m, {x, 0, z}, {x + 1, 1, z + 1}))
                    continue;
                // Odd rows run right to left.
                const int unit = row * width + (row % 2 == 0 ? cell : width - 2 - cell);
                ASSERT_TRUE(drawn[std::size_t(2 * unit)] && drawn[std::size_t(2 * unit + 1)])
                    << "view " << view << ": cell " << cell << " of row " << row << " left out";
                EXPECT_FALSE(culling.rowCulled(row));
            }
            // The turn's upright triangle in the edge column, from this row to the one after next.
            const float edge = float((row % 2 == 0 ? width - 1 : 0) - width / 2);
            if (row + 2 < depth && mayBeSeen(m, {edge, 0, z}, {edge, 1, z + 2})) {
                const int unit = row * width + width - 1;
                ASSERT_TRUE(drawn[std::size_t(2 * unit)] && drawn[std::size_t(2 * unit + 1)])
                    << "view " << view << ": the turn after row " << row << " left out";
            }
        }
    }
    // The poses are worth something only when many of them see part of the grid.
    EXPECT_GT(partlyCulled, 100);
}

TEST(TerrainCullingTest, AViewOfTheWholeGridIsOneRangeAndABrokenOneDrawsEverything)
{
    // The 3 x 3 grid's strip is 0, 3, 1, 4, 2, 5, 8, 5, 7, 4, 6, 3.
    TerrainCulling culling(3, 3, 1.0f);
    const glm::mat4 above = glm::ortho(-10.0f, 10.0f, -10.0f, 10.0f, -10.0f, 10.0f);
    culling.cull(above);
    ASSERT_EQ(culling.rangeCount(), 1);
    EXPECT_EQ(culling.firstIndex(0), 0);
    EXPECT_EQ(culling.counts()[0], 12);

    // A camera pose gone bad must not blank the ground.
    glm::mat4 broken = above;
    broken[1][2] = std::nanf("");
    culling.cull(broken);
    ASSERT_EQ(culling.rangeCount(), 1);
    EXPECT_EQ(culling.counts()[0], 12);

    // A view off to the side of the grid draws nothing; a grid without cells neither.
    culling.cull(glm::translate(above, glm::vec3(100.0f, 0.0f, 0.0f)));
    EXPECT_EQ(culling.rangeCount(), 0);
    EXPECT_TRUE(culling.rowCulled(0));
    TerrainCulling empty(1, 5, 1.0f);
    empty.cull(above);
    EXPECT_EQ(empty.rangeCount(), 0);
}
