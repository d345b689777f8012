#version 330 core
// The rage gauge. The background comes with an empty colour range and is drawn as it is. The
// fill is cut off at uvArea.z (the rage value) across and, where a texel's colour lies
// inside [colorRangeStart, colorRangeEnd], tinted by adding objectColor.

in vec2 uv;

uniform sampler2D textureMap;
uniform float transparency;
uniform vec4 uvArea;          // (u0, v0, u1, v1) of the part that shows
uniform vec4 objectColor;     // tint added inside the colour range
uniform vec4 colorRangeStart;
uniform vec4 colorRangeEnd;

out vec4 fragColor;

void main()
{
    vec4 texel = texture(textureMap, uv);
    bool isFill = any(greaterThan(colorRangeEnd, vec4(0.0)));
    if (isFill) {
        if (uv.x > uvArea.z || uv.x < uvArea.x || uv.y < uvArea.y || uv.y > uvArea.w)
            discard;
        bvec3 above = greaterThanEqual(texel.rgb, colorRangeStart.rgb);
        bvec3 below = lessThanEqual(texel.rgb, colorRangeEnd.rgb);
        if (all(above) && all(below))
            texel = clamp(texel + objectColor, 0.0, 1.0);
    }
    fragColor = vec4(texel.rgb, texel.a * transparency);
}
