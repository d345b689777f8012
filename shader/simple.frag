#version 330 core
// A flat colour.

uniform vec4 objectColor;
uniform float transparency;

out vec4 fragColor;

void main()
{
    fragColor = vec4(objectColor.rgb, objectColor.a * transparency);
}
