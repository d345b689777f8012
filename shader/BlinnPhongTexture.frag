#version 330 core
// Blinn-Phong with the material texture as the diffuse colour.

in vec2 uv;
in vec3 normal_view;
in vec3 toLight_view;
in vec3 toEye_view;

uniform sampler2D textureMap;
uniform float diffusePower;
uniform float specularPower;
uniform float ambientPower;
uniform float specularReflectionExponent;
uniform float transparency;

out vec4 fragColor;

void main()
{
    vec4 albedo = texture(textureMap, uv);
    vec3 n = normalize(normal_view);
    vec3 l = normalize(toLight_view);
    vec3 h = normalize(l + normalize(toEye_view));
    float diffuse = max(dot(n, l), 0.0) * diffusePower;
    float specular = pow(max(dot(n, h), 0.0), specularReflectionExponent) * specularPower;
    vec3 colour = albedo.rgb * (ambientPower + diffuse) + vec3(specular);
    fragColor = vec4(colour, albedo.a * transparency);
}
