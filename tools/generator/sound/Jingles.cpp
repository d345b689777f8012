#include "Jingles.h"

#include "Dsp.h"
#include "Instruments.h"
#include "WavFile.h"

#include <cstddef>

namespace sound {

namespace {

// Adds a note into the mix from `startSeconds` on, cut off where the mix ends.
void mixIn(std::vector<float>& mix, const std::vector<float>& note, float startSeconds, float gain)
{
    const size_t start = static_cast<size_t>(secondsToSamples(startSeconds));
    for (size_t i = 0; i < note.size() && start + i < mix.size(); ++i)
        mix[start + i] += gain * note[i];
}

} // namespace

std::vector<float> goalSound()
{
    // C major sits inside the flight music's A minor, so the chime never clashes with it.
    // The first note sounds at once: the toast and its chime arrive together.
    constexpr float step = 0.07f;                               // s between the notes of the arpeggio
    constexpr float arpeggio[4] = {72.0f, 76.0f, 79.0f, 84.0f}; // C5 E5 G5 C6
    std::vector<float> mix(secondsToSamples(0.8), 0.0f);
    for (int k = 0; k < 4; ++k) {
        const bool top = k == 3;
        // Each note a little louder than the last; the top one is held to ring out. A soft
        // strike keeps the bell round: harder, its high partials would shrill over the music.
        const float velocity = 0.5f + 0.06f * k;
        mixIn(mix, bell({arpeggio[k], top ? 0.2f : 0.06f, velocity, 1}), step * k, 1.0f);
        // A plucked string an octave above gives each strike its glassy edge.
        mixIn(mix, pluckedString({arpeggio[k] + 12.0f, 0.12f, 0.4f, 301u + k}), step * k, 0.35f);
    }
    // The sparkle: two quiet, high bell glints (E7, G7) just after the top note lands.
    mixIn(mix, bell({100.0f, 0.03f, 0.3f, 1}), step * 3 + 0.05f, 0.22f);
    mixIn(mix, bell({103.0f, 0.03f, 0.3f, 1}), step * 3 + 0.1f, 0.18f);

    // The ring dies away over the last third, reaching exact silence at the end.
    fadeEdges(mix, 0, secondsToSamples(0.3));
    const float peak = peakOf(mix);
    for (float& s : mix)
        s /= peak;
    return mix;
}

} // namespace sound
