#version 330 core
// Textured models lit in view space.

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec3 normal;

uniform mat4 mvpMatrix;
uniform mat4 mvMatrix;
uniform mat4 vMatrix;
uniform mat3 nMatrix;
uniform vec3 lightPosition_world;

out vec2 uv;
out vec3 normal_view;
out vec3 toLight_view;
out vec3 toEye_view;

void main()
{
    vec3 position_view = (mvMatrix * vec4(position, 1.0)).xyz;
    vec3 light_view = (vMatrix * vec4(lightPosition_world, 1.0)).xyz;
    uv = texcoord;
    normal_view = nMatrix * normal;
    toLight_view = light_view - position_view;
    toEye_view = -position_view;
    gl_Position = mvpMatrix * vec4(position, 1.0);
}
