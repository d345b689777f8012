#include "audio/SoundEffect.h"

#include "audio/Mixer.h"
#include "audio/SoundSystem.h"
#include "core/Trace.h"

SoundEffect::SoundEffect(Mixer* mixer, const char* path, MixGroup* group)
    : AudioResource(path), mixer(mixer), group(group)
{
    if (!mixer)
        return;
    MixerResult result = mixer->createSample(path, &sample);
    SoundSystem::checkResult(result);
    if (result != MIXER_OK)
        SoundSystem::reportUnloaded(path);
    else if (sample && sample->cutShort())
        SoundSystem::reportCutShort(path);
}

void SoundEffect::play()
{
    if (!sample)
        return;
    MixerResult result = mixer->play(sample, true, &lastChannel);
    SoundSystem::checkResult(result);
    if (group)
        lastChannel.setGroup(group);
    lastChannel.setPaused(false);
    if (result == MIXER_OK)
        traceEvent("sound", name());
}

void SoundEffect::release()
{
    if (!sample)
        return;
    mixer->releaseClip(sample);
    sample = nullptr;
}
