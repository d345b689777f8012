#include "render/Shader.h"

#include "render/ShaderVariable.h"

#include <glm/gtc/type_ptr.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

// GL info logs, fetched into a buffer one longer than GL reports, as GL expects room for the
// terminator.
std::string shaderLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    glGetShaderInfoLog(shader, length, nullptr, buffer.data());
    return std::string(buffer.data());
}

std::string programLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    glGetProgramInfoLog(program, length, nullptr, buffer.data());
    return std::string(buffer.data());
}

GLint programLogLength(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    return length;
}

void deleteStages(GLuint vertex, GLuint geometry, GLuint fragment)
{
    glDeleteShader(vertex);
    glDeleteShader(geometry);
    glDeleteShader(fragment);
}

} // namespace

bool Shader::compileStage(const std::string& path, GLenum type, GLuint& name)
{
    name = 0;
    std::ifstream file(path);
    if (!file) {
        std::cout << "Could not open '" << path << "'" << std::endl;
        return false;
    }
    std::stringstream contents;
    contents << file.rdbuf();
    file.close();
    const std::string source = contents.str();

    name = glCreateShader(type);
    if (name == 0) {
        std::cout << "Cannot create shader type " << type << " for " << path << std::endl;
        return false;
    }
    const char* text = source.c_str();
    glShaderSource(name, 1, &text, nullptr);
    glCompileShader(name);

    GLint compiled = GL_FALSE;
    glGetShaderiv(name, GL_COMPILE_STATUS, &compiled);
    GLint logLength = 0;
    glGetShaderiv(name, GL_INFO_LOG_LENGTH, &logLength);
    if (compiled == GL_TRUE) {
        if (logLength > 1)
            std::cout << "Shader info for '" << path << "': " << shaderLog(name) << std::endl;
        return true;
    }
    std::cout << "Failed to compile shader '" << path << "': " << shaderLog(name) << std::endl;
    return false;
}

Shader* Shader::build(const std::string& vertexPath, const std::string& fragmentPath, const std::string& geometryPath)
{
    GLuint vertex = 0;
    GLuint fragment = 0;
    GLuint geometry = 0;
    // Every stage is compiled even after one has failed, so all the errors show at once.
    bool ok = compileStage(vertexPath, GL_VERTEX_SHADER, vertex);
    ok = compileStage(fragmentPath, GL_FRAGMENT_SHADER, fragment) && ok;
    if (!geometryPath.empty())
        ok = compileStage(geometryPath, GL_GEOMETRY_SHADER, geometry) && ok;
    // Stage objects of a failed build are freed: nothing refers to them, and the cache retries
    // the same files on every later request.
    if (!ok) {
        deleteStages(vertex, geometry, fragment);
        return nullptr;
    }

    GLuint program = glCreateProgram();
    if (program == 0) {
        deleteStages(vertex, geometry, fragment);
        return nullptr;
    }
    glAttachShader(program, vertex);
    if (geometry != 0)
        glAttachShader(program, geometry);
    glAttachShader(program, fragment);
    glLinkProgram(program);

    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != GL_TRUE) {
        std::cout << "Failed to link the shader:" << std::endl << programLog(program) << std::endl;
        // The linker's log names no file; a stage cut short may still compile, so say which.
        std::cout << "Could not link '" << vertexPath << "' with '" << fragmentPath << "'"
                  << (geometryPath.empty() ? "" : " and '" + geometryPath + "'") << std::endl;
        glDeleteProgram(program);
        deleteStages(vertex, geometry, fragment);
        return nullptr;
    }

    glValidateProgram(program);
    glGetProgramiv(program, GL_VALIDATE_STATUS, &status);
    if (status != GL_TRUE) {
        std::cout << "Shader program will not run in this OpenGL environment!" << std::endl;
        glDeleteProgram(program);
        deleteStages(vertex, geometry, fragment);
        return nullptr;
    }
    if (programLogLength(program) > 1)
        std::cout << "Shader program info:" << std::endl << programLog(program) << std::endl;

    Shader* shader = new Shader();
    shader->program_ = program;
    shader->vertexShader_ = vertex;
    shader->geometryShader_ = geometry;
    shader->fragmentShader_ = fragment;
    return shader;
}

void Shader::use()
{
    glUseProgram(program_);
    setCurrentProgram(program_);
}

void Shader::unuse()
{
    glUseProgram(0);
    setCurrentProgram(0);
}

void Shader::setViewMatrix(const glm::mat4& view)
{
    viewMatrix_ = view;
    setUniformMatrix4(UNIFORM_V_MATRIX, 1, GL_FALSE, glm::value_ptr(viewMatrix_));
}

void Shader::setProjectionMatrix(const glm::mat4& projection)
{
    projectionMatrix_ = projection;
    setUniformMatrix4(UNIFORM_P_MATRIX, 1, GL_FALSE, glm::value_ptr(projectionMatrix_));
}

glm::mat3 Shader::normalMatrix(const glm::mat4& modelView)
{
    const glm::mat3 a(modelView);
    // The cofactor matrix is the transposed adjugate; dividing it by the determinant gives
    // transpose(inverse(a)).
    glm::mat3 cofactor;
    cofactor[0][0] = a[1][1] * a[2][2] - a[2][1] * a[1][2];
    cofactor[0][1] = -(a[1][0] * a[2][2] - a[2][0] * a[1][2]);
    cofactor[0][2] = a[1][0] * a[2][1] - a[2][0] * a[1][1];
    cofactor[1][0] = -(a[0][1] * a[2][2] - a[2][1] * a[0][2]);
    cofactor[1][1] = a[0][0] * a[2][2] - a[2][0] * a[0][2];
    cofactor[1][2] = -(a[0][0] * a[2][1] - a[2][0] * a[0][1]);
    cofactor[2][0] = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    cofactor[2][1] = -(a[0][0] * a[1][2] - a[1][0] * a[0][2]);
    cofactor[2][2] = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const float determinant = a[0][0] * cofactor[0][0] + a[1][0] * cofactor[1][0] + a[2][0] * cofactor[2][0];
    // Flat HUD objects have a zero z scale; dividing by their zero determinant would fill the
    // matrix with infinities. The cofactors alone still point normals the right way.
    if (determinant == 0.0f)
        return cofactor;
    return cofactor / determinant;
}

void Shader::setModelMatrix(const glm::mat4& model)
{
    modelMatrix_ = model;
    const glm::mat4 modelView = viewMatrix_ * model;
    const glm::mat4 modelViewProjection = projectionMatrix_ * modelView;
    const glm::mat3 normal = normalMatrix(modelView);
    setUniformMatrix4(UNIFORM_M_MATRIX, 1, GL_FALSE, glm::value_ptr(modelMatrix_));
    setUniformMatrix3(UNIFORM_N_MATRIX, 1, GL_FALSE, glm::value_ptr(normal));
    setUniformMatrix4(UNIFORM_MV_MATRIX, 1, GL_FALSE, glm::value_ptr(modelView));
    setUniformMatrix4(UNIFORM_MVP_MATRIX, 1, GL_FALSE, glm::value_ptr(modelViewProjection));
}

void Shader::release()
{
    if (program_ == 0)
        return;
    glDeleteProgram(program_);
    glDeleteShader(vertexShader_);
    glDeleteShader(geometryShader_);
    glDeleteShader(fragmentShader_);
    program_ = 0;
    vertexShader_ = 0;
    fragmentShader_ = 0;
    geometryShader_ = 0;
}
