#pragma once
// The music's two send effects: a tempo-synced ping-pong echo and a plate-like reverb
// (parallel damped combs into series allpasses). Both keep their state between calls, so
// a loop can be run through them twice and the second pass is what the loop sounds like
// when it repeats forever.

#include "Dsp.h"
#include "Score.h"

#include <vector>

namespace sound {

class Reverb {
public:
    Reverb(float roomSize, float damping); // both 0..1
    void process(float inLeft, float inRight, float& outLeft, float& outRight);

private:
    struct Comb {
        std::vector<float> buffer;
        int index = 0;
        float store = 0.0f;
    };
    struct Allpass {
        std::vector<float> buffer;
        int index = 0;
    };
    float comb(Comb& c, float input);
    static float allpass(Allpass& a, float input);

    float feedback;
    float damp;
    std::vector<Comb> combsLeft, combsRight;
    std::vector<Allpass> allpassesLeft, allpassesRight;
};

class PingPongEcho {
public:
    PingPongEcho(int delayFrames, float feedback);
    void process(float inLeft, float inRight, float& outLeft, float& outRight);

private:
    std::vector<float> left, right;
    int index = 0;
    float feedback;
    OnePole darkLeft, darkRight; // each repeat a little duller
};

// The echo feeds the reverb too, so repeats sit in the same room.
class SendEffects {
public:
    explicit SendEffects(int echoFrames);
    // Runs both sends through the effects and adds the result to out (same length).
    void run(const Stereo& reverbSend, const Stereo& echoSend, Stereo& out);

private:
    PingPongEcho echo;
    Reverb reverb;
};

} // namespace sound
