#version 330 core
// HUD elements: the model matrix places them in HUD units and the HUD projection maps those
// onto the window. The camera's view matrix is deliberately ignored. Text sends vec2
// positions, sprites vec3; the missing z reads as 0.

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;

uniform mat4 mMatrix;
uniform mat4 pMatrix;

out vec2 uv;

void main()
{
    uv = texcoord;
    gl_Position = pMatrix * mMatrix * vec4(position, 1.0);
}
