#pragma once
// A viewpoint (eye, center, up) and the view matrix built from it. The projection is kept by
// the World, not by the camera.

#include <glm/glm.hpp>

class Camera {
public:
    Camera();
    virtual ~Camera() = default;

    // Called once per frame with the wall-clock frame time in seconds; a plain camera stays put.
    virtual void update(double dt);

    // Rebuilds the view matrix as a right-handed look-at and stores the pose.
    virtual void lookAt(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up);

    // Both go through lookAt, so a derived camera sees every change of pose.
    void setEye(const glm::vec3& eye);
    void setCenter(const glm::vec3& center);

    glm::vec3 eye() const { return eyePosition; }
    glm::vec3 center() const { return centerPosition; }
    glm::vec3 up() const { return upVector; }
    glm::mat4 viewMatrix() const { return view; }

protected:
    glm::mat4 view;                             // identity until the first lookAt
    glm::vec3 eyePosition{0.0f, 0.0f, 0.0f};    // world units
    glm::vec3 centerPosition{0.0f, 0.0f, 0.0f}; // world point looked at
    glm::vec3 upVector{0.0f, 1.0f, 0.0f};
};
