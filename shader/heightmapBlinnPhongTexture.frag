#version 330 core
// Terrain shading: the colour map tiled every textureScale2 world units, lit with Blinn-Phong
// from a normal taken from the heightmap's slope.

in vec3 position_world;
in vec2 heightUv;

uniform mat4 vMatrix;
uniform sampler2D textureMap;  // colour map
uniform sampler2D textureMap2; // heightmap
uniform sampler2D textureMap3; // normal map
uniform float textureScale1;
uniform float textureScale2;
uniform vec3 lightPosition_world;
uniform float diffusePower;
uniform float ambientPower;
uniform float specularPower;
uniform float specularReflectionExponent;
uniform float transparency;

out vec4 fragColor;

void main()
{
    vec2 texel = 1.0 / vec2(textureSize(textureMap2, 0));
    float left = texture(textureMap2, heightUv - vec2(texel.x, 0.0)).r;
    float right = texture(textureMap2, heightUv + vec2(texel.x, 0.0)).r;
    float back = texture(textureMap2, heightUv - vec2(0.0, texel.y)).r;
    float front = texture(textureMap2, heightUv + vec2(0.0, texel.y)).r;
    vec3 normal = normalize(vec3(left - right, 2.0 * texel.x, back - front));

    vec2 tiling = position_world.xz / textureScale2;
    vec3 albedo = texture(textureMap, tiling).rgb;
    vec3 bump = texture(textureMap3, tiling).rgb * 2.0 - 1.0;
    normal = normalize(normal + 0.3 * vec3(bump.x, 0.0, bump.y));

    vec3 eye_world = (inverse(vMatrix) * vec4(0.0, 0.0, 0.0, 1.0)).xyz;
    vec3 toLight = normalize(lightPosition_world - position_world);
    vec3 toEye = normalize(eye_world - position_world);
    vec3 halfway = normalize(toLight + toEye);
    float diffuse = max(dot(normal, toLight), 0.0) * diffusePower;
    float specular = pow(max(dot(normal, halfway), 0.0), specularReflectionExponent) * specularPower;
    vec3 colour = albedo * (ambientPower + diffuse) + vec3(specular);
    fragColor = vec4(colour, transparency);
}
