#pragma once
// A handle to one playing sound, or to a stream queued to follow one (Mixer::playAfter). It
// shares its voice's slot, never the mixer: once the sound has ended, been stopped or given its
// voice to another sound, or the mixer has gone, every call returns MIXER_ERR_INVALID_HANDLE and
// does nothing. A default-constructed handle refers to nothing.

#include "audio/MixerResult.h"
#include "audio/VoiceSlot.h"

#include <memory>
#include <type_traits>

class Voice {
public:
    Voice() = default;

    // True for a handle that never referred to a voice.
    bool isNull() const { return !slot; }
    // True while the voice plays or is paused; false once it has ended, stopped or been reused.
    bool isAlive() const { return live(); }

    MixerResult stop()
    {
        return act([](VoiceSlot& s) { s.end(); }, [](VoiceSlot& s) { s.cancelFollower(); });
    }
    MixerResult setGroup(MixGroup* group)
    {
        return act([group](VoiceSlot& s) { s.setGroup(group); });
    }
    // Streams: -1 loops forever, 0 plays the current pass to its end, n plays n more passes.
    MixerResult setLoopCount(int count)
    {
        return act([count](VoiceSlot& s) { s.setLoopCount(count); },
                   [count](VoiceSlot& s) { s.follower.loopCount = count < -1 ? -1 : count; });
    }
    MixerResult setLoopMode(MixerLoopMode mode)
    {
        return act([mode](VoiceSlot& s) { s.setLooping(mode == MIXER_LOOP_ON); });
    }
    MixerResult setPosition(unsigned ms)
    {
        return act([ms](VoiceSlot& s) { s.setPosition(ms); });
    }
    MixerResult position(unsigned* ms) const
    {
        return act([ms](VoiceSlot& s) { *ms = s.position(); });
    }
    MixerResult setPaused(bool pause)
    {
        return act([pause](VoiceSlot& s) { s.setPaused(pause); });
    }
    MixerResult paused(bool* out) const
    {
        return act([out](VoiceSlot& s) { *out = s.paused; });
    }
    MixerResult setEndCallback(VoiceEndCallback callback)
    {
        return act([&](VoiceSlot& s) { s.onEnd = std::move(callback); },
                   [&](VoiceSlot& s) { s.follower.onEnd = std::move(callback); });
    }
    // Only for a handle from Mixer::playAfter that still waits: called when it starts.
    MixerResult setStartCallback(std::function<void()> callback)
    {
        return act(nullptr, [&](VoiceSlot& s) { s.follower.onStart = std::move(callback); });
    }

    bool operator==(const Voice& other) const { return slot == other.slot && generation == other.generation; }
    bool operator!=(const Voice& other) const { return !(*this == other); }

private:
    friend class Mixer;
    Voice(std::shared_ptr<VoiceSlot> slot, std::uint32_t generation) : slot(std::move(slot)), generation(generation) {}
    // The slot while this handle's sound plays on it, or null.
    VoiceSlot* live() const { return slot && slot->inUse && slot->generation == generation ? slot.get() : nullptr; }
    // A follower's handle is promised the generation its voice takes when it starts.
    bool waits() const { return slot && slot->inUse && slot->follower.clip && slot->generation + 1 == generation; }
    // Runs onPlaying while this handle's sound plays, onWaiting while it waits to follow.
    template <typename OnPlaying, typename OnWaiting = std::nullptr_t>
    MixerResult act(OnPlaying onPlaying, OnWaiting onWaiting = nullptr) const
    {
        if constexpr (!std::is_null_pointer_v<OnPlaying>) {
            if (live()) {
                onPlaying(*slot);
                return MIXER_OK;
            }
        }
        if constexpr (!std::is_null_pointer_v<OnWaiting>) {
            if (waits()) {
                onWaiting(*slot);
                return MIXER_OK;
            }
        }
        return MIXER_ERR_INVALID_HANDLE;
    }

    std::shared_ptr<VoiceSlot> slot;
    std::uint32_t generation = 0;
};
