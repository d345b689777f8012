#pragma once
// A handle to one playing sound, or to a stream queued to follow one (Mixer::playAfter). It
// holds its voice's slot, never the mixer: once the sound has ended, been stopped or given its
// voice to another sound, or the mixer has gone, every call returns MIXER_ERR_INVALID_HANDLE and
// does nothing. A default-constructed handle refers to nothing.

#include "audio/MixerResult.h"

#include <cstdint>
#include <functional>
#include <memory>

class MixGroup;
class Voice;
class VoiceSlot;
struct Follower;

// Called from Mixer::update on the main thread when a voice's sound ends by itself (not when it
// is stopped or taken for another sound). The voice passed in has already ended.
using VoiceEndCallback = std::function<void(Voice ended)>;

class Voice {
public:
    Voice() = default;

    // True for a handle that never referred to a voice.
    bool isNull() const { return !slot; }
    // True while the voice plays or is paused; false once it has ended, stopped or been reused.
    bool isAlive() const { return live() != nullptr; }

    MixerResult stop();
    MixerResult setGroup(MixGroup* group);
    // Streams: -1 loops forever, 0 plays the current pass to its end, n plays n more passes.
    MixerResult setLoopCount(int count);
    MixerResult loopCount(int* out) const;
    MixerResult setLoopMode(MixerLoopMode mode);
    MixerResult setPosition(unsigned milliseconds);
    MixerResult position(unsigned* milliseconds) const;
    MixerResult setPaused(bool paused);
    MixerResult paused(bool* out) const;
    MixerResult setEndCallback(VoiceEndCallback callback);
    // Only for a handle from Mixer::playAfter that still waits: called when it starts.
    MixerResult setStartCallback(std::function<void()> callback);

    bool operator==(const Voice& other) const { return slot == other.slot && generation == other.generation; }
    bool operator!=(const Voice& other) const { return !(*this == other); }

private:
    friend class Mixer;
    Voice(std::shared_ptr<VoiceSlot> slot, std::uint32_t generation) : slot(std::move(slot)), generation(generation) {}
    // The slot while this handle's sound plays on it, or null.
    VoiceSlot* live() const;
    // The follower this handle stands for until it starts, or null.
    Follower* waiting() const;

    std::shared_ptr<VoiceSlot> slot;
    std::uint32_t generation = 0;
};
