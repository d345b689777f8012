#include "render/Camera.h"

#include <gtest/gtest.h>

namespace {

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(Camera, StartsAtTheOriginWithAnIdentityView)
{
    Camera camera;
    EXPECT_EQ(camera.viewMatrix(), glm::mat4(1.0f));
    EXPECT_EQ(camera.eye(), glm::vec3(0.0f));
    EXPECT_EQ(camera.center(), glm::vec3(0.0f));
    EXPECT_EQ(camera.up(), glm::vec3(0.0f, 1.0f, 0.0f));
}

TEST(Camera, ViewPutsTheEyeAtTheOriginLookingDownMinusZ)
{
    Camera camera;
    const glm::vec3 eye(0.0f, 15.0f, 15.0f);
    const glm::vec3 center(0.0f, 0.0f, -28.0f);
    camera.lookAt(eye, center, glm::vec3(0.0f, 2.0f, 0.0f)); // up need not be unit length

    const glm::mat4 view = camera.viewMatrix();
    expectNear(glm::vec3(view * glm::vec4(eye, 1.0f)), glm::vec3(0.0f));
    expectNear(glm::vec3(view * glm::vec4(center, 1.0f)),
               glm::vec3(0.0f, 0.0f, -glm::length(center - eye)));
    // Above the line of sight in the world is above it on screen.
    EXPECT_GT((view * glm::vec4(center + glm::vec3(0, 1, 0), 1.0f)).y, 0.0f);
    // A point to the world's +x, which is on the right when looking toward -z.
    EXPECT_GT((view * glm::vec4(center + glm::vec3(1, 0, 0), 1.0f)).x, 0.0f);

    // Setting one end of the pose keeps the rest.
    camera.setEye(glm::vec3(5.0f, 15.0f, 15.0f));
    EXPECT_EQ(camera.center(), center);
    EXPECT_EQ(camera.up(), glm::vec3(0.0f, 2.0f, 0.0f));
    camera.setCenter(glm::vec3(5.0f, 15.0f, 0.0f));
    EXPECT_EQ(camera.eye(), glm::vec3(5.0f, 15.0f, 15.0f));
    expectNear(glm::vec3(camera.viewMatrix() * glm::vec4(5.0f, 15.0f, 0.0f, 1.0f)),
               glm::vec3(0.0f, 0.0f, -15.0f));
}

} // namespace
