#version 330 core
// Terrain shading: the grass-and-earth colour map and its normal map repeated textureScale2
// times per heightmap tile, blended with a coarser, turned layer of the same map and a slow
// drift of shade and hue so the repeats do not form a grid in the distance, bare earth on
// steep slopes, Blinn-Phong lighting from lightPosition_world, and haze toward the edge of the
// grid that melts into the sky's horizon.

in vec3 position_world;
in vec3 normal_world;
in vec3 eye_world;

uniform sampler2D textureMap;  // colour map
uniform sampler2D textureMap3; // tangent-space normal map
uniform float textureScale1;   // world units per heightmap tile
uniform float textureScale2;   // colour and normal map repeats per heightmap tile
uniform vec3 lightPosition_world;
uniform float diffusePower;
uniform float ambientPower;
uniform float specularPower;
uniform float specularReflectionExponent;
uniform float transparency;

out vec4 fragColor;

// The sky's colour at the horizon, and where the haze begins and where it hides the grid's
// edge (world units from the eye; the grid reaches about 2000 units out).
const vec3 hazeColour = vec3(0.72, 0.82, 0.92);
const float hazeScale = 1300.0;
const float edgeStart = 1550.0;
const float edgeEnd = 1950.0;
const vec3 earthTint = vec3(0.42, 0.31, 0.20);

void main()
{
    vec3 n = normalize(normal_world);
    vec2 uv = position_world.xz * (textureScale2 / textureScale1);
    vec2 coarseUv = mat2(0.8, -0.6, 0.6, 0.8) * uv * 0.17 + vec2(0.37, 0.71);
    vec3 albedo = mix(texture(textureMap, uv).rgb, texture(textureMap, coarseUv).rgb, 0.45);
    // Meadows tens of units across, some lusher, some drier.
    vec2 p = position_world.xz;
    float drift = sin(p.x * 0.021 + 1.7 * sin(p.y * 0.017)) * sin(p.y * 0.019 + 1.3 * sin(p.x * 0.013));
    albedo *= mix(vec3(0.86, 0.92, 0.86), vec3(1.12, 1.06, 0.86), 0.5 + 0.5 * drift);
    // Grass does not hold on steep slopes.
    float steep = smoothstep(0.82, 0.6, n.y);
    albedo = mix(albedo, earthTint * (0.7 + 0.6 * dot(albedo, vec3(0.33))), steep * 0.8);

    // The map's x runs along world +x and its y along world +z.
    vec3 tangent = normalize(vec3(1.0, 0.0, 0.0) - n * n.x);
    vec3 bitangent = cross(tangent, n);
    vec3 bump = texture(textureMap3, uv).rgb * 2.0 - 1.0;
    vec3 shading = normalize(tangent * bump.x + bitangent * bump.y + n * bump.z);

    vec3 toLight = normalize(lightPosition_world - position_world);
    vec3 toEye = eye_world - position_world;
    float distance = length(toEye);
    toEye /= distance;
    vec3 halfway = normalize(toLight + toEye);
    float lit = max(dot(shading, toLight), 0.0);
    float diffuse = lit * diffusePower;
    float specular = lit > 0.0
        ? pow(max(dot(shading, halfway), 0.0), specularReflectionExponent) * specularPower
        : 0.0;
    vec3 colour = albedo * (ambientPower + diffuse) + vec3(specular);

    float haze = 1.0 - exp(-(distance / hazeScale) * (distance / hazeScale));
    haze = max(haze, smoothstep(edgeStart, edgeEnd, distance));
    fragColor = vec4(mix(colour, hazeColour, haze), transparency);
}
