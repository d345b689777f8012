#pragma once
// A camera the player can steer: mouse look turns it (the pointer is put back to the window
// centre every frame), and the fly and steer actions (W, S, A, D) move it. Both can be
// switched off, and the heading and elevation are kept between limits.

#include "render/Camera.h"

class MovableCamera : public Camera {
public:
    // mouseSensitivity in radians per pixel, moveSpeed in world units per second. Mouse look
    // and free movement start on; the limits start at yaw 0..360 and pitch -90..90 degrees.
    MovableCamera(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up, float mouseSensitivity,
                  float moveSpeed);

    // Applies the mouse and the movement keys; dt is the wall-clock frame time in seconds.
    void update(double dt) override;

    // Also recovers yaw and pitch from the new viewing direction.
    void lookAt(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up) override;

    // All four in degrees.
    void setLimits(float yawMin, float yawMax, float pitchMin, float pitchMax);

    // Switching mouse look on from off first centres the pointer, so the view does not jump.
    void setControls(bool mouseLook, bool freeMovement);

    // Radians. Yaw 0 looks toward +z, pi/2 toward +x, pi toward -z, 3 pi/2 toward -x;
    // pitch is the elevation above the horizontal, positive looking up.
    float yaw() const { return yawAngle; }
    float pitch() const { return pitchAngle; }
    bool isMouseLookOn() const { return mouseLook; }
    bool isFreeMovementOn() const { return freeMovement; }

private:
    float yawAngle = 0.0f;   // radians
    float pitchAngle = 0.0f; // radians
    float moveSpeed;         // world units per second
    float mouseSensitivity;  // radians per pixel
    bool mouseLook = true;
    bool freeMovement = true;
    float yawMin = 0.0f;   // radians
    float yawMax = 0.0f;   // radians
    float pitchMin = 0.0f; // radians
    float pitchMax = 0.0f; // radians
};
