#version 330 core
// The terrain grid. Each vertex is raised by the heightmap texel at its world x and z, picked
// exactly the way Terrain::heightAt picks it (nearest texel, the map mirrored every
// textureScale1 world units), so the ground drawn at a vertex is the ground the game collides
// with. The model matrix's y scale turns the texel's 0..1 into world units. The normal comes
// from the heights one grid cell away on each side.

layout(location = 0) in vec3 position;

uniform mat4 mMatrix;
uniform mat4 mvpMatrix;
uniform mat4 vMatrix;
uniform sampler2D textureMap2; // heightmap, red channel
uniform float textureScale1;   // world units per heightmap tile

out vec3 position_world;
out vec3 normal_world;
out vec3 eye_world;

// Position inside the heightmap tile, in [0, 1]: even tiles as stored, odd tiles mirrored.
float mirrored(float coordinate)
{
    float u = abs(coordinate / textureScale1);
    float tile = floor(u);
    float fraction = u - tile;
    if (mod(tile, 2.0) == 1.0)
        fraction = 1.0 - fraction;
    return fraction;
}

float heightAt(vec2 world)
{
    ivec2 size = textureSize(textureMap2, 0);
    ivec2 texel = ivec2(vec2(size) * vec2(mirrored(world.x), mirrored(world.y)));
    return texelFetch(textureMap2, clamp(texel, ivec2(0), size - 1), 0).r;
}

void main()
{
    vec2 ground = (mMatrix * vec4(position.x, 0.0, position.z, 1.0)).xz;
    float height = heightAt(ground);

    // World offsets of one grid step along x and z, and of one unit of map height.
    vec3 stepX = mMatrix[0].xyz;
    vec3 stepZ = mMatrix[2].xyz;
    vec3 rise = mMatrix[1].xyz;
    float left = heightAt(ground - stepX.xz);
    float right = heightAt(ground + stepX.xz);
    float back = heightAt(ground - stepZ.xz);
    float front = heightAt(ground + stepZ.xz);
    vec3 alongX = 2.0 * stepX + rise * (right - left);
    vec3 alongZ = 2.0 * stepZ + rise * (front - back);
    normal_world = normalize(cross(alongZ, alongX));

    position_world = (mMatrix * vec4(position.x, height, position.z, 1.0)).xyz;
    // The camera sits where the view matrix maps the origin from.
    eye_world = -transpose(mat3(vMatrix)) * vMatrix[3].xyz;
    gl_Position = mvpMatrix * vec4(position.x, height, position.z, 1.0);
}
