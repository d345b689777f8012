#pragma once
// A volume shared by a set of voices: it multiplies the gain of every voice in the group. The
// mixer owns its groups and applies their volumes on every update.

#include "audio/MixerResult.h"

class MixGroup {
public:
    // volume: 0 (silent) to 1 (full); anything else is refused.
    MixerResult setVolume(float volume)
    {
        if (!(volume >= 0.0f && volume <= 1.0f))
            return MIXER_ERR_INVALID_PARAM;
        gain = volume;
        return MIXER_OK;
    }
    MixerResult volume(float* out) const
    {
        if (!out)
            return MIXER_ERR_INVALID_PARAM;
        *out = gain;
        return MIXER_OK;
    }

private:
    float gain = 1.0f;
};
