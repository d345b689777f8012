#version 330 core
// The full-screen quad of the motion-blur frames: its [-1, 1] corners are already clip space,
// so every matrix the HUD pass sends is ignored.

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;

out vec2 uv;

void main()
{
    uv = texcoord;
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
