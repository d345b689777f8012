#include "audio/MixGroup.h"

#include "audio/Mixer.h"

MixerResult MixGroup::setVolume(float volume)
{
    if (!(volume >= 0.0f && volume <= 1.0f))
        return MIXER_ERR_INVALID_PARAM;
    gain = volume;
    mixer->applyGroupVolume(this);
    return MIXER_OK;
}

MixerResult MixGroup::volume(float* out) const
{
    if (!out)
        return MIXER_ERR_INVALID_PARAM;
    *out = gain;
    return MIXER_OK;
}
