#pragma once
// Percussion one-shots, mono at SAMPLE_RATE, each starting and ending at silence.

#include <cstdint>
#include <vector>

namespace sound {

std::vector<float> kickDrum(float velocity);
std::vector<float> snareDrum(float velocity, uint32_t seed);
std::vector<float> hiHat(float velocity, bool open, uint32_t seed);
std::vector<float> crashCymbal(float velocity, uint32_t seed);
std::vector<float> rimClick(float velocity);

// The dull, hollow thud of Grov landing for the last time; peak-normalised to 1.
std::vector<float> donkSound();

} // namespace sound
