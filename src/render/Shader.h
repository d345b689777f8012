#pragma once
// One linked GLSL program with its stage objects, and the view and projection from which the
// per-object matrices are derived. Built and owned by the ShaderCache.

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <string>

class Shader {
public:
    Shader() = default;
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // Compiles and links the stages (an empty geometry path means none) and reports every
    // failure on the console; nullptr when any stage or the link fails.
    static Shader* build(const std::string& vertexPath, const std::string& fragmentPath,
                         const std::string& geometryPath = std::string());

    // Puts the program in use; every uniform setter addresses it from now on.
    void use();
    // Leaves no program in use.
    static void unuse();

    // Store the matrix and upload "vMatrix" / "pMatrix".
    void setViewMatrix(const glm::mat4& view);
    void setProjectionMatrix(const glm::mat4& projection);
    // Stores the model matrix and uploads "mMatrix", "nMatrix", "mvMatrix" and "mvpMatrix";
    // the view and projection must already be set for this frame.
    void setModelMatrix(const glm::mat4& model);

    // Deletes the program and its stages; nothing happens when there is no program.
    void release();

    GLuint program() const { return program_; }
    GLuint vertexShader() const { return vertexShader_; }
    GLuint fragmentShader() const { return fragmentShader_; }
    GLuint geometryShader() const { return geometryShader_; }
    const glm::mat4& modelMatrix() const { return modelMatrix_; }
    const glm::mat4& viewMatrix() const { return viewMatrix_; }
    const glm::mat4& projectionMatrix() const { return projectionMatrix_; }

    // The normal matrix of a model-view matrix: the transposed inverse of its upper 3x3.
    static glm::mat3 normalMatrix(const glm::mat4& modelView);

private:
    // Compiles one stage; the created shader name is returned in name even when compiling
    // fails. False when the stage cannot be used.
    static bool compileStage(const std::string& path, GLenum type, GLuint& name);

    GLuint program_ = 0;
    GLuint vertexShader_ = 0;
    GLuint fragmentShader_ = 0;
    GLuint geometryShader_ = 0;
    glm::mat4 modelMatrix_ = glm::mat4(1.0f);
    glm::mat4 viewMatrix_ = glm::mat4(1.0f);
    glm::mat4 projectionMatrix_ = glm::mat4(1.0f);
};
