#pragma once
// Pitched instruments of the music. Each renders one note, mono at SAMPLE_RATE: the
// note held for gateSeconds followed by its natural release, starting and ending at silence.

#include <cstdint>
#include <vector>

namespace sound {

struct Note {
    float midiNote = 69.0f;
    float gateSeconds = 0.5f;
    float velocity = 1.0f; // 0..1
    uint32_t seed = 1;     // for noise and start phases
};

std::vector<float> synthBass(const Note& note);     // saw and sub through a plucky lowpass
std::vector<float> roundBass(const Note& note);     // soft sine-and-triangle bass
std::vector<float> warmPad(const Note& note);       // detuned saws, slow swell
std::vector<float> sawStab(const Note& note);       // short bright chord hit
std::vector<float> pluckedString(const Note& note); // Karplus-Strong pluck
std::vector<float> bell(const Note& note);          // FM metal bar for the calm melody
std::vector<float> sawLead(const Note& note);       // lively lead with delayed vibrato

// Filtered noise rising in pitch and loudness over the given length, for the bridge.
std::vector<float> noiseRiser(float seconds, uint32_t seed);

} // namespace sound
