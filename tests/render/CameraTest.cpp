#include "render/Camera.h"

#include <gtest/gtest.h>

namespace {

TEST(Camera, ViewPutsTheEyeAtTheOriginLookingDownMinusZ)
{
    Camera camera;
    const glm::vec3 eye(0, 15, 15);
    const glm::vec3 center(0, 0, -28);
    camera.lookAt(eye, center, glm::vec3(0, 2, 0)); // up need not be unit length
    const glm::mat4 view = camera.viewMatrix();

    EXPECT_LT(glm::length(glm::vec3(view * glm::vec4(eye, 1))), 1e-4f);
    const glm::vec3 seen(view * glm::vec4(center, 1));
    EXPECT_LT(glm::length(seen - glm::vec3(0, 0, -glm::length(center - eye))), 1e-4f);
    // World up is up on screen; world +x is on the right when looking toward -z.
    EXPECT_GT((view * glm::vec4(center + glm::vec3(0, 1, 0), 1)).y, 0.0f);
    EXPECT_GT((view * glm::vec4(center + glm::vec3(1, 0, 0), 1)).x, 0.0f);

    // Moving one end of the pose keeps the rest.
    camera.setEye(glm::vec3(5, 15, 15));
    camera.setCenter(glm::vec3(5, 15, 0));
    EXPECT_EQ(camera.up(), glm::vec3(0, 2, 0));
    const glm::vec3 moved(camera.viewMatrix() * glm::vec4(5, 15, 0, 1));
    EXPECT_LT(glm::length(moved - glm::vec3(0, 0, -15)), 1e-4f);
}

} // namespace
