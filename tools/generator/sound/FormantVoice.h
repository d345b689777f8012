#pragma once
// A small source-filter voice: a glottal pulse train with jitter and shimmer, breath
// noise, and a cascade of five formant resonators that glide between vowel targets.
// Grov's grunts, pain sounds and laughs are all built from it.

#include "Dsp.h"

#include <cstdint>
#include <vector>

namespace sound {

// Five formant frequencies and bandwidths in Hz.
struct Vowel {
    float frequency[5];
    float bandwidth[5];
};

// Adult male vowel targets; Grov is a big lad.
extern const Vowel VOWEL_AH;    // "father"
extern const Vowel VOWEL_UH;    // "strut"
extern const Vowel VOWEL_OO;    // "foot"
extern const Vowel VOWEL_U;     // "goose"
extern const Vowel VOWEL_EH;    // "dress"
extern const Vowel VOWEL_AE;    // "trap"
extern const Vowel VOWEL_SCHWA; // relaxed, neutral
extern const Vowel VOWEL_MM;    // closed lips, sound through the nose

struct Utterance {
    float duration = 0.5f;                       // s
    Track pitch;                                 // Hz over time
    Track voicing;                               // 0..1, loudness of the glottal pulses
    Track aspiration;                            // breath noise shaped by the mouth ("h"); 1 is a breathy voice
    Track frication;                             // 0..1, hiss at the lips ("f"), relative to the voice's peak
    std::vector<std::pair<float, Vowel>> vowels; // formant targets over time
    float openQuotient = 0.6f;                   // fraction of a period the glottis is open; lower sounds pressed
    float jitter = 0.01f;                        // relative random period variation
    float shimmer = 0.06f;                       // relative random pulse amplitude variation
    float vibratoHz = 5.0f;
    float vibratoSemitones = 0.0f;
    float sourceBrightness = 6000.0f; // Hz, lowpass on the glottal source
    float fricationCenter = 4500.0f;  // Hz
    float presence = 0.2f;            // level of the voice's upper band, relative to its peak
    uint32_t seed = 1;
};

// Renders the utterance as mono samples at SAMPLE_RATE, peak-normalised to 1.
std::vector<float> renderUtterance(const Utterance& utterance);

} // namespace sound
