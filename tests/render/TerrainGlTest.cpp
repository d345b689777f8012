// The terrain's mesh as GL holds it, and the landscape as the player first sees it.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "render/Terrain.h"

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

template <typename T>
std::vector<T> readBuffer(GLenum target, GLenum bindingQuery, std::size_t count)
{
    GLint buffer = 0;
    glGetIntegerv(bindingQuery, &buffer);
    std::vector<T> values(count);
    glBindBuffer(target, GLuint(buffer));
    glGetBufferSubData(target, 0, GLsizeiptr(count * sizeof(T)), values.data());
    glBindBuffer(target, 0);
    return values;
}

// Highest screen row (bottom-up) covered by any mesh edge in each column, with every vertex
// at the height the queries give: the silhouette the ground should have.
std::vector<int> predictedSilhouette(const LandscapeScene& scene)
{
    const Terrain& terrain = *scene.terrain;
    const glm::mat4 mvp = scene.projection * scene.activeCamera->viewMatrix();
    constexpr int gridSide = 800;
    const glm::vec3 origin = terrain.position();
    const glm::vec3 cell = terrain.scale();

    std::vector<glm::vec3> screen(std::size_t(gridSide) * gridSide);
    std::vector<bool> inFront(screen.size());
    for (int r = 0; r < gridSide; ++r)
        for (int c = 0; c < gridSide; ++c) {
            const float x = origin.x + cell.x * float(c - gridSide / 2);
            const float z = origin.z + cell.z * float(r - gridSide / 2);
            const glm::vec4 clip = mvp * glm::vec4(x, terrain.heightAt(x, z), z, 1.0f);
            const std::size_t i = std::size_t(r) * gridSide + c;
            inFront[i] = clip.w > 1.0f;
            screen[i] = glm::vec3((clip.x / clip.w * 0.5f + 0.5f) * float(scene.width),
                                  (clip.y / clip.w * 0.5f + 0.5f) * float(scene.height), 0.0f);
        }

    std::vector<int> top(std::size_t(scene.width), -1);
    const auto edge = [&](std::size_t a, std::size_t b) {
        if (!inFront[a] || !inFront[b])
            return;
        glm::vec3 p = screen[a], q = screen[b];
        if (p.x > q.x)
            std::swap(p, q);
        const int first = std::max(0, int(std::ceil(p.x - 0.5f)));
        const int last = std::min(scene.width - 1, int(std::floor(q.x - 0.5f)));
        for (int column = first; column <= last; ++column) {
            const float t = q.x > p.x ? (float(column) + 0.5f - p.x) / (q.x - p.x) : 0.0f;
            const float y = p.y + (q.y - p.y) * t;
            const int row = std::min(scene.height - 1, int(std::floor(y - 0.5f)));
            top[std::size_t(column)] = std::max(top[std::size_t(column)], row);
        }
    };
    for (int r = 0; r < gridSide; ++r)
        for (int c = 0; c < gridSide; ++c) {
            const std::size_t i = std::size_t(r) * gridSide + c;
            if (c + 1 < gridSide)
                edge(i, i + 1);
            if (r + 1 < gridSide)
                edge(i, i + gridSide);
            if (r + 1 < gridSide && c > 0)
                edge(i, i + gridSide - 1); // the strip's diagonals
        }
    return top;
}

} // namespace

TEST(TerrainGlTest, ASmallGridIsOneSnakingStripOfWholeCellVertices)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    ScopedWorkingDirectory inGameDir(GROV_GAME_DIR);
    Terrain terrain;
    terrain.generate(3, 3);
    ASSERT_EQ(terrain.vertexCount(), 9);
    ASSERT_EQ(terrain.indexCount(), 12);
    EXPECT_EQ(terrain.colorUnit(), 1);
    EXPECT_EQ(terrain.heightmapUnit(), 2);
    EXPECT_EQ(terrain.normalUnit(), 3);
    EXPECT_NE(terrain.heightmapTexture(), 0u);
    EXPECT_NE(terrain.colorTexture(), 0u);
    EXPECT_NE(terrain.normalTexture(), 0u);

    glBindVertexArray(terrain.vertexArray());
    const std::vector<unsigned> indices =
        readBuffer<unsigned>(GL_ELEMENT_ARRAY_BUFFER, GL_ELEMENT_ARRAY_BUFFER_BINDING, 12);
    GLint positions = 0;
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &positions);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(positions));
    std::vector<std::int16_t> vertices(27);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(vertices.size() * sizeof(std::int16_t)), vertices.data());
    GLint type = 0;
    glBindVertexArray(terrain.vertexArray());
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    EXPECT_EQ(indices, (std::vector<unsigned>{0, 3, 1, 4, 2, 5, 8, 5, 7, 4, 6, 3}));
    EXPECT_EQ(type, GL_SHORT);
    using Corner = std::vector<std::int16_t>;
    EXPECT_EQ(Corner(vertices.begin(), vertices.begin() + 3), (Corner{-1, 0, -1}));
    EXPECT_EQ(Corner(vertices.begin() + 12, vertices.begin() + 15), (Corner{0, 0, 0}));
    EXPECT_EQ(Corner(vertices.end() - 3, vertices.end()), (Corner{1, 0, 1}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The game's grid: 640 000 vertices, 1 278 400 indices, and the heights in memory.
    terrain.generate(800, 800);
    EXPECT_EQ(terrain.vertexCount(), 640000);
    EXPECT_EQ(terrain.indexCount(), 1278400);
    EXPECT_GT(terrain.heightmapWidth(), 0u);
}

TEST(TerrainGlTest, TheStartViewShowsSkyAboveLitGroundWhoseSilhouetteMatchesTheHeights)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    LandscapeScene scene;
    ASSERT_TRUE(scene.build(GROV_GAME_DIR, 1024, 768));
    scene.draw();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    const std::string shots = std::string(GROV_GAME_DIR) + "/../shots";
    std::filesystem::create_directories(shots);
    EXPECT_TRUE(scene.savePng(shots + "/terrain-start.png"));

    const std::vector<unsigned char> colour = scene.readColour();
    const std::vector<float> depth = scene.readDepth();
    const auto rgb = [&](int x, int y) { return &colour[(std::size_t(y) * scene.width + x) * 4]; };

    // The sky: every pixel of the top rows is drawn, at the far end of the depth range, and blue.
    for (int x = 0; x < scene.width; x += 16) {
        const unsigned char* p = rgb(x, scene.height - 4);
        EXPECT_EQ(depth[std::size_t(scene.height - 4) * scene.width + x], 1.0f);
        EXPECT_GT(int(p[2]), int(p[0]) + 40) << "sky at column " << x;
    }
    // The ground under the camera, row by row: grass lit by the sun, neither black nor washed out.
    for (int y = 0; y < scene.height / 4; y += 24) {
        long red = 0, green = 0, blue = 0;
        for (int x = 0; x < scene.width; ++x) {
            const unsigned char* p = rgb(x, y);
            EXPECT_LT(depth[std::size_t(y) * scene.width + x], 1.0f);
            red += p[0];
            green += p[1];
            blue += p[2];
        }
        red /= scene.width;
        green /= scene.width;
        blue /= scene.width;
        EXPECT_GT(green, blue + 30) << "ground at row " << y;
        EXPECT_GT(green, red) << "ground at row " << y;
        EXPECT_GT(red + green + blue, 150) << "ground at row " << y;
        EXPECT_LT(red + green + blue, 600) << "ground at row " << y;
    }

    // Where the ground meets the sky, column by column, against the heights the game uses.
    const std::vector<int> expected = predictedSilhouette(scene);
    int matching = 0, worst = 0;
    for (int x = 0; x < scene.width; ++x) {
        int drawn = -1;
        for (int y = scene.height - 1; y >= 0 && drawn < 0; --y)
            if (depth[std::size_t(y) * scene.width + x] < 1.0f)
                drawn = y;
        const int error = std::abs(drawn - expected[std::size_t(x)]);
        worst = std::max(worst, error);
        if (error <= 1)
            ++matching;
    }
    std::printf("silhouette: %d of %d columns within 1 pixel, worst %d\n", matching, scene.width, worst);
    EXPECT_GE(matching, scene.width * 99 / 100);
    EXPECT_LE(worst, 2);
}
