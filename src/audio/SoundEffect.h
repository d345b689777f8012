#pragma once
// A short sound decoded whole into memory, played on the effects group. Every play starts a
// new channel, so an effect played again overlaps the one still sounding.

#include "audio/AudioResource.h"
#include "audio/Voice.h"

class Mixer;

class SoundEffect : public AudioResource {
public:
    // A file that cannot be opened is reported here; the effect then plays nothing.
    SoundEffect(Mixer* mixer, const char* path, MixGroup* group);

    void play();
    void release() override;

    // The channel of the most recent play; earlier ones are not tracked.
    Voice channel() const { return lastChannel; }
    AudioClip* sound() const { return sample; }

private:
    Mixer* mixer;
    MixGroup* group;
    AudioClip* sample = nullptr;
    Voice lastChannel;
};
