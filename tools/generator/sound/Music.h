#pragma once
// The game's music: three pieces in A minor at one tempo that chain without a gap.
// "intro" loops while the player aims, "inbetween" is a rising two-bar bridge played
// once, "flight" loops during the throw.

#include <vector>

namespace sound {

constexpr int MUSIC_BPM = 126; // beats per minute; 21 000 samples a beat at 44.1 kHz
constexpr int BEATS_PER_BAR = 4;
constexpr int INTRO_BARS = 8;
constexpr int INBETWEEN_BARS = 2;
constexpr int FLIGHT_BARS = 8;

struct MusicChain {
    // Interleaved stereo at SAMPLE_RATE, one gain for all three so their levels match.
    std::vector<float> intro;
    std::vector<float> inbetween;
    std::vector<float> flight;
};

MusicChain composeMusicChain();

} // namespace sound
