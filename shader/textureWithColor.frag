#version 330 core
// The rage gauge, drawn as two layers with the same program. The frame comes with an empty
// colour range and is drawn as it is. The fill comes with a colour range: it shows only inside
// uvArea (u0, v0, u1, v1), where u1 is the rage value, and the texels whose colour lies inside
// [colorRangeStart, colorRangeEnd] get objectColor added, which turns the pale body red while
// the dark outline and dividers stay as painted.

in vec2 uv;

uniform sampler2D textureMap;
uniform float transparency;
uniform vec4 uvArea;
uniform vec4 objectColor;
uniform vec4 colorRangeStart;
uniform vec4 colorRangeEnd;

out vec4 fragColor;

void main()
{
    vec4 texel = texture(textureMap, uv);
    bool isFill = any(greaterThan(colorRangeEnd, vec4(0.0)));
    if (isFill) {
        if (uv.x < uvArea.x || uv.x > uvArea.z || uv.y < uvArea.y || uv.y > uvArea.w)
            discard;
        bool inRange = all(greaterThanEqual(texel.rgb, colorRangeStart.rgb))
                       && all(lessThanEqual(texel.rgb, colorRangeEnd.rgb));
        if (inRange)
            texel.rgb = clamp(texel.rgb + objectColor.rgb, 0.0, 1.0);
    }
    fragColor = vec4(texel.rgb, texel.a * transparency);
}
