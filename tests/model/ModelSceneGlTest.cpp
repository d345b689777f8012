// Grov and the tanks drawn with the game's own programs and lighting on the real landscape,
// seen from the distances the game shows them at. Each view is compared with the same view
// without the models, and saved under build-model/shots for a look.

#include "GlTestContext.h"
#include "LandscapeScene.h"

#include "model/BoneObject.h"
#include "model/Tank.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"

#include <FreeImage.h>
#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

class ModelScene : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!GlTestContext::open())
            return;
        directory = std::make_unique<ScopedWorkingDirectory>(GROV_GAME_DIR);
        scene = std::make_unique<LandscapeScene>();
        if (!scene->build(GROV_GAME_DIR, WIDTH, HEIGHT)) {
            scene.reset();
            return;
        }
        Shader* tankProgram = scene->shaders->get("shader/BlinnPhongTexture.vert", "shader/BlinnPhongTexture.frag");
        Shader* grovProgram = scene->shaders->get("shader/vertexSkinning.vert", "shader/BlinnPhongTexture.frag");
        grov = std::make_unique<BoneObject>("assets/grov_anim.dae");
        grov->setShader(grovProgram);
        grov->material().diffusePower = 1.3f;
        grov->material().specularPower = 0.8f;
        grov->material().ambientPower = 0.2f;
        grov->material().specularReflectionExponent = 10.0f;
        scene->terrain->placeOnGround(*grov);
        for (const glm::vec3& at : {glm::vec3(20.0f, 0.0f, -50.0f), glm::vec3(-60.0f, 0.0f, -200.0f)}) {
            auto tank = std::make_unique<Tank>("assets/tank.dae");
            tank->setShader(tankProgram);
            tank->setTransparent(true);
            tank->material().diffusePower = 0.7f;
            tank->material().specularPower = 1.8f;
            tank->material().ambientPower = 0.1f;
            tank->material().specularReflectionExponent = 8.0f;
            tank->setPosition(at);
            scene->terrain->placeOnTop(*tank);
            tanks.push_back(std::move(tank));
        }
        gameEye = scene->gameCamera->eye();
        gameCenter = scene->gameCamera->center();
        std::filesystem::create_directories(std::string(GROV_GAME_DIR) + "/../shots");
    }

    static void TearDownTestSuite()
    {
        tanks.clear();
        grov.reset();
        scene.reset();
        directory.reset();
    }

    void SetUp() override
    {
        if (!scene)
            GTEST_SKIP() << "no OpenGL 3.3 context or landscape";
    }

    // One frame from the eye, as the World draws it: terrain, models, sky. Returns RGBA rows.
    static std::vector<unsigned char> frame(const glm::vec3& eye, const glm::vec3& center, bool withModels)
    {
        scene->gameCamera->lookAt(eye, center, glm::vec3(0.0f, 1.0f, 0.0f));
        std::vector<SceneObject*> models;
        if (withModels) {
            models.push_back(grov.get());
            for (auto& tank : tanks)
                models.push_back(tank.get());
        }
        scene->draw(models);
        return scene->readColour();
    }

    static void save(const std::vector<unsigned char>& pixels, const std::string& name)
    {
        FIBITMAP* image = FreeImage_Allocate(WIDTH, HEIGHT, 24);
        for (int y = 0; y < HEIGHT; ++y) {
            BYTE* line = FreeImage_GetScanLine(image, y);
            for (int x = 0; x < WIDTH; ++x) {
                const unsigned char* p = &pixels[(size_t(y) * WIDTH + size_t(x)) * 4];
                line[x * 3 + FI_RGBA_RED] = p[0];
                line[x * 3 + FI_RGBA_GREEN] = p[1];
                line[x * 3 + FI_RGBA_BLUE] = p[2];
            }
        }
        FreeImage_Save(FIF_PNG, image, (std::string(GROV_GAME_DIR) + "/../shots/" + name).c_str(), 0);
        FreeImage_Unload(image);
    }

    // Pixels that changed inside the object's projected box.
    static int changedPixels(const SceneObject& object, const std::vector<unsigned char>& without,
                             const std::vector<unsigned char>& with)
    {
        const glm::mat4 clip = scene->projection * scene->activeCamera->viewMatrix() * object.modelMatrix();
        glm::vec2 low(1e9f), high(-1e9f);
        for (int i = 0; i < 8; ++i) {
            const glm::vec3 corner((i & 1) ? object.boundsMax().x : object.boundsMin().x,
                                   (i & 2) ? object.boundsMax().y : object.boundsMin().y,
                                   (i & 4) ? object.boundsMax().z : object.boundsMin().z);
            const glm::vec4 c = clip * glm::vec4(corner, 1.0f);
            const glm::vec2 screen((c.x / c.w * 0.5f + 0.5f) * WIDTH, (c.y / c.w * 0.5f + 0.5f) * HEIGHT);
            low = glm::min(low, screen);
            high = glm::max(high, screen);
        }
        int changed = 0;
        for (int y = std::max(0, int(low.y)); y < std::min(HEIGHT, int(high.y) + 1); ++y)
            for (int x = std::max(0, int(low.x)); x < std::min(WIDTH, int(high.x) + 1); ++x) {
                const size_t i = (size_t(y) * WIDTH + size_t(x)) * 4;
                changed += std::abs(int(with[i]) - int(without[i])) + std::abs(int(with[i + 1]) - int(without[i + 1]))
                        + std::abs(int(with[i + 2]) - int(without[i + 2]))
                    > 30;
            }
        return changed;
    }

    static inline std::unique_ptr<ScopedWorkingDirectory> directory;
    static inline std::unique_ptr<LandscapeScene> scene;
    static inline std::unique_ptr<BoneObject> grov;
    static inline std::vector<std::unique_ptr<Tank>> tanks;
    static inline glm::vec3 gameEye{0.0f};
    static inline glm::vec3 gameCenter{0.0f};
};

TEST_F(ModelScene, GrovMidClipAndATankShowFromTheGameCamera)
{
    animationClock = 0.0;
    grov->update(0.6); // well inside the 1.5 s clip: arms up, one leg kicking
    tanks[0]->update(1.0);
    const auto without = frame(gameEye, gameCenter, false);
    const auto with = frame(gameEye, gameCenter, true);
    save(with, "game_camera.png");
    EXPECT_GT(changedPixels(*grov, without, with), 400);
    EXPECT_GT(changedPixels(*tanks[0], without, with), 150);
}

TEST_F(ModelScene, CloseViewsOfGrovAndTheTank)
{
    const glm::vec3 g = grov->position();
    // Face to face, as the game-over orbit passes in front of him.
    const auto face = frame(g + glm::vec3(3.0f, 3.5f, -11.0f), g + glm::vec3(0.0f, 2.3f, 0.0f), true);
    save(face, "grov_front.png");
    const auto faceWithout = frame(g + glm::vec3(3.0f, 3.5f, -11.0f), g + glm::vec3(0.0f, 2.3f, 0.0f), false);
    EXPECT_GT(changedPixels(*grov, faceWithout, face), 5000);

    // Blended on the processor and drawn by a program without bones, the same Grov: only the
    // rounding may differ.
    Shader* skinning = grov->shader();
    grov->setSkinOnProcessor(true);
    grov->setShader(scene->shaders->get("shader/BlinnPhongTexture.vert", "shader/BlinnPhongTexture.frag"));
    const auto blendedHere = frame(g + glm::vec3(3.0f, 3.5f, -11.0f), g + glm::vec3(0.0f, 2.3f, 0.0f), true);
    grov->setSkinOnProcessor(false);
    grov->setShader(skinning);
    EXPECT_LT(changedPixels(*grov, face, blendedHere), 20);

    // His low-poly twin takes his place, pose and light: it strays from him only along his
    // outline and the stripes of his shirt (6 % of his pixels, drawn 200 pixels tall).
    grov->loadLowPolyTwin("assets/grov_anim_low.dae");
    ASSERT_TRUE(grov->hasLowPolyTwin());
    grov->setLowPoly(true);
    const auto lowPoly = frame(g + glm::vec3(3.0f, 3.5f, -11.0f), g + glm::vec3(0.0f, 2.3f, 0.0f), true);
    grov->setLowPoly(false);
    save(lowPoly, "grov_front_low_poly.png");
    EXPECT_LT(changedPixels(*grov, face, lowPoly), changedPixels(*grov, faceWithout, face) / 10);

    // In flight from behind, later in the clip.
    grov->update(0.5);
    save(frame(g + glm::vec3(-4.0f, 6.0f, 10.0f), g + glm::vec3(0.0f, 2.0f, 0.0f), true), "grov_flight.png");

    const glm::vec3 t = tanks[0]->position();
    tanks[0]->update(0.7);
    const auto tank = frame(t + glm::vec3(-16.0f, 9.0f, 18.0f), t + glm::vec3(0.0f, 1.5f, 0.0f), true);
    save(tank, "tank_close.png");
    const auto tankWithout = frame(t + glm::vec3(-16.0f, 9.0f, 18.0f), t + glm::vec3(0.0f, 1.5f, 0.0f), false);
    EXPECT_GT(changedPixels(*tanks[0], tankWithout, tank), 5000);
}

} // namespace
