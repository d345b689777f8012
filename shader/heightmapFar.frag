#version 330 core
// AUTO's terrain shading beyond the nearest level, where the fine colour and the normal map
// would come from mipmaps close to their mean: the mean colour, the coarse layer and the
// ground's own normal, with the meadows' drift and the haze from the vertices.

in vec3 position_world;
in vec3 normal_world;
in vec3 eye_world;
in vec3 meadowTint;
in float hazeAmount;

uniform sampler2D detailMap;    // r, g: the colour map along colourAxisA and B (as the near level reads it)
uniform vec3 colourBase;
uniform vec3 colourAxisA;
uniform vec3 colourAxisB;
uniform float textureScale1;    // world units per heightmap tile
uniform float textureScale2;    // colour map repeats per heightmap tile
uniform vec3 fineColourAverage; // the colour map's mean
uniform vec3 lightPosition_world;
uniform float diffusePower;
uniform float ambientPower;
uniform float specularPower;
uniform float transparency;

out vec4 fragColor;

const vec3 hazeColour = vec3(0.72, 0.82, 0.92);
const vec3 earthTint = vec3(0.42, 0.31, 0.20);

// The ground's shininess of 5 (SPECULAR_EXPONENT in src/render/Terrain.cpp) as multiplications:
// a software renderer works out pow() as a logarithm and an exponential on every pixel.
float shine(float x)
{
    float x2 = x * x;
    return x2 * x2 * x;
}

void main()
{
    vec3 n = normalize(normal_world);
    vec2 uv = position_world.xz * (textureScale2 / textureScale1);
    vec2 coarseUv = mat2(0.8, -0.6, 0.6, 0.8) * uv * 0.17 + vec2(0.37, 0.71);
    vec4 coarse = texture(detailMap, coarseUv);
    vec3 albedo = mix(fineColourAverage, colourBase + colourAxisA * coarse.r + colourAxisB * coarse.g, 0.45) * meadowTint;
    float steep = smoothstep(0.82, 0.6, n.y);
    albedo = mix(albedo, earthTint * (0.7 + 0.6 * dot(albedo, vec3(0.33))), steep * 0.8);

    vec3 toLight = normalize(lightPosition_world - position_world);
    vec3 toEye = normalize(eye_world - position_world);
    vec3 halfway = normalize(toLight + toEye);
    float lit = max(dot(n, toLight), 0.0);
    float diffuse = lit * diffusePower;
    float specular = lit > 0.0 ? shine(max(dot(n, halfway), 0.0)) * specularPower : 0.0;
    vec3 colour = albedo * (ambientPower + diffuse) + vec3(specular);
    fragColor = vec4(mix(colour, hazeColour, hazeAmount), transparency);
}
