#pragma once
// The fixed table of uniform identifiers shared by every GLSL program, and the setters that
// address the program currently in use. Identifiers 0 to 4 share their numbers with the
// vertex attribute locations and name no uniform.

#include <GL/glew.h>

// Vertex attribute locations, the same for every mesh and every program.
enum VertexAttribute {
    ATTRIB_POSITION = 0,
    ATTRIB_TEXCOORD = 1,
    ATTRIB_NORMAL = 2,
    ATTRIB_BONE_WEIGHTS = 3,
    ATTRIB_BONE_IDS = 4,
};

enum ShaderVariable {
    UNIFORM_MVP_MATRIX = 5,
    UNIFORM_MV_MATRIX = 6,
    UNIFORM_M_MATRIX = 7,
    UNIFORM_V_MATRIX = 8,
    UNIFORM_P_MATRIX = 9,
    UNIFORM_N_MATRIX = 10,
    UNIFORM_TEXTURE_MAP = 11,
    UNIFORM_TEXTURE_MAP2 = 12,
    // 13 is unassigned.
    UNIFORM_OBJECT_COLOR = 14,
    UNIFORM_LIGHT_POSITION_WORLD = 15,
    UNIFORM_MATERIAL_AMBIENT_COLOR = 16,
    UNIFORM_MATERIAL_DIFFUSE_COLOR = 17,
    UNIFORM_MATERIAL_SPECULAR_COLOR = 18,
    UNIFORM_DIFFUSE_POWER = 19,
    UNIFORM_SPECULAR_POWER = 20,
    UNIFORM_AMBIENT_POWER = 21,
    UNIFORM_SPECULAR_REFLECTION_EXPONENT = 22,
    UNIFORM_TEXTURE_SCALE1 = 23,
    UNIFORM_TEXTURE_SCALE2 = 24,
    UNIFORM_UV_AREA = 25,
    UNIFORM_COLOR_RANGE_START = 26,
    UNIFORM_COLOR_RANGE_END = 27,
    UNIFORM_TRANSPARENCY = 28,
    UNIFORM_VIEW_PROJECTION_INVERSE = 29,
    UNIFORM_VIEW_PROJECTION_PREVIOUS = 30,
    UNIFORM_BLUR_SCALE = 31,
    UNIFORM_BLUR_SAMPLES = 32,
    UNIFORM_TEXTURE_MAP3 = 33,
    UNIFORM_UNUSED = 34,
    // Bone n of a skinned model is BONE_UNIFORM_BASE + n, named "bones[n]".
    BONE_UNIFORM_BASE = 35,
};

// The GLSL name of a uniform identifier. Bone names share one static buffer that the next
// bone name overwrites; identifiers that name no uniform give "PROGRAMMING ERROR".
const char* uniformName(int id);

// The program most recently put in use (0 when none).
GLuint currentProgram();
void setCurrentProgram(GLuint program);

// glGetUniformLocation on the current program; -1 when it lacks the uniform. Never cached.
GLint uniformLocation(int id);

// Each setter skips a uniform the current program does not declare.
void setUniform1f(int id, float value);
void setUniform1i(int id, int value);
void setUniform3f(int id, float x, float y, float z);
void setUniform4f(int id, float x, float y, float z, float w);
void setUniformMatrix4(int id, GLsizei count, GLboolean transpose, const GLfloat* values);
void setUniformMatrix3(int id, GLsizei count, GLboolean transpose, const GLfloat* values);
