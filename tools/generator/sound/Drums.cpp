#include "Drums.h"

#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace sound {

std::vector<float> kickDrum(float velocity)
{
    const int n = secondsToSamples(0.45);
    std::vector<float> out(n);
    Oscillator body;
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        // The pitch drops quickly from a knock to a low boom.
        const float frequency = 46.0f + 120.0f * std::exp(-t / 0.03f);
        const float amplitude = std::exp(-t / 0.22f);
        const float click = std::exp(-t / 0.004f) * 0.4f * std::sin(TWO_PI * 1200.0f * t);
        out[i] = std::tanh(1.6f * (body.sine(frequency) * amplitude + click)) * velocity;
    }
    fadeEdges(out, 0, secondsToSamples(0.02));
    return out;
}

std::vector<float> snareDrum(float velocity, uint32_t seed)
{
    const int n = secondsToSamples(0.32);
    std::vector<float> out(n);
    Rng rng(seed);
    Svf noiseFilter;
    noiseFilter.set(3800.0f, 0.2f);
    Oscillator toneLow, toneHigh;
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        const float tone = (0.6f * toneLow.sine(185.0f) + 0.3f * toneHigh.sine(330.0f)) * std::exp(-t / 0.045f);
        noiseFilter.process(rng.bipolar());
        const float rattle = (noiseFilter.band + 0.5f * noiseFilter.high) * std::exp(-t / 0.085f);
        out[i] = (tone + 0.9f * rattle) * velocity;
    }
    fadeEdges(out, secondsToSamples(0.0005), secondsToSamples(0.02));
    return out;
}

std::vector<float> hiHat(float velocity, bool open, uint32_t seed)
{
    const float decay = open ? 0.22f : 0.035f; // s
    const int n = secondsToSamples(decay * 7.0f);
    std::vector<float> out(n);
    Rng rng(seed);
    // Six inharmonic square waves give the metallic ring under the noise.
    constexpr float ratios[6] = {1.0f, 1.483f, 1.801f, 2.546f, 2.630f, 3.897f};
    Oscillator metal[6];
    Svf highpass, highpass2;
    highpass.set(7000.0f, 0.1f);
    highpass2.set(6000.0f, 0.0f);
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        float ring = 0.0f;
        for (int k = 0; k < 6; ++k)
            ring += metal[k].square(330.0f * ratios[k]);
        highpass.process(0.6f * rng.bipolar() + 0.08f * ring);
        highpass2.process(highpass.high);
        out[i] = highpass2.high * std::exp(-t / decay) * velocity;
    }
    fadeEdges(out, secondsToSamples(0.0005), secondsToSamples(0.01));
    return out;
}

std::vector<float> crashCymbal(float velocity, uint32_t seed)
{
    const int n = secondsToSamples(2.2);
    std::vector<float> out(n);
    Rng rng(seed);
    Svf filter;
    filter.set(5000.0f, 0.15f);
    OnePole soften;
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        // The cymbal darkens as it fades.
        soften.set(14000.0f * std::exp(-t / 1.5f) + 3000.0f);
        filter.process(rng.bipolar());
        const float attack = std::min(1.0f, t / 0.002f);
        out[i] = soften.lowpass(filter.high + 0.4f * filter.band) * attack * std::exp(-t / 0.55f) * velocity;
    }
    fadeEdges(out, 0, secondsToSamples(0.1));
    return out;
}

std::vector<float> rimClick(float velocity)
{
    const int n = secondsToSamples(0.08);
    std::vector<float> out(n);
    Resonator wood;
    wood.set(1700.0f, 180.0f);
    Resonator body;
    body.set(480.0f, 90.0f);
    for (int i = 0; i < n; ++i) {
        const float impulse = i < 12 ? 1.0f - i / 12.0f : 0.0f;
        out[i] = (wood.process(impulse) * 0.6f + body.process(impulse) * 0.3f);
    }
    const float peak = std::max(1e-6f, *std::max_element(out.begin(), out.end()));
    for (float& s : out)
        s *= velocity / peak;
    fadeEdges(out, 0, secondsToSamples(0.01));
    return out;
}

std::vector<float> donkSound()
{
    const int n = secondsToSamples(0.6);
    std::vector<float> out(n);
    Rng rng(201);
    Oscillator body, knock, overtone;
    // The strike itself: a soft, dark burst rather than a click.
    OnePole dull, duller;
    dull.set(1500.0f);
    duller.set(1500.0f);
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        const float attack = std::min(1.0f, t / 0.002f);
        // A hollow, woody tone that sags in pitch as it dies, over a low boom.
        const float knockPitch = 150.0f + 40.0f * std::exp(-t / 0.03f);
        const float tone = knock.sine(knockPitch) * std::exp(-t / 0.09f)
            + 0.35f * overtone.sine(knockPitch * 2.76f) * std::exp(-t / 0.035f);
        const float boom = body.sine(52.0f + 45.0f * std::exp(-t / 0.04f)) * std::exp(-t / 0.14f);
        const float burst = duller.lowpass(dull.lowpass(rng.bipolar())) * std::exp(-t / 0.008f) * 3.0f;
        out[i] = (0.8f * tone + 0.7f * boom + burst) * attack;
    }
    float peak = 0.0f;
    for (float s : out)
        peak = std::max(peak, std::fabs(s));
    for (float& s : out)
        s /= peak;
    fadeEdges(out, 0, secondsToSamples(0.05));
    return out;
}

} // namespace sound
