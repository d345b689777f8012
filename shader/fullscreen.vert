#version 330 core
// The full-screen quad: its [-1, 1] corners are already clip space.

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;

out vec2 uv;

void main()
{
    uv = texcoord;
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
