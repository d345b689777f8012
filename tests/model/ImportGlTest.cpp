// Import of small Collada files written here: the shared buffers, textures, the node tree,
// the character's box rule, skins, and files that fail.

#include "ColladaSnippets.h"
#include "GlTestContext.h"
#include "LandscapeScene.h"

#include "model/BoneObject.h"
#include "model/ImportObject.h"
#include "render/Shader.h"
#include "render/TextureManager.h"

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using snippets::Material;

// Lets the tests read back what went into the buffers.
class InspectedImport : public ImportObject {
public:
    using ImportObject::ImportObject;

    template <typename T>
    std::vector<T> read(GLuint buffer, GLenum target, size_t count) const
    {
        std::vector<T> data(count);
        glBindBuffer(target, buffer);
        glGetBufferSubData(target, 0, GLsizeiptr(count * sizeof(T)), data.data());
        glBindBuffer(target, 0);
        return data;
    }
    std::vector<unsigned> indices(size_t n) const { return read<unsigned>(indexBuffer_, GL_ARRAY_BUFFER, n); }
    std::vector<glm::vec2> texcoords(size_t n) const { return read<glm::vec2>(texcoordBuffer_, GL_ARRAY_BUFFER, n); }
};

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!GlTestContext::open())
            GTEST_SKIP() << "no OpenGL 3.3 context";
        char pattern[] = "/tmp/grov-import-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        std::filesystem::create_directories(dir + "/assets");
        ASSERT_TRUE(snippets::writeWhitePng(dir + "/assets/skin.png"));
        inDir = std::make_unique<ScopedWorkingDirectory>(dir);
        program = Shader::build(std::string(GROV_GAME_DIR) + "/shader/BlinnPhongTexture.vert",
                                std::string(GROV_GAME_DIR) + "/shader/BlinnPhongTexture.frag");
        ASSERT_NE(program, nullptr);
    }

    void TearDown() override
    {
        if (program) {
            program->release();
            delete program;
        }
        TextureManager::destroy();
        inDir.reset();
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }

    void write(const std::string& name, const std::string& text) { ASSERT_TRUE(snippets::writeFile(name, text)); }

    // Draws the model lit by ambient light only, so textured parts come out white, and
    // tells whether the pixel under a model-space point was painted.
    void drawFlat(ImportObject& model)
    {
        model.material().ambientPower = 1.0f;
        model.setShader(program);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, 256, 256);
        glDisable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        program->use();
        program->setViewMatrix(view);
        program->setProjectionMatrix(projection);
        model.render();
        Shader::unuse();
    }
    bool painted(const glm::vec3& point) const
    {
        const glm::vec4 c = projection * view * glm::vec4(point, 1.0f);
        const int x = int((c.x / c.w * 0.5f + 0.5f) * 256.0f), y = int((c.y / c.w * 0.5f + 0.5f) * 256.0f);
        return (GlTestContext::readPixel(x, y) >> 8) != 0;
    }

    std::string dir;
    std::unique_ptr<ScopedWorkingDirectory> inDir;
    Shader* program = nullptr;
    glm::mat4 view = glm::lookAt(glm::vec3(0.0f, 0.0f, 8.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    glm::mat4 projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
};

TEST_F(ImportTest, MeshesShareOneBufferWithLocalIndices)
{
    // Corners the importer finds identical share one vertex: fans of 2 and 3 triangles make 4 and 5.
    write("pair.dae",
          snippets::document("pair", {{"m0", ""}, {"m1", ""}},
                             snippets::geometry("a", 2, true, "m0") + snippets::geometry("b", 3, false, "m1"),
                             snippets::node("na", 0, 0, 0, snippets::instance("a", "m0"))
                                 + snippets::node("nb", 0, 0, 0, snippets::instance("b", "m1"))));
    InspectedImport model("pair.dae");
    ASSERT_TRUE(model.isLoaded());
    const auto& e = model.meshEntries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].indexCount, 6u);
    EXPECT_EQ(e[0].baseVertex, 0u);
    EXPECT_EQ(e[0].baseIndex, 0u);
    EXPECT_EQ(e[1].indexCount, 9u);
    EXPECT_EQ(e[1].baseVertex, 4u);
    EXPECT_EQ(e[1].baseIndex, 6u);
    EXPECT_NE(e[0].materialIndex, e[1].materialIndex);

    const std::vector<unsigned> indices = model.indices(15);
    unsigned highest = 0;
    for (unsigned i = 0; i < 9; ++i)
        highest = std::max(highest, indices[6 + i]);
    EXPECT_EQ(highest, 4u) << "second mesh's indices stay local to it";
    // The mesh without texture coordinates still has one (0, 0) per vertex.
    const std::vector<glm::vec2> uvs = model.texcoords(9);
    for (int i = 4; i < 9; ++i)
        EXPECT_EQ(uvs[size_t(i)], glm::vec2(0.0f));
    EXPECT_NE(uvs[1], glm::vec2(0.0f));
}

TEST_F(ImportTest, JointSubtreesAreSkippedAndTexturesComeFromAssets)
{
    write("rig.dae",
          snippets::document(
              "rig", {{"skin", "C:\\models\\skin.png"}}, snippets::geometry("fan", 4, true, "skin"),
              snippets::node("body", -1.5f, 0, 0, snippets::instance("fan", "skin"))
                  + snippets::node("joint_L", 1.5f, 0, 0,
                                   snippets::instance("fan", "skin")
                                       + snippets::node("hand", 0, 1.5f, 0, snippets::instance("fan", "skin")))));
    ImportObject model("rig.dae");
    ASSERT_TRUE(model.isLoaded());
    ASSERT_EQ(model.material().textures.size(), 1u);
    EXPECT_NE(model.material().textures[0]->texture, 0u);
    EXPECT_EQ(model.material().textures[0]->texture, TextureManager::instance().nameOf("assets/skin.png"));

    drawFlat(model);
    EXPECT_TRUE(painted({-1.5f, 0.0f, 0.0f}));
    EXPECT_FALSE(painted({1.5f, 0.0f, 0.0f}));
    EXPECT_FALSE(painted({1.5f, 1.5f, 0.0f}));
}

TEST_F(ImportTest, AMaterialWithoutTextureBindsNothingAndStillDraws)
{
    write("mixed.dae",
          snippets::document("mixed", {{"plain", ""}, {"skin", "textures/skin.png"}},
                             snippets::geometry("a", 4, true, "plain") + snippets::geometry("b", 4, true, "skin"),
                             snippets::node("na", -1.5f, 0, 0, snippets::instance("a", "plain"))
                                 + snippets::node("nb", 1.5f, 0, 0, snippets::instance("b", "skin"))));
    ImportObject model("mixed.dae");
    ASSERT_TRUE(model.isLoaded());
    ASSERT_EQ(model.material().textures.size(), 1u);
    const auto& e = model.meshEntries();
    EXPECT_EQ(model.material().textureFor(e[0].materialIndex), nullptr);
    EXPECT_EQ(model.material().textureFor(e[1].materialIndex), model.material().textures[0].get());
    EXPECT_EQ(model.material().textureFor(1000), nullptr);
    drawFlat(model);
    EXPECT_TRUE(painted({1.5f, 0.0f, 0.0f}));
}

TEST_F(ImportTest, TheCharacterTakesItsBoxFromItsStaticTwin)
{
    const std::string fan = snippets::geometry("fan", 4, true, "skin");
    write("assets/grov.dae",
          snippets::document("grov", {{"skin", "skin.png"}}, fan,
                             snippets::node("high", 0, 5, 0, snippets::instance("fan", "skin"))));
    write("grovTest.dae",
          snippets::document("grovTest", {{"skin", "skin.png"}}, fan,
                             snippets::node("low", 0, 0, 0, snippets::instance("fan", "skin"))));
    write("capital.dae",
          snippets::document("Grov", {{"skin", "skin.png"}}, fan,
                             snippets::node("low", 0, 0, 0, snippets::instance("fan", "skin"))));
    ImportObject character("grovTest.dae");
    EXPECT_GT(character.boundsMin().y, 3.9f);
    EXPECT_LT(character.boundsMax().y, 6.1f);
    ASSERT_EQ(character.boxCorners().size(), 8u);
    EXPECT_EQ(character.boxCorners()[0], glm::vec4(character.boundsMin(), 1.0f));
    EXPECT_EQ(character.boxCorners()[1], glm::vec4(character.boundsMax(), 1.0f));
    ImportObject other("capital.dae");
    EXPECT_LT(other.boundsMin().y, -0.5f);

    // Without the twin the character cannot be placed: it loads as a failed import.
    std::filesystem::remove("assets/grov.dae");
    testing::internal::CaptureStdout();
    ImportObject orphan("grovTest.dae");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(
        out.rfind("AssimpLoader: ReadFile ok\nAssimpLoader: ReadFile not ok\nCould not import 'assets/grov.dae': ", 0),
        0u)
        << out;
    EXPECT_EQ(out.substr(out.size() - std::string("\nImport successful\n").size()), "\nImport successful\n") << out;
    EXPECT_FALSE(orphan.isLoaded());
    drawFlat(orphan);
}

TEST_F(ImportTest, AFileThatFailsGivesAnObjectThatDrawsNothing)
{
    write("broken.dae", "<COLLADA>not really</COLLADA>");
    for (const char* path : {"missing.dae", "broken.dae"}) {
        testing::internal::CaptureStdout();
        ImportObject model(path);
        // The importer's line, then one naming the file and the reason.
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string named = std::string("AssimpLoader: ReadFile not ok\nCould not import '") + path + "': ";
        EXPECT_EQ(out.rfind(named, 0), 0u) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << out;
        EXPECT_EQ(out.substr(out.size() - std::string("\nImport successful\n").size()), "\nImport successful\n") << out;
        EXPECT_FALSE(model.isLoaded());
        EXPECT_EQ(model.findChild("tank_top"), nullptr);
        model.update(0.1);
        drawFlat(model);
        cullingEnabled = false;
        drawFlat(model);
        cullingEnabled = true;
    }
    testing::internal::CaptureStdout();
    BoneObject character("missing.dae");
    testing::internal::GetCapturedStdout();
    character.setShader(program);
    character.update(0.1);
    drawFlat(character);
    EXPECT_TRUE(character.boneTable().empty());
}

TEST_F(ImportTest, ABoneNamedInTwoMeshesGetsOneIndex)
{
    const std::string geometries = snippets::geometry("a", 2, true, "skin") + snippets::geometry("b", 2, true, "skin");
    const std::string controllers =
        snippets::skin("skinA", "a", 4, "bone_a", 1.0f) + snippets::skin("skinB", "b", 4, "bone_a", 2.0f);
    auto controller = [](const std::string& id) {
        return "<instance_controller url=\"#" + id
            + "\"><skeleton>#bone_a</skeleton><bind_material><technique_common><instance_material symbol=\"skin\" "
              "target=\"#skin\"/></technique_common></bind_material></instance_controller>";
    };
    const std::string nodes = snippets::node("ma", 0, 0, 0, controller("skinA"))
        + snippets::node("mb", 0, 0, 0, controller("skinB"))
        + "<node id=\"bone_a\" name=\"bone_a\" sid=\"bone_a\" type=\"JOINT\"><matrix sid=\"transform\">1 0 0 0 0 1 0 0 "
          "0 0 1 0 0 0 0 1</matrix></node>";
    write("shared.dae", snippets::document("shared", {{"skin", "skin.png"}}, geometries, nodes, controllers));
    BoneObject model("shared.dae");
    ASSERT_TRUE(model.isLoaded());
    ASSERT_EQ(model.boneTable().size(), 1u);
    const BoneInfo& bone = model.boneTable().at("bone_a");
    EXPECT_EQ(bone.index, 0);
    EXPECT_FLOAT_EQ(bone.offset[3].x, 1.0f) << "the first mesh's offset is kept";
    // Every vertex of both meshes is bound to bone 0 with its full weight; no clip in the file.
    ASSERT_EQ(model.vertexBones().size(), 8u);
    for (const VertexBoneData& v : model.vertexBones()) {
        EXPECT_EQ(v.ids[0], 0);
        EXPECT_FLOAT_EQ(v.weights[0], 1.0f);
    }
    EXPECT_TRUE(model.animations().empty());
    model.setShader(program);
    model.update(0.5);
    EXPECT_FLOAT_EQ(model.boneMatrices()[0][3].x, 1.0f); // bind pose: node at origin x offset
}

TEST_F(ImportTest, BonesBeyondTheShadersArrayAreNeitherSentNorRead)
{
    // One fan per bone, every joint moved far off to the side; the fan of the bone that does
    // not fit the array must stay where the mesh puts it instead of reading past the array.
    constexpr int bones = MAX_SHADER_BONES + 1;
    std::string controllers, nodes;
    for (int b = 0; b < bones; ++b) {
        const std::string k = std::to_string(b);
        controllers += snippets::skin("skin" + k, "fan", 6, "b" + k, 0.0f);
        nodes += snippets::node("m" + k, 0, 0, 0,
                                "<instance_controller url=\"#skin" + k + "\"><skeleton>#b" + k
                                    + "</skeleton><bind_material><technique_common><instance_material symbol=\"skin\" "
                                      "target=\"#skin\"/></technique_common></bind_material></instance_controller>");
        nodes += "<node id=\"b" + k + "\" name=\"b" + k + "\" sid=\"b" + k
            + "\" type=\"JOINT\"><matrix sid=\"transform\">1 0 0 100 0 1 0 0 0 0 1 0 0 0 0 1</matrix></node>";
    }
    write("crowd.dae",
          snippets::document("crowd", {{"skin", "skin.png"}}, snippets::geometry("fan", 4, true, "skin"), nodes,
                             controllers));
    BoneObject model("crowd.dae");
    ASSERT_TRUE(model.isLoaded());
    ASSERT_EQ(int(model.boneTable().size()), bones);
    Shader* skinning = Shader::build(std::string(GROV_GAME_DIR) + "/shader/vertexSkinning.vert",
                                     std::string(GROV_GAME_DIR) + "/shader/BlinnPhongTexture.frag");
    ASSERT_NE(skinning, nullptr);
    while (glGetError() != GL_NO_ERROR) {
    }
    model.setShader(skinning);
    model.update(0.0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    cullingEnabled = false; // the box is the unposed one
    std::swap(program, skinning);
    drawFlat(model);
    std::swap(program, skinning);
    cullingEnabled = true;
    EXPECT_TRUE(painted({0.0f, 0.0f, 0.0f}));
    EXPECT_FALSE(painted({-2.0f, 0.0f, 0.0f}));
    // Blended on the processor, the fans land in the same places.
    model.setSkinOnProcessor(true);
    cullingEnabled = false;
    drawFlat(model);
    cullingEnabled = true;
    EXPECT_TRUE(painted({0.0f, 0.0f, 0.0f}));
    EXPECT_FALSE(painted({-2.0f, 0.0f, 0.0f}));
    skinning->release();
    delete skinning;
}

} // namespace
