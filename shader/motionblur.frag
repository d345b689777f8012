#version 330 core
// Camera motion blur. Each pixel's depth and the inverse of this frame's view-projection give
// the point of the world it shows; the previous frame's view-projection says where that point
// was on screen a frame ago. The colour is averaged along that screen-space path, centred on
// the pixel so that nothing drifts off its place.
//
// blurScale is 0.1 at 60 frames per second and shrinks as frames get longer, so a streak is
// always as long as 1/60 s of motion whatever the frame rate. Streaks are capped so that a
// steep dive reads as speed rather than a wash, and the sample count follows the streak's
// length in pixels: a still pixel costs one texture read, and even the longest streak keeps
// its 32 samples within a pixel and a half of each other, so nothing breaks into a double image.

in vec2 uv;

uniform sampler2D textureMap;  // colour of the 3D pass
uniform sampler2D textureMap2; // depth of the 3D pass, 1 where only sky was drawn
uniform mat4 viewProjectionInverse;
uniform mat4 viewProjectionPrevious;
uniform float blurScale;
uniform int blurSamples;
uniform float transparency;

const float FRAMES_PER_SCALE = 10.0; // streak length in frames of motion per unit of blurScale
const float MAX_STREAK = 0.06;       // longest streak, as a fraction of the screen height
const int MAX_SAMPLES = 64;

out vec4 fragColor;

// Where the point seen at ndc (normalised device coordinates) was a frame ago, as the offset
// from there to here in the same units. The sky is drawn at depth 1 and so comes back on the
// far plane, thousands of units away: the camera's travel hardly moves it, its turning does.
vec2 screenMotion(vec2 ndc, float depth)
{
    vec4 world = viewProjectionInverse * vec4(ndc, depth * 2.0 - 1.0, 1.0);
    vec4 previous = viewProjectionPrevious * vec4(world.xyz / world.w, 1.0);
    // A point that was behind the camera a frame ago has no place on the old screen.
    return previous.w > 1e-6 ? ndc - previous.xy / previous.w : vec2(0.0);
}

void main()
{
    vec2 size = vec2(textureSize(textureMap, 0));
    float depth = texture(textureMap2, uv).r;
    // Normalised device coordinates span 2 where texture coordinates span 1.
    vec2 streak = screenMotion(uv * 2.0 - 1.0, depth) * (0.5 * blurScale * FRAMES_PER_SCALE);

    // Selects rather than branches: a software renderer pays for both sides of a branch.
    // A degenerate matrix gives no number at all; such a pixel is left sharp.
    float pixels = length(streak * size);
    bool usable = pixels < 1e20;
    float longest = MAX_STREAK * size.y;
    streak = usable ? streak * min(1.0, longest / max(pixels, 1e-6)) : vec2(0.0);
    pixels = usable ? min(pixels, longest) : 0.0;

    // Samples at most a pixel apart, centred on the pixel; a still pixel takes one read.
    int samples = clamp(int(ceil(pixels)) + 1, 1, clamp(blurSamples, 1, MAX_SAMPLES));
    vec2 stride = samples > 1 ? streak / float(samples - 1) : vec2(0.0);
    vec2 position = uv - stride * (0.5 * float(samples - 1));
    vec3 sum = vec3(0.0);
    for (int i = 0; i < samples; ++i) {
        sum += texture(textureMap, position).rgb;
        position += stride;
    }
    fragColor = vec4(sum / float(samples), transparency);
}
