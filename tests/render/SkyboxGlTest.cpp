// The sky cube: where its faces go, which camera it follows, and the depth state it leaves.

#include "GlTestContext.h"
#include "LandscapeScene.h"
#include "render/MovableCamera.h"
#include "render/Shader.h"
#include "render/ShaderCache.h"
#include "render/Skybox.h"

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

MovableCamera cameraAt(const glm::vec3& eye)
{
    return MovableCamera(eye, eye + glm::vec3(0.0f, 0.0f, -10.0f), glm::vec3(0.0f, 1.0f, 0.0f), 0.00045f, 20.0f);
}

void setUpSky(Skybox& sky, MovableCamera** active)
{
    sky.setup(active, "res/skybox2/front.jpg", "res/skybox2/back.jpg", "res/skybox2/left.jpg", "res/skybox2/right.jpg",
              "res/skybox2/top.jpg", "res/skybox2/bottom.jpg");
}

} // namespace

TEST(SkyboxGlTest, FacesSurroundWhicheverCameraIsActive)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    ScopedWorkingDirectory inGameDir(GROV_GAME_DIR);
    MovableCamera game = cameraAt(glm::vec3(100.0f, 20.0f, -50.0f));
    MovableCamera freeCamera = cameraAt(glm::vec3(-7.0f, 3.0f, 9.0f));
    MovableCamera* active = &game;
    Skybox sky;
    setUpSky(sky, &active);

    sky.update(0.016);
    EXPECT_EQ(sky.face(Skybox::FACE_FRONT).position(), glm::vec3(100.0f, 20.0f, -65.0f));
    EXPECT_EQ(sky.face(Skybox::FACE_BACK).position(), glm::vec3(100.0f, 20.0f, -35.0f));
    EXPECT_EQ(sky.face(Skybox::FACE_LEFT).position(), glm::vec3(85.0f, 20.0f, -50.0f));
    EXPECT_EQ(sky.face(Skybox::FACE_RIGHT).position(), glm::vec3(115.0f, 20.0f, -50.0f));
    EXPECT_EQ(sky.face(Skybox::FACE_TOP).position(), glm::vec3(100.0f, 35.0f, -50.0f));
    EXPECT_EQ(sky.face(Skybox::FACE_BOTTOM).position(), glm::vec3(100.0f, 5.0f, -50.0f));

    // Pausing switches the World's active camera; the sky follows without another setup.
    active = &freeCamera;
    sky.update(0.016);
    EXPECT_EQ(sky.face(Skybox::FACE_FRONT).position(), glm::vec3(-7.0f, 3.0f, -6.0f));
    EXPECT_EQ(sky.face(Skybox::FACE_BOTTOM).position(), glm::vec3(-7.0f, -12.0f, 9.0f));

    // Every face turns its front side to the eye: its own +z points back at the centre.
    for (int i = 0; i < Skybox::FACE_COUNT; ++i) {
        const Sprite& face = sky.face(i);
        const glm::vec3 facing = glm::vec3(face.modelMatrix() * glm::vec4(0.0f, 0.0f, 1.0f, 0.0f));
        const glm::vec3 towardEye = freeCamera.eye() - face.position();
        EXPECT_NEAR(glm::dot(glm::normalize(facing), glm::normalize(towardEye)), 1.0f, 1e-5f) << "face " << i;
        EXPECT_NE(face.texture(), 0) << "face " << i;
        EXPECT_EQ(face.textureUnit(), 1);
    }
}

TEST(SkyboxGlTest, DrawingTheSkyLeavesTheUsualDepthStateAndStaysBehindTheScene)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    LandscapeScene scene;
    ASSERT_TRUE(scene.build(GROV_GAME_DIR, 64, 48));

    glDepthFunc(GL_GREATER);
    glDepthRange(0.25, 0.5);
    scene.draw();
    GLint function = 0;
    GLfloat range[2] = {0.0f, 0.0f};
    glGetIntegerv(GL_DEPTH_FUNC, &function);
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_EQ(function, GL_LESS);
    EXPECT_EQ(range[0], 0.0f);
    EXPECT_EQ(range[1], 1.0f);

    // With the sky drawn last at depth 1 the ground still shows in front of it.
    scene.draw();
    const std::vector<float> depth = scene.readDepth();
    EXPECT_LT(depth[std::size_t(2) * 64 + 32], 1.0f);
    EXPECT_EQ(depth[std::size_t(46) * 64 + 32], 1.0f);
}

TEST(SkyboxGlTest, FacesMeetWithoutASeamAtTheirEdges)
{
    if (!GlTestContext::open())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    LandscapeScene scene;
    ASSERT_TRUE(scene.build(GROV_GAME_DIR, 512, 384));
    const glm::vec3 eye = scene.gameCamera->eye();

    // Look into two upper corners of the cube, so that six face edges cross the picture.
    const glm::vec3 corners[] = {{-1.0f, 1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}};
    for (const glm::vec3& corner : corners) {
        scene.gameCamera->lookAt(eye, eye + corner * glm::vec3(1.0f, 1.1f, 1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        scene.draw();
        const std::vector<unsigned char> colour = scene.readColour();
        const glm::mat4 mvp = scene.projection * scene.activeCamera->viewMatrix();
        const auto toScreen = [&](const glm::vec3& direction) {
            const glm::vec4 clip = mvp * glm::vec4(eye + 15.0f * direction, 1.0f);
            return glm::vec2((clip.x / clip.w * 0.5f + 0.5f) * float(scene.width),
                             (clip.y / clip.w * 0.5f + 0.5f) * float(scene.height));
        };
        const auto difference = [&](glm::vec2 a, glm::vec2 b) {
            const int ax = int(a.x), ay = int(a.y), bx = int(b.x), by = int(b.y);
            if (std::min({ax, ay, bx, by}) < 0 || std::max(ax, bx) >= scene.width || std::max(ay, by) >= scene.height)
                return -1;
            const unsigned char* p = &colour[(std::size_t(ay) * scene.width + ax) * 4];
            const unsigned char* q = &colour[(std::size_t(by) * scene.width + bx) * 4];
            return std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
        };

        // Across each edge, neighbouring pixels should differ no more than a few pixels
        // further inside one face do.
        for (int axis = 0; axis < 3; ++axis) {
            glm::vec3 other = corner;
            other[axis] = -other[axis];
            double across = 0.0, inside = 0.0;
            int samples = 0;
            for (float t = 0.02f; t < 0.98f; t += 0.004f) {
                const glm::vec2 p = toScreen(glm::mix(corner, other, t));
                const glm::vec2 along = glm::normalize(toScreen(glm::mix(corner, other, t + 0.001f)) - p);
                const glm::vec2 normal(-along.y, along.x);
                const int seam = difference(p - 2.0f * normal, p + 2.0f * normal);
                const int face = difference(p + 4.0f * normal, p + 8.0f * normal);
                if (seam < 0 || face < 0)
                    continue;
                across += seam;
                inside += face;
                ++samples;
            }
            ASSERT_GT(samples, 20) << "edge along axis " << axis;
            EXPECT_LT(across / samples, 2.0 * inside / samples + 4.0) << "edge along axis " << axis;
        }
    }
}
