#pragma once
// The sky: six textured quads closing a cube around the eye of the active camera, re-centred
// on it every frame and drawn at the far end of the depth range, so the sky always lies behind
// the landscape and models and never comes closer however far the camera flies.

#include "render/SceneObject.h"
#include "render/Sprite.h"

#include <string>

class MovableCamera;

class Skybox : public SceneObject {
public:
    static constexpr int FACE_COUNT = 6;
    // Order of the faces.
    enum Face { FACE_FRONT, FACE_BACK, FACE_LEFT, FACE_RIGHT, FACE_TOP, FACE_BOTTOM };

    Skybox() = default;
    ~Skybox() override = default;

    // cameraRef is the World's active-camera field, read again on every update so that a
    // switch of camera is followed at once. Loads the six images (a missing one leaves its
    // face with texture 0) and turns each face inward.
    void setup(MovableCamera** cameraRef, const std::string& front, const std::string& back, const std::string& left,
               const std::string& right, const std::string& top, const std::string& bottom);

    // Moves every face to the active camera's eye plus the face's offset.
    void update(double dt) override;
    // Draws the faces with the depth range pinned at 1, then restores the usual depth state.
    void draw(Shader* shader) override;

    const Sprite& face(int index) const { return faces[index]; }

private:
    Sprite faces[FACE_COUNT];
    MovableCamera** cameraRef_ = nullptr; // not owned
};
