#version 330 core
// Skinned models: each vertex is blended by up to four bone matrices, then lit like
// BlinnPhongTexture.vert. Influences whose bone lies outside the array are ignored, and a
// vertex left with no influence at all stays where the mesh puts it.

const int MAX_BONES = 64; // keep equal to MAX_SHADER_BONES in src/model/BoneObject.h

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec3 normal;
layout(location = 3) in vec4 boneWeights;
layout(location = 4) in ivec4 boneIds;

uniform mat4 mvpMatrix;
uniform mat4 mvMatrix;
uniform mat4 vMatrix;
uniform mat3 nMatrix;
uniform vec3 lightPosition_world;
uniform mat4 bones[MAX_BONES];

out vec2 uv;
out vec3 normal_view;
out vec3 toLight_view;
out vec3 toEye_view;

void main()
{
    mat4 skin = mat4(0.0);
    float total = 0.0;
    for (int i = 0; i < 4; ++i) {
        int id = boneIds[i];
        float weight = boneWeights[i];
        if (id >= 0 && id < MAX_BONES && weight != 0.0) {
            skin += bones[id] * weight;
            total += weight;
        }
    }
    if (total == 0.0)
        skin = mat4(1.0);

    vec4 skinned = skin * vec4(position, 1.0);
    vec3 skinnedNormal = mat3(skin) * normal;

    vec3 position_view = (mvMatrix * skinned).xyz;
    vec3 light_view = (vMatrix * vec4(lightPosition_world, 1.0)).xyz;
    uv = texcoord;
    normal_view = nMatrix * skinnedNormal;
    toLight_view = light_view - position_view;
    toEye_view = -position_view;
    gl_Position = mvpMatrix * skinned;
}
