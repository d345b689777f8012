#include "Score.h"

#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace sound {

void Stereo::mix(const Stereo& source, int offset, float gain)
{
    const int begin = std::max(0, -offset);
    const int end = std::min(source.frames(), frames() - offset);
    for (int i = begin; i < end; ++i) {
        left[i + offset] += source.left[i] * gain;
        right[i + offset] += source.right[i] * gain;
    }
}

std::vector<float> Stereo::interleaved() const
{
    std::vector<float> out(left.size() * 2);
    for (size_t i = 0; i < left.size(); ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
    return out;
}

Score::Score(int length, int tailFrames)
    : dry(length + tailFrames), reverbSend(length + tailFrames), echoSend(length + tailFrames), lengthFrames(length)
{}

void Score::place(const std::vector<float>& note, int startFrame, float gain, float pan, float reverb, float echo)
{
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * PI;
    const float gainLeft = std::cos(angle) * gain;
    const float gainRight = std::sin(angle) * gain;
    const int total = dry.frames();
    for (size_t i = 0; i < note.size(); ++i) {
        const int at = startFrame + static_cast<int>(i);
        if (at < 0 || at >= total)
            continue;
        const float l = note[i] * gainLeft;
        const float r = note[i] * gainRight;
        dry.left[at] += l;
        dry.right[at] += r;
        reverbSend.left[at] += l * reverb;
        reverbSend.right[at] += r * reverb;
        echoSend.left[at] += l * echo;
        echoSend.right[at] += r * echo;
    }
}

Stereo foldLoop(const Stereo& source, int length)
{
    Stereo out(length);
    for (int i = 0; i < source.frames(); ++i) {
        out.left[i % length] += source.left[i];
        out.right[i % length] += source.right[i];
    }
    return out;
}

Stereo tailAfter(const Stereo& source, int length)
{
    Stereo out(std::max(0, source.frames() - length));
    for (int i = 0; i < out.frames(); ++i) {
        out.left[i] = source.left[i + length];
        out.right[i] = source.right[i + length];
    }
    return out;
}

Stereo truncated(const Stereo& source, int length)
{
    Stereo out(length);
    out.mix(source, 0);
    return out;
}

} // namespace sound
