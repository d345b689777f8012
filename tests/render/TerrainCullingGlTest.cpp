// The landscape drawn with terrain culling on must be the landscape drawn with it off, to the
// last pixel and the last depth value, from every kind of view the game has.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "render/SceneObject.h"
#include "render/Terrain.h"

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int width = 1024;
constexpr int height = 768;

struct Pose {
    const char* name;
    glm::vec3 eye, center, up;
};

// Heights are added to the eye and centre's y: the ground under the eye, so every pose stands
// where the game would put a camera.
const Pose poses[] = {
    {"aiming", {0, 12, 15}, {0, -3, -28}, {0, 1, 0}},
    {"flight", {4, 45, -380}, {2, 25, -440}, {0, 1, 0}},
    {"straight down", {12, 320, -60}, {12, 0, -60}, {0, 0, -1}},
    {"free camera behind the start", {-20, 60, 140}, {0, 10, 0}, {0, 1, 0}},
    // Along the rows toward the grid's side, where the strip turns into the next row.
    {"along the rows", {0, 40, -200}, {600, 20, -200}, {0, 1, 0}},
    {"up into the sky", {0, 30, 0}, {0, 500, -1}, {0, 1, 0}},
};

struct Frame {
    std::vector<unsigned char> colour;
    std::vector<float> depth;
};

Frame drawFrame(LandscapeScene& scene, bool culling)
{
    cullingEnabled = culling;
    scene.draw();
    cullingEnabled = true;
    return {scene.readColour(), scene.readDepth()};
}

int differingPixels(const Frame& a, const Frame& b)
{
    int count = 0;
    for (std::size_t i = 0; i < a.depth.size(); ++i)
        if (std::memcmp(&a.colour[i * 4], &b.colour[i * 4], 4) != 0 || a.depth[i] != b.depth[i])
            ++count;
    return count;
}

} // namespace

TEST(TerrainCullingGlTest, EveryPoseDrawsTheSameFrameWithCullingOnAndOff)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    LandscapeScene scene;
    ASSERT_TRUE(scene.build(GROV_GAME_DIR, width, height));
    const Terrain& terrain = *scene.terrain;

    for (const Pose& pose : poses) {
        SCOPED_TRACE(pose.name);
        const float ground = terrain.heightAt(pose.eye.x, pose.eye.z);
        scene.gameCamera->lookAt(pose.eye + glm::vec3(0, ground, 0), pose.center + glm::vec3(0, ground, 0), pose.up);
        const Frame whole = drawFrame(scene, false);
        const Frame culled = drawFrame(scene, true);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_EQ(differingPixels(whole, culled), 0);

        const TerrainCulling& culling = terrain.culling();
        const long long sent = culling.drawnIndices();
        std::printf("%s: %d ranges, %.1f %% of the strip's indices\n", pose.name, culling.rangeCount(),
                    100.0 * double(sent) / double(terrain.indexCount()));
        // Only the view along the rows sees as much as half of the grid.
        EXPECT_LT(sent, terrain.indexCount() / 2);
        bool anyRowCulled = false;
        for (int row = 0; row + 1 < 800; ++row)
            anyRowCulled = anyRowCulled || culling.rowCulled(row);
        // Every view leaves whole rows out: those behind the camera, or beyond the sides.
        EXPECT_TRUE(anyRowCulled);
        for (int range = 0; range < culling.rangeCount(); ++range)
            ASSERT_EQ(culling.firstIndex(range) % 2, 0) << "range " << range;
    }
    // Looking up, only the few cells around the camera that the margins keep are left.
    EXPECT_LT(terrain.culling().drawnIndices(), terrain.indexCount() / 1000);
}
