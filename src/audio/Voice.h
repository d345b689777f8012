#pragma once
// A handle to one playing sound, or to a stream queued to follow one (Mixer::playAfter). It stays safe to use after the sound has ended or its voice
// has been given to another sound: every call then returns MIXER_ERR_INVALID_HANDLE and does
// nothing. A default-constructed handle refers to nothing.

#include "audio/MixerResult.h"
#include "audio/MixerTypes.h"

#include <cstdint>
#include <functional>

struct Follower;
class MixGroup;
class Mixer;
class Voice;
class VoiceSlot;

// Called from Mixer::update on the main thread when a voice's sound ends by itself (not when it
// is stopped or taken for another sound). The voice passed in has already ended.
using VoiceEndCallback = std::function<void(Voice ended)>;

class Voice {
public:
    Voice() = default;

    // True for a handle that never referred to a voice.
    bool isNull() const { return mixerSerial == 0; }
    // True while the voice plays or is paused; false once it has ended, stopped or been reused.
    bool isAlive() const;

    MixerResult stop();
    MixerResult setGroup(MixGroup* group);
    MixerResult group(MixGroup** out) const;
    // -1 loops forever, 0 plays the current pass to its end, n plays n more passes.
    MixerResult setLoopCount(int count);
    MixerResult loopCount(int* out) const;
    MixerResult setLoopMode(MixerLoopMode mode);
    MixerResult setPosition(unsigned position, MixerTimeUnit unit);
    MixerResult position(unsigned* out, MixerTimeUnit unit) const;
    MixerResult setPaused(bool paused);
    MixerResult paused(bool* out) const;
    MixerResult setEndCallback(VoiceEndCallback callback);
    // Only for a handle from Mixer::playAfter that still waits: called when it starts.
    MixerResult setStartCallback(std::function<void()> callback);

    bool operator==(const Voice& other) const
    {
        return mixerSerial == other.mixerSerial && slot == other.slot && generation == other.generation;
    }
    bool operator!=(const Voice& other) const { return !(*this == other); }

private:
    friend class Mixer;
    Voice(std::uint32_t mixerSerial, int slot, std::uint32_t generation)
        : mixerSerial(mixerSerial), slot(slot), generation(generation)
    {}
    // The slot this handle still refers to, or null.
    VoiceSlot* live(Mixer** owner = nullptr) const;
    // The queued follower this handle stands for until it starts, or null.
    Follower* waiting(Mixer** owner = nullptr) const;

    std::uint32_t mixerSerial = 0;
    int slot = -1;
    std::uint32_t generation = 0;
};
