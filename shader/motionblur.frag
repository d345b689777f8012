#version 330 core
// Camera motion blur. The depth of each pixel gives its world position through the inverse
// of this frame's view-projection; the previous frame's view-projection says where that point
// was on screen a frame ago. The colour is averaged along that path. blurScale is 0.1 at 60
// frames per second and falls as frames get longer, so the streak stays one 60 Hz frame long.

in vec2 uv;

uniform sampler2D textureMap;  // colour of the 3D pass
uniform sampler2D textureMap2; // depth of the 3D pass
uniform mat4 viewProjectionInverse;
uniform mat4 viewProjectionPrevious;
uniform float blurScale;
uniform int blurSamples;
uniform float transparency;

const float STREAK_PER_SCALE = 10.0; // streak length in frames of motion per unit of blurScale

out vec4 fragColor;

void main()
{
    float depth = texture(textureMap2, uv).r;
    vec4 current = vec4(uv * 2.0 - 1.0, depth * 2.0 - 1.0, 1.0);
    vec4 world = viewProjectionInverse * current;
    world /= world.w;
    vec4 previous = viewProjectionPrevious * world;
    previous /= previous.w;
    vec2 velocity = (current.xy - previous.xy) * 0.5 * blurScale * STREAK_PER_SCALE;

    int samples = max(blurSamples, 1);
    vec4 sum = vec4(0.0);
    for (int i = 0; i < samples; ++i) {
        vec2 offset = velocity * (float(i) / float(samples) - 0.5);
        sum += texture(textureMap, uv + offset);
    }
    vec4 colour = sum / float(samples);
    fragColor = vec4(colour.rgb, transparency);
}
