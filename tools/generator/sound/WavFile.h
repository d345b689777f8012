#pragma once
// Peak normalisation and 16-bit PCM WAV output through libsndfile.

#include <string>
#include <vector>

namespace sound {

constexpr float TARGET_PEAK = 0.8913f; // linear, -1 dBFS: headroom so nothing reaches full scale

float peakOf(const std::vector<float>& samples);

// Scales the samples so their peak is TARGET_PEAK (silence stays silent).
void normalise(std::vector<float>& samples);

// Writes interleaved float samples (-1..1) as a WAV file at SAMPLE_RATE, 16-bit PCM.
// Prints a line naming the file and returns false when it cannot be written.
bool writeWav(const std::string& path, const std::vector<float>& interleaved, int channels);

} // namespace sound
