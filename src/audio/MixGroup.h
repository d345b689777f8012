#pragma once
// A set of voices sharing one volume, which multiplies the gain of every voice in the group.
// Groups belong to the mixer that made them and go with its release.

#include "audio/MixerResult.h"

class Mixer;

class MixGroup {
public:
    // volume: 0 (silent) to 1 (full); anything else is refused.
    MixerResult setVolume(float volume);
    MixerResult volume(float* out) const;

    Mixer* owner() const { return mixer; }

private:
    friend class Mixer;
    explicit MixGroup(Mixer* mixer) : mixer(mixer) {}

    Mixer* mixer;
    float gain = 1.0f;
};
