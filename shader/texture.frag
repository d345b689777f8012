#version 330 core
// The texture as it is, faded by the object's transparency.

in vec2 uv;

uniform sampler2D textureMap;
uniform float transparency;

out vec4 fragColor;

void main()
{
    vec4 texel = texture(textureMap, uv);
    fragColor = vec4(texel.rgb, texel.a * transparency);
}
