#include "render/ShaderVariable.h"

#include <cstdio>

namespace {

GLuint activeProgram = 0;

constexpr const char* PROGRAMMING_ERROR = "PROGRAMMING ERROR";
constexpr int BONE_NAME_SIZE = 20; // characters, terminator included

// Names of identifiers 5 to 34; 13 is the unassigned slot.
constexpr const char* NAMES[] = {
    "mvpMatrix",
    "mvMatrix",
    "mMatrix",
    "vMatrix",
    "pMatrix",
    "nMatrix",
    "textureMap",
    "textureMap2",
    PROGRAMMING_ERROR,
    "objectColor",
    "lightPosition_world",
    "materialAmbientColor",
    "materialDiffuseColor",
    "materialSpecularColor",
    "diffusePower",
    "specularPower",
    "ambientPower",
    "specularReflectionExponent",
    "textureScale1",
    "textureScale2",
    "uvArea",
    "colorRangeStart",
    "colorRangeEnd",
    "transparency",
    "viewProjectionInverse",
    "viewProjectionPrevious",
    "blurScale",
    "blurSamples",
    "textureMap3",
    "UNUSED",
};
constexpr int FIRST_NAMED = UNIFORM_MVP_MATRIX;
static_assert(FIRST_NAMED + sizeof(NAMES) / sizeof(NAMES[0]) == BONE_UNIFORM_BASE,
              "every identifier below the bones has a name");

} // namespace

const char* uniformName(int id)
{
    if (id >= BONE_UNIFORM_BASE) {
        static char boneName[BONE_NAME_SIZE];
        std::snprintf(boneName, sizeof boneName, "bones[%d]", id - BONE_UNIFORM_BASE);
        return boneName;
    }
    if (id < FIRST_NAMED)
        return PROGRAMMING_ERROR;
    return NAMES[id - FIRST_NAMED];
}

GLuint currentProgram()
{
    return activeProgram;
}

void setCurrentProgram(GLuint program)
{
    activeProgram = program;
}

GLint uniformLocation(int id)
{
    // Program 0 has no uniforms, and asking GL about it would only raise an error.
    if (activeProgram == 0)
        return -1;
    return glGetUniformLocation(activeProgram, uniformName(id));
}

void setUniform1f(int id, float value)
{
    GLint location = uniformLocation(id);
    if (location != -1)
        glUniform1f(location, value);
}

void setUniform1i(int id, int value)
{
    GLint location = uniformLocation(id);
    if (location != -1)
        glUniform1i(location, value);
}

void setUniform3f(int id, float x, float y, float z)
{
    GLint location = uniformLocation(id);
    if (location != -1)
        glUniform3f(location, x, y, z);
}

void setUniform4f(int id, float x, float y, float z, float w)
{
    GLint location = uniformLocation(id);
    if (location != -1)
        glUniform4f(location, x, y, z, w);
}

void setUniformMatrix4(int id, GLsizei count, GLboolean transpose, const GLfloat* values)
{
    GLint location = uniformLocation(id);
    if (location != -1)
        glUniformMatrix4fv(location, count, transpose, values);
}

void setUniformMatrix3(int id, GLsizei count, GLboolean transpose, const GLfloat* values)
{
    GLint location = uniformLocation(id);
    if (location != -1)
        glUniformMatrix3fv(location, count, transpose, values);
}
