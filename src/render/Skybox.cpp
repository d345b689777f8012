#include "render/Skybox.h"

#include "render/MovableCamera.h"
#include "render/TextureManager.h"

namespace {

constexpr float HALF_EDGE = 15.0f; // world units from the eye to each face
constexpr int FACE_TEXTURE_UNIT = 1;

struct FacePlacement {
    glm::vec3 offset; // from the eye, world units
    glm::vec3 rotationAxis;
    float rotationAngle; // degrees
};

// Each quad faces its own +z; these turn that side toward the eye.
const FacePlacement PLACEMENTS[Skybox::FACE_COUNT] = {
    {{0.0f, 0.0f, -HALF_EDGE}, {0.0f, 1.0f, 0.0f}, 0.0f},   // front
    {{0.0f, 0.0f, HALF_EDGE}, {0.0f, 1.0f, 0.0f}, 180.0f},  // back
    {{-HALF_EDGE, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 90.0f},  // left
    {{HALF_EDGE, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 270.0f},  // right
    {{0.0f, HALF_EDGE, 0.0f}, {1.0f, 0.0f, 0.0f}, 90.0f},   // top
    {{0.0f, -HALF_EDGE, 0.0f}, {1.0f, 0.0f, 0.0f}, 270.0f}, // bottom
};

} // namespace

void Skybox::setup(MovableCamera** cameraRef, const std::string& front, const std::string& back,
                   const std::string& left, const std::string& right, const std::string& top, const std::string& bottom)
{
    cameraRef_ = cameraRef;
    const std::string* paths[FACE_COUNT] = {&front, &back, &left, &right, &top, &bottom};
    for (int i = 0; i < FACE_COUNT; ++i) {
        const GLuint texture = TextureManager::instance().load(*paths[i], GL_RGB, GL_BGR, GL_LINEAR, GL_LINEAR,
                                                               GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
        faces[i].setTexture(int(texture), FACE_TEXTURE_UNIT);
        faces[i].setRotationAxis(PLACEMENTS[i].rotationAxis);
        faces[i].setRotationAngle(PLACEMENTS[i].rotationAngle);
        faces[i].setScale(glm::vec3(HALF_EDGE));
    }
}

void Skybox::update(double dt)
{
    if (!cameraRef_ || !*cameraRef_)
        return;
    const glm::vec3 eye = (*cameraRef_)->eye();
    for (int i = 0; i < FACE_COUNT; ++i) {
        faces[i].setPosition(eye + PLACEMENTS[i].offset);
        faces[i].update(dt);
    }
}

void Skybox::draw(Shader* shader)
{
    // Every sky fragment gets the largest depth, so it shows only where nothing nearer was
    // drawn, and passes against the cleared depth of 1.
    glDepthRange(1.0, 1.0);
    glDepthFunc(GL_LEQUAL);
    for (Sprite& face : faces) {
        face.setShader(shader);
        face.render();
    }
    glDepthRange(0.0, 1.0);
    glDepthFunc(GL_LESS);
}
