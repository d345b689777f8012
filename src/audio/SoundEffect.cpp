#include "audio/SoundEffect.h"

#include "audio/Mixer.h"
#include "core/Trace.h"

SoundEffect::SoundEffect(Mixer* mixer, const char* path, MixGroup* group)
    : AudioResource(path), mixer(mixer), group(group)
{
    const MixerResult result = mixer->createSample(path, &sample);
    reportLoad(result, sample, path);
}

void SoundEffect::play()
{
    if (!sample)
        return;
    MixerResult result = mixer->play(sample, true, &lastChannel);
    checkResult(result);
    lastChannel.setGroup(group);
    lastChannel.setPaused(false);
    if (result == MIXER_OK)
        traceEvent("sound", name());
}

void SoundEffect::release()
{
    if (sample)
        mixer->releaseClip(sample);
    sample = nullptr;
}
