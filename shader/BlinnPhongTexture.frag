#version 330 core
// Blinn-Phong with the material texture as the diffuse colour. Faces turned away from the
// light get no highlight, so the light circling below the horizon does not glint through.

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
    float lit = max(dot(n, l), 0.0);
    float diffuse = lit * diffusePower;
    float specular = lit > 0.0 ? pow(max(dot(n, h), 0.0), specularReflectionExponent) * specularPower : 0.0;
    vec3 colour = albedo.rgb * (ambientPower + diffuse) + vec3(specular);
    fragColor = vec4(colour, albedo.a * transparency);
}
