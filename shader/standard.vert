#version 330 core
// Meshes in the 3D scene: position through the full model-view-projection, with the texture
// coordinate and a view-space normal passed on.

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec3 normal;

uniform mat4 mvpMatrix;
uniform mat3 nMatrix;

out vec2 uv;
out vec3 normal_view;

void main()
{
    uv = texcoord;
    normal_view = normalize(nMatrix * normal);
    gl_Position = mvpMatrix * vec4(position, 1.0);
}
