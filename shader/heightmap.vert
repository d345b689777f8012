#version 330 core
// The terrain grid: each vertex is raised by the heightmap sampled at its world x and z, so
// the hills stay put while the grid follows the camera. The map repeats (mirrored) every
// textureScale1 world units; the model matrix's y scale turns 0..1 into world heights.

layout(location = 0) in vec3 position;

uniform mat4 mMatrix;
uniform mat4 vMatrix;
uniform mat4 pMatrix;
uniform sampler2D textureMap2; // heightmap
uniform float textureScale1;   // world units per heightmap tile

out vec3 position_world;
out vec2 heightUv;

void main()
{
    vec4 world = mMatrix * vec4(position.x, 0.0, position.z, 1.0);
    heightUv = world.xz / textureScale1;
    float height = texture(textureMap2, heightUv).r;
    world = mMatrix * vec4(position.x, height, position.z, 1.0);
    position_world = world.xyz;
    gl_Position = pMatrix * vMatrix * world;
}
