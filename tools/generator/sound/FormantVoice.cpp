#include "FormantVoice.h"

#include <algorithm>
#include <cmath>

namespace sound {

const Vowel VOWEL_AH = {{730, 1090, 2440, 3400, 4200}, {90, 110, 160, 250, 300}};
const Vowel VOWEL_UH = {{640, 1190, 2390, 3350, 4200}, {80, 100, 150, 250, 300}};
const Vowel VOWEL_OO = {{440, 1020, 2240, 3300, 4100}, {70, 100, 150, 250, 300}};
const Vowel VOWEL_U = {{300, 870, 2240, 3300, 4100}, {60, 90, 150, 250, 300}};
const Vowel VOWEL_EH = {{530, 1840, 2480, 3450, 4300}, {70, 110, 160, 250, 300}};
const Vowel VOWEL_AE = {{660, 1720, 2410, 3400, 4300}, {90, 120, 160, 250, 300}};
const Vowel VOWEL_SCHWA = {{500, 1500, 2500, 3400, 4200}, {80, 110, 160, 250, 300}};
// Nasal murmur: a strong low resonance, the upper ones damped by the closed mouth.
const Vowel VOWEL_MM = {{250, 1100, 2300, 3300, 4100}, {50, 400, 500, 600, 700}};

namespace {

Vowel vowelAt(const std::vector<std::pair<float, Vowel>>& keys, float time)
{
    if (keys.empty())
        return VOWEL_SCHWA;
    if (time <= keys.front().first)
        return keys.front().second;
    if (time >= keys.back().first)
        return keys.back().second;
    size_t i = 1;
    while (keys[i].first < time)
        ++i;
    const auto& [t0, v0] = keys[i - 1];
    const auto& [t1, v1] = keys[i];
    const float f = t1 > t0 ? (time - t0) / (t1 - t0) : 1.0f;
    Vowel mixed{};
    for (int k = 0; k < 5; ++k) {
        mixed.frequency[k] = v0.frequency[k] + (v1.frequency[k] - v0.frequency[k]) * f;
        mixed.bandwidth[k] = v0.bandwidth[k] + (v1.bandwidth[k] - v0.bandwidth[k]) * f;
    }
    return mixed;
}

// Rosenberg glottal flow over one period: a smooth opening, a quicker closing, then closed.
float glottalFlow(float phase, float openQuotient)
{
    const float rise = openQuotient * 0.68f;
    const float fall = openQuotient - rise;
    if (phase < rise)
        return 0.5f * (1.0f - std::cos(PI * phase / rise));
    if (phase < openQuotient)
        return std::cos(0.5f * PI * (phase - rise) / fall);
    return 0.0f;
}

} // namespace

std::vector<float> renderUtterance(const Utterance& u)
{
    const int count = secondsToSamples(u.duration);
    std::vector<float> tract(count, 0.0f);
    std::vector<float> hiss(count, 0.0f);
    std::vector<float> presence(count, 0.0f);

    Rng rng(u.seed);
    Resonator formants[5];
    OnePole brightness;
    brightness.set(u.sourceBrightness);
    Svf fricationFilter;
    fricationFilter.set(u.fricationCenter, 0.35f);
    OnePole fricationTop;
    fricationTop.set(9000.0f);
    Svf presenceLow, presenceHigh;
    presenceLow.set(3500.0f, 0.3f);
    presenceHigh.set(5000.0f, 0.0f);
    OnePole presenceTop, presenceTop2;
    presenceTop.set(7500.0f);
    presenceTop2.set(7500.0f);

    float phase = 0.0f;
    float periodPitch = std::max(u.pitch.at(0.0f), 30.0f);
    float periodGain = 1.0f;
    float previousFlow = 0.0f;
    float vibratoPhase = 0.0f;
    float rawHissPeak = 0.0f;

    for (int i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;

        const float flow = glottalFlow(phase, u.openQuotient) * periodGain;
        // The derivative of the flow is what the lips radiate; scale it so loudness
        // does not follow pitch.
        float excitation = (flow - previousFlow) * (SAMPLE_RATE / periodPitch) * 0.2f;
        previousFlow = flow;
        excitation = brightness.lowpass(excitation) * u.voicing.at(t);

        // Breath is loudest while the glottis is open.
        const float breath = rng.bipolar() * u.aspiration.at(t) * (0.35f + 0.65f * flow) * 2.0f;

        const Vowel vowel = vowelAt(u.vowels, t);
        float y = excitation + breath;
        for (int k = 0; k < 5; ++k) {
            formants[k].set(vowel.frequency[k], vowel.bandwidth[k]);
            y = formants[k].process(y);
        }
        tract[i] = y;
        // The cascade rolls off steeply above its last formant; a parallel band restores
        // the breathy top end of a real voice.
        presenceLow.process(excitation + breath);
        presenceHigh.process(excitation + breath);
        presence[i] = presenceTop2.lowpass(presenceTop.lowpass(presenceLow.band + 0.3f * presenceHigh.high));

        fricationFilter.process(rng.bipolar());
        const float rawHiss = fricationTop.lowpass(fricationFilter.band + 0.3f * fricationFilter.high);
        rawHissPeak = std::max(rawHissPeak, std::fabs(rawHiss));
        hiss[i] = rawHiss * u.frication.at(t);

        phase += periodPitch / SAMPLE_RATE;
        if (phase >= 1.0f) {
            phase -= 1.0f;
            // A new glottal period: pick its pitch and strength with a little irregularity.
            vibratoPhase += TWO_PI * u.vibratoHz / periodPitch;
            const float vibrato = std::pow(2.0f, u.vibratoSemitones * std::sin(vibratoPhase) / 12.0f);
            periodPitch = std::max(u.pitch.at(t) * vibrato * (1.0f + u.jitter * rng.bipolar()), 30.0f);
            periodGain = std::max(0.0f, 1.0f + u.shimmer * rng.bipolar());
        }
    }

    float tractPeak = 0.0f;
    float presencePeak = 0.0f;
    for (int i = 0; i < count; ++i) {
        tractPeak = std::max(tractPeak, std::fabs(tract[i]));
        presencePeak = std::max(presencePeak, std::fabs(presence[i]));
    }
    const float presenceScale = presencePeak > 0.0f ? u.presence * tractPeak / presencePeak : 0.0f;
    // Frication levels are relative to the voice, whatever the resonators' gain.
    const float hissScale = rawHissPeak > 0.0f ? (tractPeak > 0.0f ? tractPeak : 1.0f) / rawHissPeak : 0.0f;

    std::vector<float> out(count);
    OnePole dcBlock;
    dcBlock.set(60.0f);
    float peak = 0.0f;
    for (int i = 0; i < count; ++i) {
        out[i] = dcBlock.highpass(tract[i] + presence[i] * presenceScale + hiss[i] * hissScale);
        peak = std::max(peak, std::fabs(out[i]));
    }
    if (peak > 0.0f)
        for (float& s : out)
            s /= peak;
    fadeEdges(out, secondsToSamples(0.003), secondsToSamples(0.01));
    return out;
}

} // namespace sound
