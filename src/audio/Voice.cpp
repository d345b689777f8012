#include "audio/Voice.h"

#include "audio/AudioClip.h"
#include "audio/VoiceSlot.h"

VoiceSlot* Voice::live() const
{
    return slot && slot->inUse && slot->generation == generation ? slot.get() : nullptr;
}

Follower* Voice::waiting() const
{
    // A follower's handle is promised the generation its voice takes when it starts.
    bool waits = slot && slot->inUse && slot->follower.clip && slot->generation + 1 == generation;
    return waits ? &slot->follower : nullptr;
}

MixerResult Voice::stop()
{
    if (waiting()) {
        slot->cancelFollower();
        return MIXER_OK;
    }
    VoiceSlot* playing = live();
    if (!playing)
        return MIXER_ERR_INVALID_HANDLE;
    playing->end();
    return MIXER_OK;
}

MixerResult Voice::setGroup(MixGroup* group)
{
    VoiceSlot* playing = live();
    if (!playing)
        return MIXER_ERR_INVALID_HANDLE;
    playing->group = group;
    playing->applyGain();
    return MIXER_OK;
}

MixerResult Voice::setLoopCount(int count)
{
    if (Follower* follower = waiting()) {
        follower->loopCount = count < -1 ? -1 : count;
        return MIXER_OK;
    }
    VoiceSlot* playing = live();
    if (!playing)
        return MIXER_ERR_INVALID_HANDLE;
    playing->setLoopCount(count);
    return MIXER_OK;
}

MixerResult Voice::loopCount(int* out) const
{
    VoiceSlot* playing = live();
    if (!playing || !out)
        return playing ? MIXER_ERR_INVALID_PARAM : MIXER_ERR_INVALID_HANDLE;
    *out = playing->loopCount;
    return MIXER_OK;
}

MixerResult Voice::setLoopMode(MixerLoopMode mode)
{
    VoiceSlot* playing = live();
    if (!playing)
        return MIXER_ERR_INVALID_HANDLE;
    playing->looping = mode == MIXER_LOOP_ON;
    playing->setLoopCount(playing->loopCount);
    return MIXER_OK;
}

MixerResult Voice::setPosition(unsigned milliseconds)
{
    VoiceSlot* playing = live();
    if (!playing)
        return MIXER_ERR_INVALID_HANDLE;
    const long long frame = (long long)milliseconds * playing->clip->sampleRate() / 1000;
    if (frame >= playing->clip->frames())
        return MIXER_ERR_INVALID_PARAM;
    playing->setPosition(frame);
    return MIXER_OK;
}

MixerResult Voice::position(unsigned* milliseconds) const
{
    VoiceSlot* playing = live();
    if (!playing || !milliseconds)
        return playing ? MIXER_ERR_INVALID_PARAM : MIXER_ERR_INVALID_HANDLE;
    *milliseconds = unsigned(playing->positionFrames() * 1000 / playing->clip->sampleRate());
    return MIXER_OK;
}

MixerResult Voice::setPaused(bool pause)
{
    VoiceSlot* playing = live();
    if (!playing)
        return MIXER_ERR_INVALID_HANDLE;
    playing->setPaused(pause);
    return MIXER_OK;
}

MixerResult Voice::paused(bool* out) const
{
    VoiceSlot* playing = live();
    if (!playing || !out)
        return playing ? MIXER_ERR_INVALID_PARAM : MIXER_ERR_INVALID_HANDLE;
    *out = playing->paused;
    return MIXER_OK;
}

MixerResult Voice::setEndCallback(VoiceEndCallback callback)
{
    if (Follower* follower = waiting()) {
        follower->onEnd = std::move(callback);
        return MIXER_OK;
    }
    VoiceSlot* playing = live();
    if (!playing)
        return MIXER_ERR_INVALID_HANDLE;
    playing->onEnd = std::move(callback);
    return MIXER_OK;
}

MixerResult Voice::setStartCallback(std::function<void()> callback)
{
    Follower* follower = waiting();
    if (!follower)
        return MIXER_ERR_INVALID_HANDLE;
    follower->onStart = std::move(callback);
    return MIXER_OK;
}
