#pragma once
// Small signal-processing toolkit for the synthesised sounds: noise, band-limited
// oscillators, filters, envelopes and keyframed parameter tracks. Everything is
// deterministic: noise comes from seeded generators, never from the clock.

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace sound {

constexpr int SAMPLE_RATE = 44100; // Hz, for every sound and piece of music
constexpr float PI = 3.14159265358979f;
constexpr float TWO_PI = 2.0f * PI;

// MIDI note number to frequency in Hz (69 = A4 = 440 Hz).
float noteFrequency(float midiNote);

// Seconds to a whole number of samples.
int secondsToSamples(double seconds);

// xorshift32: fast, repeatable white noise.
class Rng {
public:
    explicit Rng(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
    uint32_t next();
    float uniform(); // [0, 1)
    float bipolar(); // [-1, 1)

private:
    uint32_t state;
};

// Topology-preserving state-variable filter; stays stable while its cutoff moves every sample.
class Svf {
public:
    void set(float cutoffHz, float resonance); // resonance 0 (none) to just below 1
    void process(float x);
    float low = 0.0f;
    float band = 0.0f;
    float high = 0.0f;

private:
    float g = 0.1f;
    float k = 2.0f;
    float s1 = 0.0f;
    float s2 = 0.0f;
};

// One-pole smoother: lowpass output, highpass as the remainder.
class OnePole {
public:
    void set(float cutoffHz);
    float lowpass(float x);
    float highpass(float x) { return x - lowpass(x); }

private:
    float a = 0.1f;
    float z = 0.0f;
};

// Two-pole resonator with unity gain at 0 Hz, the building block of a formant cascade.
class Resonator {
public:
    void set(float frequencyHz, float bandwidthHz);
    float process(float x);

private:
    float a = 1.0f;
    float b = 0.0f;
    float c = 0.0f;
    float y1 = 0.0f;
    float y2 = 0.0f;
};

// Phase-accumulating oscillator; saw and square are polyBLEP-corrected so high notes do not alias.
class Oscillator {
public:
    explicit Oscillator(float startPhase = 0.0f) : phase(startPhase) {}
    float sine(float frequencyHz);
    float saw(float frequencyHz);
    float square(float frequencyHz, float pulseWidth = 0.5f);
    float triangle(float frequencyHz);

private:
    float advance(float frequencyHz); // returns the phase increment
    float phase;
};

// Attack/decay/sustain/release envelope evaluated at time t for a note held gateSeconds.
struct Adsr {
    float attack = 0.005f; // s, linear rise
    float decay = 0.1f;    // s, time constant towards sustain
    float sustain = 0.7f;  // level 0..1
    float release = 0.1f;  // s, time constant towards 0 after the gate
    float value(float t, float gateSeconds) const;
    // Seconds after the gate until the envelope is 60 dB down (notes fade to zero from there).
    float tail() const { return release * 6.9f; }
};

// Piecewise-linear parameter track over time, keyframes given in ascending time.
class Track {
public:
    Track() = default;
    Track(std::initializer_list<std::pair<float, float>> keys);
    void add(float time, float value) { keys.push_back({time, value}); }
    float at(float time) const;
    bool empty() const { return keys.empty(); }

private:
    std::vector<std::pair<float, float>> keys;
};

// Raised-cosine fades at both ends, so a sound starts and stops at exactly zero.
void fadeEdges(std::vector<float>& samples, int fadeInSamples, int fadeOutSamples);

} // namespace sound
