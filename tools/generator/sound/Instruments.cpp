#include "Instruments.h"

#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {

// Sweeping filters are retuned every few frames: inaudible, and far cheaper than every frame.
constexpr size_t FILTER_UPDATE_FRAMES = 16;
constexpr float DC_BLOCK_HZ = 20.0f; // corner of the blocker that removes offsets

// Length of a note with its envelope's tail, and a buffer for it.
std::vector<float> noteBuffer(const Note& note, float tailSeconds)
{
    return std::vector<float>(secondsToSamples(note.gateSeconds + tailSeconds), 0.0f);
}

float timeOf(int i)
{
    return static_cast<float>(i) / SAMPLE_RATE;
}

void finish(std::vector<float>& out)
{
    fadeEdges(out, secondsToSamples(0.001), secondsToSamples(0.01));
}

} // namespace

std::vector<float> synthBass(const Note& note)
{
    const Adsr amp{0.003f, 0.25f, 0.75f, 0.04f};
    std::vector<float> out = noteBuffer(note, amp.tail());
    const float f = noteFrequency(note.midiNote);
    Oscillator saw, sub;
    Svf filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeOf(static_cast<int>(i));
        const float cutoff = 180.0f + 1400.0f * note.velocity * std::exp(-t / 0.09f);
        if (i % FILTER_UPDATE_FRAMES == 0)
            filter.set(cutoff, 0.35f);
        filter.process(0.7f * saw.saw(f) + 0.3f * saw.saw(f * 1.003f));
        const float body = filter.low + 0.6f * sub.sine(f * 0.5f);
        out[i] = std::tanh(1.3f * body) * amp.value(t, note.gateSeconds) * note.velocity;
    }
    finish(out);
    return out;
}

std::vector<float> roundBass(const Note& note)
{
    const Adsr amp{0.01f, 0.6f, 0.6f, 0.15f};
    std::vector<float> out = noteBuffer(note, amp.tail());
    const float f = noteFrequency(note.midiNote);
    Oscillator sine, tri;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeOf(static_cast<int>(i));
        out[i] = (0.8f * sine.sine(f) + 0.25f * tri.triangle(f)) * amp.value(t, note.gateSeconds) * note.velocity;
    }
    finish(out);
    return out;
}

std::vector<float> warmPad(const Note& note)
{
    const Adsr amp{0.35f, 0.8f, 0.8f, 0.5f};
    std::vector<float> out = noteBuffer(note, amp.tail());
    const float f = noteFrequency(note.midiNote);
    Rng rng(note.seed);
    constexpr float detuneCents[3] = {-9.0f, 0.0f, 8.0f};
    Oscillator saws[3] = {Oscillator(rng.uniform()), Oscillator(rng.uniform()), Oscillator(rng.uniform())};
    float frequencies[3];
    for (int k = 0; k < 3; ++k)
        frequencies[k] = f * std::pow(2.0f, detuneCents[k] / 1200.0f);
    Svf filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeOf(static_cast<int>(i));
        float sum = 0.0f;
        for (int k = 0; k < 3; ++k)
            sum += saws[k].saw(frequencies[k]);
        // The filter opens slowly with the swell.
        if (i % FILTER_UPDATE_FRAMES == 0)
            filter.set(700.0f + 900.0f * std::min(1.0f, t / 1.2f) * note.velocity, 0.15f);
        filter.process(sum / 3.0f);
        out[i] = filter.low * amp.value(t, note.gateSeconds) * note.velocity;
    }
    finish(out);
    return out;
}

std::vector<float> sawStab(const Note& note)
{
    const Adsr amp{0.002f, 0.12f, 0.35f, 0.08f};
    std::vector<float> out = noteBuffer(note, amp.tail());
    const float f = noteFrequency(note.midiNote);
    Rng rng(note.seed);
    constexpr float detuneCents[4] = {-12.0f, -4.0f, 5.0f, 13.0f};
    Oscillator saws[4] = {Oscillator(rng.uniform()), Oscillator(rng.uniform()), Oscillator(rng.uniform()),
                          Oscillator(rng.uniform())};
    float frequencies[4];
    for (int k = 0; k < 4; ++k)
        frequencies[k] = f * std::pow(2.0f, detuneCents[k] / 1200.0f);
    Svf filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeOf(static_cast<int>(i));
        float sum = 0.0f;
        for (int k = 0; k < 4; ++k)
            sum += saws[k].saw(frequencies[k]);
        if (i % FILTER_UPDATE_FRAMES == 0)
            filter.set(900.0f + 4200.0f * std::exp(-t / 0.08f), 0.25f);
        filter.process(sum * 0.25f);
        out[i] = filter.low * amp.value(t, note.gateSeconds) * note.velocity;
    }
    finish(out);
    return out;
}

std::vector<float> pluckedString(const Note& note)
{
    constexpr float ringSeconds = 1.6f; // the string decays by itself, the gate only mutes it
    std::vector<float> out(secondsToSamples(std::min(note.gateSeconds + 0.12f, ringSeconds) + 0.05f), 0.0f);
    const float period = static_cast<float>(SAMPLE_RATE) / noteFrequency(note.midiNote);
    // The averaging filter delays by half a sample; an allpass makes up the fraction.
    const int length = std::max(2, static_cast<int>(period - 0.5f));
    const float fraction = period - 0.5f - length;
    const float allpassCoefficient = (1.0f - fraction) / (1.0f + fraction);

    std::vector<float> line(length);
    Rng rng(note.seed);
    OnePole soften;
    soften.set(2500.0f + 3000.0f * note.velocity);
    for (float& s : line)
        s = soften.lowpass(rng.bipolar());
    float mean = 0.0f;
    for (float s : line)
        mean += s;
    mean /= length;
    for (float& s : line)
        s -= mean;

    int index = 0;
    float previous = 0.0f;
    float allpassIn = 0.0f;
    float allpassOut = 0.0f;
    const int gateEnd = secondsToSamples(note.gateSeconds);
    for (size_t i = 0; i < out.size(); ++i) {
        const float current = line[index];
        // After the gate a damped string loses its energy quickly.
        const float damping = static_cast<int>(i) < gateEnd ? 0.996f : 0.94f;
        const float averaged = 0.5f * (current + previous) * damping;
        previous = current;
        allpassOut = allpassCoefficient * (averaged - allpassOut) + allpassIn;
        allpassIn = averaged;
        line[index] = allpassOut;
        index = (index + 1) % length;
        out[i] = current * note.velocity;
    }
    finish(out);
    return out;
}

namespace {

// Two-operator phase modulation: a sine carrier whose phase is pushed by a sine modulator
// at ratio times the note's frequency, with a modulation index that decays after the strike.
struct FmVoice {
    float ratio;        // modulator frequency / carrier frequency
    float indexStart;   // modulation index at the strike, at full velocity
    float indexSustain; // index the tone settles to
    float indexDecay;   // s
};

std::vector<float> fmNote(const Note& note, const FmVoice& voice, const Adsr& amp)
{
    std::vector<float> out = noteBuffer(note, amp.tail());
    const float f = noteFrequency(note.midiNote);
    double carrierPhase = 0.0;
    double modulatorPhase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeOf(static_cast<int>(i));
        const float index = voice.indexSustain + voice.indexStart * note.velocity * std::exp(-t / voice.indexDecay);
        const float modulator = std::sin(TWO_PI * static_cast<float>(modulatorPhase));
        const float body = std::sin(TWO_PI * static_cast<float>(carrierPhase) + index * modulator);
        out[i] = body * amp.value(t, note.gateSeconds) * note.velocity;
        carrierPhase += f / SAMPLE_RATE;
        modulatorPhase += voice.ratio * f / SAMPLE_RATE;
        carrierPhase -= std::floor(carrierPhase);
        modulatorPhase -= std::floor(modulatorPhase);
    }
    finish(out);
    return out;
}

} // namespace

std::vector<float> bell(const Note& note)
{
    // A modulator at four times the pitch echoes a struck metal bar's fourth-harmonic
    // partial while keeping the pitch unambiguous; the sustain keeps melody notes singing.
    return fmNote(note, {4.0f, 1.8f, 0.15f, 0.45f}, {0.002f, 0.9f, 0.25f, 0.25f});
}

std::vector<float> sawLead(const Note& note)
{
    const Adsr amp{0.006f, 0.25f, 0.7f, 0.1f};
    std::vector<float> out = noteBuffer(note, amp.tail());
    const float f = noteFrequency(note.midiNote);
    Rng rng(note.seed);
    Oscillator sawA(rng.uniform()), sawB(rng.uniform()), pulse(rng.uniform());
    Svf filter;
    // The narrow pulse spends most of its cycle low, which is a steady offset a speaker
    // cannot play; the blocker takes it out while leaving the lowest notes alone.
    OnePole dcBlocker;
    dcBlocker.set(DC_BLOCK_HZ);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = timeOf(static_cast<int>(i));
        // Vibrato only on held notes, after they have settled.
        const float vibratoDepth = std::clamp((t - 0.25f) / 0.3f, 0.0f, 1.0f) * 0.25f; // semitones
        // 2^(x/12) is close enough to 1 + x ln2 / 12 for a quarter of a semitone.
        const float fv = f * (1.0f + 0.05776f * vibratoDepth * std::sin(TWO_PI * 5.5f * t));
        const float raw = 0.45f * sawA.saw(fv * 0.997f) + 0.45f * sawB.saw(fv * 1.003f) + 0.3f * pulse.square(fv, 0.3f);
        if (i % FILTER_UPDATE_FRAMES == 0)
            filter.set(1800.0f + 3500.0f * std::exp(-t / 0.15f), 0.2f);
        filter.process(raw);
        out[i] = dcBlocker.highpass(filter.low) * amp.value(t, note.gateSeconds) * note.velocity;
    }
    finish(out);
    return out;
}

std::vector<float> noiseRiser(float seconds, uint32_t seed)
{
    std::vector<float> out(secondsToSamples(seconds), 0.0f);
    Rng rng(seed);
    Svf filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const float progress = static_cast<float>(i) / out.size();
        if (i % FILTER_UPDATE_FRAMES == 0)
            filter.set(300.0f * std::pow(30.0f, progress), 0.55f);
        filter.process(rng.bipolar());
        out[i] = filter.band * progress * progress;
    }
    fadeEdges(out, secondsToSamples(0.01), secondsToSamples(0.01));
    return out;
}

} // namespace sound
