#pragma once
// A volume shared by a set of voices: it multiplies the gain of each. The mixer owns its groups
// and applies their volumes on every update.

#include "audio/MixerResult.h"

class MixGroup {
public:
    // volume: 0 (silent) to 1 (full); anything else is refused.
    MixerResult setVolume(float volume)
    {
        const bool valid = volume >= 0.0f && volume <= 1.0f;
        gain = valid ? volume : gain;
        return valid ? MIXER_OK : MIXER_ERR_INVALID_PARAM;
    }
    MixerResult volume(float* out) const { return *out = gain, MIXER_OK; }

private:
    float gain = 1.0f;
};
