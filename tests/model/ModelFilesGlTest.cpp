// The generated models through the real loader: Grov's skeleton and clip, the tank's turret,
// and the sizes the game's placement and collisions rely on.

#include "GlTestContext.h"
#include "LandscapeScene.h"

#include "model/BoneObject.h"
#include "model/Tank.h"
#include "render/TextureManager.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace {

class ModelFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        inGameDir = std::make_unique<ScopedWorkingDirectory>(GROV_GAME_DIR);
    }
    void TearDown() override { inGameDir.reset(); }

    std::unique_ptr<ScopedWorkingDirectory> inGameDir;
};

void expectNear(const glm::mat4& a, const glm::mat4& b, float tolerance)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(a[c][r], b[c][r], tolerance) << "column " << c << " row " << r;
}

// A triangle of no area draws nothing and still costs vertex work in every frame; the low-poly
// twin is there to cost less.
TEST(ModelFileMeshes, NoGeneratedModelHasATriangleWithoutArea)
{
    std::map<std::string, unsigned> trianglesOf;
    for (const std::string name : {"grov.dae", "grov_anim.dae", "grov_anim_low.dae", "tank.dae"}) {
        SCOPED_TRACE(name);
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(std::string(GROV_GAME_DIR) + "/assets/" + name,
                                                 aiProcess_Triangulate | aiProcess_GenSmoothNormals);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        unsigned triangles = 0;
        unsigned flat = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh& mesh = *scene->mMeshes[m];
            for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
                const aiFace& face = mesh.mFaces[f];
                ASSERT_EQ(face.mNumIndices, 3u);
                const aiVector3D a = mesh.mVertices[face.mIndices[0]];
                const aiVector3D b = mesh.mVertices[face.mIndices[1]];
                const aiVector3D c = mesh.mVertices[face.mIndices[2]];
                ++triangles;
                flat += ((b - a) ^ (c - a)).Length() <= 2e-8f;
            }
        }
        EXPECT_GT(triangles, 100u);
        EXPECT_EQ(flat, 0u) << "of " << triangles;
        trianglesOf[name] = triangles;
    }
    EXPECT_LT(trianglesOf["grov_anim_low.dae"], trianglesOf["grov_anim.dae"] / 2) << "the low-poly twin";
}

TEST_F(ModelFiles, GrovHasHisSkeletonClipAndSize)
{
    BoneObject grov("assets/grov_anim.dae");
    ASSERT_TRUE(grov.isLoaded());
    EXPECT_EQ(grov.rootNode()->name.compare(0, 4, "grov"), 0);
    const char* joints[] = {"hips",       "spine",      "head",       "upperarm_L", "lowerarm_L", "upperarm_R",
                            "lowerarm_R", "upperleg_L", "lowerleg_L", "upperleg_R", "lowerleg_R"};
    EXPECT_GE(grov.boneTable().size(), 10u);
    EXPECT_LE(int(grov.boneTable().size()), MAX_SHADER_BONES);
    for (const char* joint : joints)
        EXPECT_EQ(grov.boneTable().count(joint), 1u) << joint;

    ASSERT_EQ(grov.animations().size(), 1u);
    const double seconds = grov.animations()[0]->duration / grov.ticksPerSecond();
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 2.0);
    for (const char* joint : joints)
        EXPECT_NE(grov.animations()[0]->findChannel(joint), nullptr) << joint;

    // About 4 tall, feet at the origin, facing -z; the box is his static twin's.
    const glm::vec3 low = grov.boundsMin(), high = grov.boundsMax();
    EXPECT_NEAR(low.y, 0.0f, 0.05f);
    EXPECT_NEAR(high.y - low.y, 4.0f, 0.3f);
    EXPECT_LT(high.x - low.x, 4.0f);
    ImportObject still("assets/grov.dae");
    EXPECT_EQ(still.boundsMin(), low);
    EXPECT_EQ(still.boundsMax(), high);

    // At most four influences per vertex, adding up to one.
    for (const VertexBoneData& v : grov.vertexBones()) {
        const float total = v.weights[0] + v.weights[1] + v.weights[2] + v.weights[3];
        ASSERT_NEAR(total, 1.0f, 1e-3f);
    }
}

TEST_F(ModelFiles, GrovMovesThroughHisClipAndLoops)
{
    BoneObject grov("assets/grov_anim.dae");
    ASSERT_TRUE(grov.isLoaded());
    const int arm = grov.boneTable().at("upperarm_L").index;
    animationClock = 0.0;
    grov.update(0.0);
    const glm::mat4 start = grov.boneMatrices()[size_t(arm)];
    grov.update(0.4);
    const glm::mat4 middle = grov.boneMatrices()[size_t(arm)];
    EXPECT_GT(glm::length(glm::vec3(middle[3]) - glm::vec3(start[3]))
                  + glm::length(glm::vec3(middle[0]) - glm::vec3(start[0])),
              0.1f)
        << "the arm flails";
    const double clipSeconds = grov.animations()[0]->duration / grov.ticksPerSecond();
    grov.update(clipSeconds - 0.4);
    expectNear(grov.boneMatrices()[size_t(arm)], start, 1e-3f);
}

TEST_F(ModelFiles, TheTankIsTankSizedAndItsTurretTurns)
{
    Tank tank("assets/tank.dae");
    ASSERT_TRUE(tank.isLoaded());
    const glm::vec3 size = tank.boundsMax() - tank.boundsMin();
    EXPECT_NEAR(size.x, 7.0f, 0.6f);
    EXPECT_NEAR(size.y, 4.0f, 0.4f);
    EXPECT_NEAR(size.z, 11.0f, 0.8f);
    EXPECT_NEAR(tank.boundsMin().y, 0.0f, 0.05f);

    SceneNode* turret = tank.findChild("tank_top");
    ASSERT_NE(turret, nullptr);
    ASSERT_EQ(turret->children.size(), 1u);
    EXPECT_EQ(turret->children[0]->name, "tank_barrel");
    ASSERT_FALSE(turret->meshIndices.empty());
    const SceneNode* hull = tank.findChild("tank_body");
    ASSERT_NE(hull, nullptr);
    const glm::mat4 hullStart = hull->transformation;
    const glm::mat4 start = turret->transformation;
    const glm::mat4 barrelStart = turret->children[0]->transformation;

    tank.update(0.0);
    EXPECT_EQ(turret->transformation, start);
    tank.update(1.25);
    tank.update(0.75);
    expectNear(turret->transformation,
               start * glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0.0f, 0.0f, 1.0f)), 1e-5f);
    // The turret turns about the file's vertical axis: after the root's Z-up conversion its
    // place on the hull stays put.
    EXPECT_EQ(glm::vec3(turret->transformation[3]), glm::vec3(start[3]));
    for (int i = 0; i < 3; ++i)
        tank.update(2.0);
    expectNear(turret->transformation, start, 1e-4f);
    EXPECT_EQ(hull->transformation, hullStart);
    EXPECT_EQ(turret->children[0]->transformation, barrelStart);
}

} // namespace
