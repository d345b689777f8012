#pragma once
// The base of everything the World draws, in 3D and on the HUD: a transform (position, one
// rotation, scale), visibility and transparency, the program it is drawn with and the GL
// handles of its mesh. render() is the one place where the per-object uniforms are set and
// blending is switched.

#include <GL/glew.h>
#include <glm/glm.hpp>

class Shader;

// Process-wide render switches, both on at start and flipped by the render toggles.
// With transparency off, objects are drawn either fully opaque or not at all.
extern bool transparencyEnabled;
// Lets models skip drawing when their box lies outside the view volume.
extern bool cullingEnabled;

class SceneObject {
public:
    SceneObject() = default;
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // Issues the GL draw; called only by render, with the object's own shader in use.
    virtual void draw(Shader* shader) = 0;
    virtual ~SceneObject() = default;
    // Per-frame step with the game time step in seconds.
    virtual void update(double dt);
    // translate(position) x rotate(rotationAngle about rotationAxis) x scale(scale).
    virtual glm::mat4 modelMatrix() const;
    // Corners of the object's box relative to its position.
    virtual glm::vec3 boundsMin() const;
    virtual glm::vec3 boundsMax() const;

    // Draws the object with its shader, which the caller has already put in use with this
    // frame's view and projection: model matrices, blending, "transparency", then draw().
    void render();

    void setPosition(const glm::vec3& position) { position_ = position; }
    const glm::vec3& position() const { return position_; }
    void setRotationAxis(const glm::vec3& axis) { rotationAxis_ = axis; }
    const glm::vec3& rotationAxis() const { return rotationAxis_; }
    void setRotationAngle(float degrees) { rotationAngle_ = degrees; }
    float rotationAngle() const { return rotationAngle_; }
    void setScale(const glm::vec3& scale) { scale_ = scale; }
    const glm::vec3& scale() const { return scale_; }
    void setVisible(bool visible) { visible_ = visible; }
    bool isVisible() const { return visible_; }
    void setTransparent(bool transparent) { transparent_ = transparent; }
    bool isTransparent() const { return transparent_; }
    // Stored clamped to [0, 1]; 1 is opaque.
    void setTransparency(float transparency);
    float transparency() const { return transparency_; }
    // What render sends to the program: with transparency off, fully opaque or not at all.
    float sentTransparency() const;
    void setShader(Shader* shader) { shader_ = shader; }
    Shader* shader() const { return shader_; }

    GLuint vertexArray() const { return vertexArray_; }
    int vertexCount() const { return vertexCount_; }
    int indexCount() const { return indexCount_; }

protected:
    // Binds texture on unit as "textureMap" and draws the mesh as one triangle strip; an
    // unset texture or unit (-1) draws with texture 0 on unit 0.
    void drawTexturedStrip(int texture, int unit) const;

    // Mesh handles; each subclass fills (and deletes) the ones it uses.
    GLuint vertexArray_ = 0;
    GLuint positionBuffer_ = 0;
    GLuint normalBuffer_ = 0;
    GLuint indexBuffer_ = 0;
    GLuint texcoordBuffer_ = 0;
    int vertexCount_ = 0;
    int indexCount_ = 0;

    glm::vec3 position_ = glm::vec3(0.0f);
    glm::vec3 rotationAxis_ = glm::vec3(0.0f, 1.0f, 0.0f);
    float rotationAngle_ = 0.0f; // degrees
    glm::vec3 scale_ = glm::vec3(1.0f);
    bool transparent_ = false;
    bool visible_ = true;
    float transparency_ = 1.0f;
    Shader* shader_ = nullptr; // not owned
};
