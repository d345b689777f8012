#include "audio/Voice.h"

#include "audio/Mixer.h"

#include <algorithm>

// Every call goes through Mixer::find and Mixer::resolve, which compare serials and
// generations, so a handle outliving its sound or its mixer never reaches freed state.

VoiceSlot* Voice::live(Mixer** owner) const
{
    Mixer* mixer = Mixer::find(mixerSerial);
    if (owner)
        *owner = mixer;
    return mixer ? mixer->resolve(*this) : nullptr;
}

bool Voice::isAlive() const
{
    return live() != nullptr;
}

Follower* Voice::waiting(Mixer** owner) const
{
    Mixer* mixer = Mixer::find(mixerSerial);
    if (owner)
        *owner = mixer;
    return mixer ? mixer->resolveFollower(*this) : nullptr;
}

MixerResult Voice::stop()
{
    Mixer* mixer = nullptr;
    if (waiting(&mixer)) {
        mixer->cancelFollower(*this);
        return MIXER_OK;
    }
    VoiceSlot* slot = live();
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    slot->end();
    return MIXER_OK;
}

MixerResult Voice::setGroup(MixGroup* group)
{
    Mixer* mixer = nullptr;
    VoiceSlot* slot = live(&mixer);
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    if (group) {
        auto& groups = mixer->groups;
        bool owned = std::any_of(groups.begin(), groups.end(),
                                 [group](const std::unique_ptr<MixGroup>& g) { return g.get() == group; });
        if (!owned)
            return MIXER_ERR_INVALID_PARAM;
    }
    slot->setGroup(group);
    return MIXER_OK;
}

MixerResult Voice::group(MixGroup** out) const
{
    VoiceSlot* slot = live();
    if (!out)
        return MIXER_ERR_INVALID_PARAM;
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    *out = slot->group;
    return MIXER_OK;
}

MixerResult Voice::setLoopCount(int count)
{
    if (Follower* follower = waiting()) {
        follower->loopCount = count < -1 ? -1 : count;
        return MIXER_OK;
    }
    VoiceSlot* slot = live();
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    slot->setLoopCount(count);
    return MIXER_OK;
}

MixerResult Voice::loopCount(int* out) const
{
    VoiceSlot* slot = live();
    if (!out)
        return MIXER_ERR_INVALID_PARAM;
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    *out = slot->loopCount;
    return MIXER_OK;
}

MixerResult Voice::setLoopMode(MixerLoopMode mode)
{
    VoiceSlot* slot = live();
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    if (mode != MIXER_LOOP_OFF && mode != MIXER_LOOP_ON)
        return MIXER_ERR_INVALID_PARAM;
    slot->setLoopMode(mode);
    return MIXER_OK;
}

namespace {

// Converts between the clip's frames and the unit asked for; false for an unknown unit.
bool toFrames(const AudioClip& clip, unsigned position, MixerTimeUnit unit, long long* frames)
{
    switch (unit) {
    case MIXER_UNIT_MS:
        *frames = (long long)position * clip.sampleRate() / 1000;
        return true;
    case MIXER_UNIT_FRAMES:
        *frames = position;
        return true;
    case MIXER_UNIT_BYTES:
        *frames = position / (clip.channels() * 2);
        return true;
    }
    return false;
}

bool fromFrames(const AudioClip& clip, long long frames, MixerTimeUnit unit, unsigned* position)
{
    switch (unit) {
    case MIXER_UNIT_MS:
        *position = unsigned(frames * 1000 / clip.sampleRate());
        return true;
    case MIXER_UNIT_FRAMES:
        *position = unsigned(frames);
        return true;
    case MIXER_UNIT_BYTES:
        *position = unsigned(frames * clip.channels() * 2);
        return true;
    }
    return false;
}

} // namespace

MixerResult Voice::setPosition(unsigned position, MixerTimeUnit unit)
{
    VoiceSlot* slot = live();
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    long long frame = 0;
    if (!toFrames(*slot->clip, position, unit, &frame) || frame >= slot->clip->frames())
        return MIXER_ERR_INVALID_PARAM;
    slot->setPosition(frame);
    return MIXER_OK;
}

MixerResult Voice::position(unsigned* out, MixerTimeUnit unit) const
{
    VoiceSlot* slot = live();
    if (!out)
        return MIXER_ERR_INVALID_PARAM;
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    if (!fromFrames(*slot->clip, slot->positionFrames(), unit, out))
        return MIXER_ERR_INVALID_PARAM;
    return MIXER_OK;
}

MixerResult Voice::setPaused(bool pause)
{
    VoiceSlot* slot = live();
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    slot->setPaused(pause);
    return MIXER_OK;
}

MixerResult Voice::paused(bool* out) const
{
    VoiceSlot* slot = live();
    if (!out)
        return MIXER_ERR_INVALID_PARAM;
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    *out = slot->paused;
    return MIXER_OK;
}

MixerResult Voice::setEndCallback(VoiceEndCallback callback)
{
    if (Follower* follower = waiting()) {
        follower->onEnd = std::move(callback);
        return MIXER_OK;
    }
    VoiceSlot* slot = live();
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    slot->onEnd = std::move(callback);
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
