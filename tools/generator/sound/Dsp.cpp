#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace sound {

float noteFrequency(float midiNote)
{
    return 440.0f * std::pow(2.0f, (midiNote - 69.0f) / 12.0f);
}

int secondsToSamples(double seconds)
{
    return static_cast<int>(std::lround(seconds * SAMPLE_RATE));
}

uint32_t Rng::next()
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Rng::uniform()
{
    return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f);
}

float Rng::bipolar()
{
    return uniform() * 2.0f - 1.0f;
}

void Svf::set(float cutoffHz, float resonance)
{
    const float nyquistSafe = 0.45f * SAMPLE_RATE;
    const float cutoff = std::clamp(cutoffHz, 10.0f, nyquistSafe);
    g = std::tan(PI * cutoff / SAMPLE_RATE);
    k = 2.0f - 2.0f * std::clamp(resonance, 0.0f, 0.98f);
}

void Svf::process(float x)
{
    const float a1 = 1.0f / (1.0f + g * (g + k));
    const float a2 = g * a1;
    const float a3 = g * a2;
    const float v3 = x - s2;
    const float v1 = a1 * s1 + a2 * v3;
    const float v2 = s2 + a2 * s1 + a3 * v3;
    s1 = 2.0f * v1 - s1;
    s2 = 2.0f * v2 - s2;
    low = v2;
    band = v1;
    high = x - k * v1 - v2;
}

void OnePole::set(float cutoffHz)
{
    a = 1.0f - std::exp(-TWO_PI * cutoffHz / SAMPLE_RATE);
}

float OnePole::lowpass(float x)
{
    z += a * (x - z);
    return z;
}

void Resonator::set(float frequencyHz, float bandwidthHz)
{
    const float t = 1.0f / SAMPLE_RATE;
    const float r = std::exp(-PI * bandwidthHz * t);
    c = -r * r;
    b = 2.0f * r * std::cos(TWO_PI * frequencyHz * t);
    a = 1.0f - b - c;
}

float Resonator::process(float x)
{
    const float y = a * x + b * y1 + c * y2;
    y2 = y1;
    y1 = y;
    return y;
}

namespace {

// Band-limited step correction around a discontinuity of the phase ramp.
float polyBlep(float t, float dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

} // namespace

float Oscillator::advance(float frequencyHz)
{
    const float increment = std::max(frequencyHz, 0.0f) / SAMPLE_RATE;
    phase += increment;
    if (phase >= 1.0f)
        phase -= std::floor(phase);
    return increment;
}

float Oscillator::sine(float frequencyHz)
{
    const float value = std::sin(TWO_PI * phase);
    advance(frequencyHz);
    return value;
}

float Oscillator::saw(float frequencyHz)
{
    const float dt = std::max(frequencyHz, 1.0f) / SAMPLE_RATE;
    const float value = 2.0f * phase - 1.0f - polyBlep(phase, dt);
    advance(frequencyHz);
    return value;
}

float Oscillator::square(float frequencyHz, float pulseWidth)
{
    const float dt = std::max(frequencyHz, 1.0f) / SAMPLE_RATE;
    float value = phase < pulseWidth ? 1.0f : -1.0f;
    value += polyBlep(phase, dt);
    float shifted = phase + 1.0f - pulseWidth;
    shifted -= std::floor(shifted);
    value -= polyBlep(shifted, dt);
    advance(frequencyHz);
    return value;
}

float Oscillator::triangle(float frequencyHz)
{
    const float value = 1.0f - 4.0f * std::fabs(phase - 0.5f);
    advance(frequencyHz);
    return value;
}

float Adsr::value(float t, float gateSeconds) const
{
    if (t < 0.0f)
        return 0.0f;
    auto held = [this](float u) {
        if (u < attack)
            return u / attack;
        return sustain + (1.0f - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < gateSeconds)
        return held(t);
    return held(gateSeconds) * std::exp(-(t - gateSeconds) / release);
}

Track::Track(std::initializer_list<std::pair<float, float>> initial) : keys(initial)
{}

float Track::at(float time) const
{
    if (keys.empty())
        return 0.0f;
    if (time <= keys.front().first)
        return keys.front().second;
    if (time >= keys.back().first)
        return keys.back().second;
    auto upper = std::upper_bound(keys.begin(), keys.end(), time,
                                  [](float t, const std::pair<float, float>& key) { return t < key.first; });
    auto lower = upper - 1;
    const float span = upper->first - lower->first;
    const float f = span > 0.0f ? (time - lower->first) / span : 1.0f;
    return lower->second + (upper->second - lower->second) * f;
}

void fadeEdges(std::vector<float>& samples, int fadeInSamples, int fadeOutSamples)
{
    const int n = static_cast<int>(samples.size());
    fadeInSamples = std::min(fadeInSamples, n);
    fadeOutSamples = std::min(fadeOutSamples, n);
    for (int i = 0; i < fadeInSamples; ++i)
        samples[i] *= 0.5f - 0.5f * std::cos(PI * i / fadeInSamples);
    for (int i = 0; i < fadeOutSamples; ++i)
        samples[n - 1 - i] *= 0.5f - 0.5f * std::cos(PI * i / fadeOutSamples);
}

} // namespace sound
