#version 330 core
// The terrain grid. Each vertex is raised by the heightmap texel at its world x and z, picked
// exactly the way Terrain::heightAt picks it (nearest texel, the map mirrored every
// textureScale1 world units), so the ground drawn at a vertex is the ground the game collides
// with. The model matrix's y scale turns the texel's 0..1 into world units. The normal comes
// from the heights one grid cell away on each side.
//
// Far ground comes as chunks of a coarser patch (lodStep cells between vertices, 0 for the
// whole grid's strip): a patch vertex is its chunk's corner plus its own offset, in cells from
// the grid's first vertex. Between lodMorph.x and lodMorph.y of distance from the eye each
// vertex slides onto the grid of the next coarser level, so a chunk reaches the end of its
// range in exactly the shape of the level beyond, and level changes neither pop nor crack.
//
// AUTO's fragment programs take the meadows' slow drift of shade and hue and the haze from the
// vertices (both change over tens of units, far more slowly than a cell) and fade the ground's
// fine detail out toward the end of the nearest level; the reference picture works them out
// per pixel and reads none of these.

layout(location = 0) in vec3 position;
layout(location = 5) in vec2 chunkCorner;

uniform mat4 mMatrix;
uniform mat4 mvpMatrix;
uniform mat4 vMatrix;
uniform sampler2D textureMap2; // heightmap, red channel
uniform float textureScale1;   // world units per heightmap tile
uniform float lodStep;         // cells between a patch's vertices; 0 for the whole strip
uniform vec2 lodMorph;         // world distances where sliding toward the next level starts and ends
uniform vec2 gridHalf;         // the grid's first vertex is at minus this, in cells
// Where the fine colour and the normal map have faded out, over the last stretch of the nearest
// level (world units from the eye): the levels beyond draw without them.
uniform vec2 detailFade;

out vec3 position_world;
out vec3 normal_world;
out vec3 eye_world;
out vec3 meadowTint;
out float hazeAmount;
out float detailAmount;

// The sky's colour at the horizon meets the ground from hazeScale on, and hides the grid's edge
// between edgeStart and edgeEnd (world units from the eye; the grid reaches about 2000 out).
const float hazeScale = 1300.0;
const float edgeStart = 1550.0;
const float edgeEnd = 1950.0;

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

// A patch vertex in the same object space as the strip's, slid toward the next level.
vec3 patchPosition(vec3 eye)
{
    vec2 cell = chunkCorner + position.xz;
    vec2 world = (mMatrix * vec4(cell.x - gridHalf.x, 0.0, cell.y - gridHalf.y, 1.0)).xz;
    float morph = clamp((distance(world, eye.xz) - lodMorph.x) / (lodMorph.y - lodMorph.x), 0.0, 1.0);
    // Every second vertex of this level is halfway between two of the next; both its
    // coordinates move to the lower one, so the cells fold into the next level's cells.
    float coarse = 2.0 * lodStep;
    cell -= fract(cell / coarse) * coarse * morph;
    return vec3(cell.x - gridHalf.x, 0.0, cell.y - gridHalf.y);
}

void main()
{
    // The camera sits where the view matrix maps the origin from.
    eye_world = -transpose(mat3(vMatrix)) * vMatrix[3].xyz;
    vec3 vertex = lodStep > 0.0 ? patchPosition(eye_world) : position;
    vec2 ground = (mMatrix * vec4(vertex.x, 0.0, vertex.z, 1.0)).xz;
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

    position_world = (mMatrix * vec4(vertex.x, height, vertex.z, 1.0)).xyz;
    gl_Position = mvpMatrix * vec4(vertex.x, height, vertex.z, 1.0);

    vec2 p = position_world.xz;
    float drift = sin(p.x * 0.021 + 1.7 * sin(p.y * 0.017)) * sin(p.y * 0.019 + 1.3 * sin(p.x * 0.013));
    meadowTint = mix(vec3(0.86, 0.92, 0.86), vec3(1.12, 1.06, 0.86), 0.5 + 0.5 * drift);
    float distance = length(eye_world - position_world);
    hazeAmount = max(1.0 - exp(-(distance / hazeScale) * (distance / hazeScale)), smoothstep(edgeStart, edgeEnd, distance));
    detailAmount = 1.0 - smoothstep(detailFade.x, detailFade.y, length(eye_world.xz - p));
}
