#include "SendEffects.h"

#include <cstddef>

namespace sound {

namespace {

// Mutually prime comb and allpass lengths at 44.1 kHz; the right channel is offset a
// little so the reverb is wide.
constexpr int COMB_FRAMES[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int ALLPASS_FRAMES[4] = {556, 441, 341, 225};
constexpr int STEREO_SPREAD = 23; // frames
constexpr float INPUT_GAIN = 0.015f;

} // namespace

Reverb::Reverb(float roomSize, float damping) : feedback(0.7f + 0.28f * roomSize), damp(0.4f * damping)
{
    for (int frames : COMB_FRAMES) {
        combsLeft.push_back({std::vector<float>(frames, 0.0f)});
        combsRight.push_back({std::vector<float>(frames + STEREO_SPREAD, 0.0f)});
    }
    for (int frames : ALLPASS_FRAMES) {
        allpassesLeft.push_back({std::vector<float>(frames, 0.0f)});
        allpassesRight.push_back({std::vector<float>(frames + STEREO_SPREAD, 0.0f)});
    }
}

float Reverb::comb(Comb& c, float input)
{
    const float output = c.buffer[c.index];
    c.store = output * (1.0f - damp) + c.store * damp;
    c.buffer[c.index] = input + c.store * feedback;
    c.index = (c.index + 1) % static_cast<int>(c.buffer.size());
    return output;
}

float Reverb::allpass(Allpass& a, float input)
{
    const float delayed = a.buffer[a.index];
    a.buffer[a.index] = input + delayed * 0.5f;
    a.index = (a.index + 1) % static_cast<int>(a.buffer.size());
    return delayed - input;
}

void Reverb::process(float inLeft, float inRight, float& outLeft, float& outRight)
{
    const float input = (inLeft + inRight) * INPUT_GAIN;
    float l = 0.0f;
    float r = 0.0f;
    for (std::size_t k = 0; k < combsLeft.size(); ++k) {
        l += comb(combsLeft[k], input);
        r += comb(combsRight[k], input);
    }
    for (std::size_t k = 0; k < allpassesLeft.size(); ++k) {
        l = allpass(allpassesLeft[k], l);
        r = allpass(allpassesRight[k], r);
    }
    outLeft = l;
    outRight = r;
}

PingPongEcho::PingPongEcho(int delayFrames, float feedbackAmount)
    : left(delayFrames, 0.0f), right(delayFrames, 0.0f), feedback(feedbackAmount)
{
    darkLeft.set(4500.0f);
    darkRight.set(4500.0f);
}

void PingPongEcho::process(float inLeft, float inRight, float& outLeft, float& outRight)
{
    outLeft = left[index];
    outRight = right[index];
    // The input enters on the left and every repeat crosses to the other side.
    left[index] = darkLeft.lowpass(0.5f * (inLeft + inRight) + outRight * feedback);
    right[index] = darkRight.lowpass(outLeft * feedback);
    index = (index + 1) % static_cast<int>(left.size());
}

SendEffects::SendEffects(int echoFrames) : echo(echoFrames, 0.42f), reverb(0.78f, 0.45f)
{}

void SendEffects::run(const Stereo& reverbSend, const Stereo& echoSend, Stereo& out)
{
    for (int i = 0; i < out.frames(); ++i) {
        float echoLeft, echoRight;
        echo.process(echoSend.left[i], echoSend.right[i], echoLeft, echoRight);
        float roomLeft, roomRight;
        reverb.process(reverbSend.left[i] + 0.3f * echoLeft, reverbSend.right[i] + 0.3f * echoRight, roomLeft,
                       roomRight);
        out.left[i] += echoLeft + roomLeft;
        out.right[i] += echoRight + roomRight;
    }
}

} // namespace sound
