#pragma once
// Short musical cues for moments of the game. Each returns mono samples at SAMPLE_RATE,
// peak-normalised to 1, starting at once and ending at silence.

#include <vector>

namespace sound {

// The cheerful chime of a goal reached: a quick rising C major arpeggio on the bell, with
// a plucked octave above and two high glints at its top.
std::vector<float> goalSound();

} // namespace sound
