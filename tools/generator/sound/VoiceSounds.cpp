#include "VoiceSounds.h"

#include "FormantVoice.h"

namespace sound {

std::vector<float> gruntSound()
{
    Utterance u;
    u.duration = 0.42f;
    u.pitch = {{0.0f, 118.0f}, {0.08f, 106.0f}, {0.25f, 92.0f}, {0.42f, 68.0f}};
    u.voicing = {{0.0f, 0.0f}, {0.03f, 1.0f}, {0.22f, 1.0f}, {0.36f, 0.4f}, {0.42f, 0.0f}};
    u.aspiration = {{0.0f, 0.7f}, {0.035f, 0.25f}, {0.3f, 0.15f}, {0.42f, 0.1f}};
    u.vowels = {{0.0f, VOWEL_UH}, {0.2f, VOWEL_SCHWA}, {0.34f, VOWEL_MM}};
    // Pressed, rough phonation: a short open phase and irregular pulses.
    u.openQuotient = 0.42f;
    u.jitter = 0.035f;
    u.shimmer = 0.15f;
    u.sourceBrightness = 4000.0f;
    u.seed = 101;
    return renderUtterance(u);
}

std::vector<float> ahSound()
{
    Utterance u;
    u.duration = 0.55f;
    u.pitch = {{0.0f, 215.0f}, {0.06f, 295.0f}, {0.2f, 262.0f}, {0.55f, 165.0f}};
    u.voicing = {{0.0f, 0.0f}, {0.015f, 1.0f}, {0.3f, 0.85f}, {0.55f, 0.0f}};
    u.aspiration = {{0.0f, 0.3f}, {0.05f, 0.1f}, {0.4f, 0.15f}, {0.55f, 0.35f}};
    u.vowels = {{0.0f, VOWEL_AE}, {0.08f, VOWEL_AH}, {0.55f, VOWEL_UH}};
    u.openQuotient = 0.55f;
    u.jitter = 0.015f;
    u.shimmer = 0.08f;
    u.vibratoHz = 6.0f;
    u.vibratoSemitones = 0.35f;
    u.sourceBrightness = 7000.0f;
    u.seed = 102;
    return renderUtterance(u);
}

std::vector<float> mmSound()
{
    Utterance u;
    u.duration = 0.46f;
    u.pitch = {{0.0f, 140.0f}, {0.1f, 178.0f}, {0.46f, 118.0f}};
    u.voicing = {{0.0f, 0.0f}, {0.04f, 1.0f}, {0.3f, 0.8f}, {0.4f, 0.0f}};
    // A puff of air through the nose as the hum stops.
    u.aspiration = {{0.0f, 0.05f}, {0.34f, 0.05f}, {0.39f, 0.35f}, {0.46f, 0.0f}};
    u.vowels = {{0.0f, VOWEL_MM}};
    u.openQuotient = 0.6f;
    u.jitter = 0.012f;
    u.sourceBrightness = 3000.0f;
    u.seed = 103;
    return renderUtterance(u);
}

std::vector<float> uffSound()
{
    Utterance u;
    u.duration = 0.42f;
    u.pitch = {{0.0f, 195.0f}, {0.15f, 140.0f}};
    u.voicing = {{0.0f, 0.0f}, {0.012f, 1.0f}, {0.12f, 0.9f}, {0.17f, 0.0f}};
    u.aspiration = {{0.0f, 0.45f}, {0.05f, 0.2f}, {0.15f, 0.2f}, {0.2f, 0.0f}};
    u.frication = {{0.12f, 0.0f}, {0.17f, 0.12f}, {0.3f, 0.07f}, {0.42f, 0.0f}};
    u.vowels = {{0.0f, VOWEL_OO}, {0.14f, VOWEL_UH}};
    u.openQuotient = 0.5f;
    u.jitter = 0.02f;
    u.shimmer = 0.1f;
    u.fricationCenter = 5000.0f;
    u.seed = 104;
    return renderUtterance(u);
}

std::vector<float> uuhSound()
{
    Utterance u;
    u.duration = 0.7f;
    u.pitch = {{0.0f, 200.0f}, {0.1f, 215.0f}, {0.7f, 118.0f}};
    u.voicing = {{0.0f, 0.0f}, {0.04f, 1.0f}, {0.45f, 0.8f}, {0.7f, 0.0f}};
    u.aspiration = {{0.0f, 0.3f}, {0.7f, 0.25f}};
    u.vowels = {{0.0f, VOWEL_U}, {0.5f, VOWEL_OO}, {0.7f, VOWEL_SCHWA}};
    // Breathy: a long open phase.
    u.openQuotient = 0.72f;
    u.vibratoHz = 5.0f;
    u.vibratoSemitones = 0.4f;
    u.sourceBrightness = 3500.0f;
    u.seed = 105;
    return renderUtterance(u);
}

namespace {

struct Laugh {
    std::vector<float> pitches; // Hz at the start of each syllable's vowel
    float interval;             // s between syllable starts
    float breath;               // s of "h" before each vowel
    float vowelLength;          // s
    float lastVowelLength;      // s, the last syllable is drawn out
    float pitchFall;            // factor over one vowel
    Vowel vowel;
};

// Each syllable is an "h" of breath noise through the open mouth, then a voiced vowel.
Utterance laughUtterance(const Laugh& laugh)
{
    Utterance u;
    const int count = static_cast<int>(laugh.pitches.size());
    for (int k = 0; k < count; ++k) {
        const float start = k * laugh.interval;
        const float vowelStart = start + laugh.breath;
        const float length = k == count - 1 ? laugh.lastVowelLength : laugh.vowelLength;
        const float end = vowelStart + length;
        const float loudness = 1.0f - 0.08f * k;
        u.pitch.add(vowelStart, laugh.pitches[k]);
        u.pitch.add(end, laugh.pitches[k] * laugh.pitchFall);
        u.voicing.add(start, 0.0f);
        u.voicing.add(vowelStart, 0.0f);
        u.voicing.add(vowelStart + 0.012f, loudness);
        u.voicing.add(end - 0.03f, loudness * 0.8f);
        u.voicing.add(end, 0.0f);
        u.aspiration.add(start, 0.0f);
        // A laugh's "h" is a real push of air, far louder than breathiness in a vowel.
        u.aspiration.add(start + 0.008f, 2.2f);
        u.aspiration.add(vowelStart, 1.1f);
        u.aspiration.add(vowelStart + 0.02f, 0.12f);
        u.aspiration.add(end, 0.05f);
        u.duration = end + 0.02f;
    }
    u.vowels = {{0.0f, laugh.vowel}};
    return u;
}

} // namespace

std::vector<float> hahaSound()
{
    Laugh laugh{{178.0f, 168.0f, 156.0f, 142.0f}, 0.19f, 0.045f, 0.12f, 0.26f, 0.86f, VOWEL_AH};
    Utterance u = laughUtterance(laugh);
    u.openQuotient = 0.55f;
    u.jitter = 0.02f;
    u.shimmer = 0.1f;
    u.sourceBrightness = 6000.0f;
    u.seed = 106;
    return renderUtterance(u);
}

std::vector<float> haha2Sound()
{
    Laugh laugh{{250.0f, 272.0f, 284.0f, 272.0f, 256.0f, 236.0f}, 0.125f, 0.03f, 0.075f, 0.16f, 0.9f, VOWEL_EH};
    Utterance u = laughUtterance(laugh);
    u.openQuotient = 0.5f;
    u.jitter = 0.02f;
    u.shimmer = 0.08f;
    u.sourceBrightness = 7000.0f;
    u.seed = 107;
    return renderUtterance(u);
}

} // namespace sound
