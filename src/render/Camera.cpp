#include "render/Camera.h"

#include <glm/gtc/matrix_transform.hpp>

Camera::Camera() = default;

void Camera::update(double)
{}

void Camera::lookAt(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up)
{
    // Right-handed, as gluLookAt: the camera looks down its own -z.
    view = glm::lookAtRH(eye, center, up);
    eyePosition = eye;
    centerPosition = center;
    upVector = up;
}

void Camera::setEye(const glm::vec3& eye)
{
    lookAt(eye, centerPosition, upVector);
}

void Camera::setCenter(const glm::vec3& center)
{
    lookAt(eyePosition, center, upVector);
}
