#pragma once
// The game's sound layer: OpenAL Soft mixes and plays, libsndfile decodes. One mixer owns the
// output, a pool of voices, the clips it opened and its groups. Everything runs on the main
// thread; end-of-sound callbacks are called from update.
//
// Start-up goes: version, driverCount, then either driverCaps/setSpeakerMode/setMixBufferSize
// or setOutput(MIXER_OUTPUT_LOOPBACK), then init. Without a sound device the mix is rendered on
// OpenAL Soft's loopback device in step with the wall clock (clockNow), so sounds still take
// their time, end and call back as they would through a speaker.

#include "audio/AudioClip.h"
#include "audio/MixGroup.h"
#include "audio/MixerResult.h"
#include "audio/MixerTypes.h"
#include "audio/OpenAlOutput.h"
#include "audio/Voice.h"
#include "audio/VoiceSlot.h"

#include <AL/alc.h>

#include <cstdint>
#include <memory>
#include <vector>

class Mixer {
public:
    static constexpr int loopbackRate = 44100;          // Hz
    static constexpr int defaultMixBufferFrames = 1024; // frames per loopback render step
    static constexpr double loopDecisionSeconds = 0.2;  // s before a stream pass ends, at least
    static constexpr double maxDecisionSeconds = 1.0;   // s, at most (the queue holds about 1.5 s)
    static constexpr double maxCatchUpSeconds = 10.0;   // s of loopback rendered in one update

    Mixer();
    virtual ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Start-up and shut-down; virtual so a test can watch or steer the order of calls.
    virtual MixerResult version(unsigned* out);
    virtual MixerResult driverCount(int* out);
    // Either pointer may be null for a value that is not wanted.
    virtual MixerResult driverCaps(int driver, unsigned* caps, MixerSpeakerMode* speakerMode);
    virtual MixerResult setOutput(MixerOutput output);
    virtual MixerResult setSpeakerMode(MixerSpeakerMode mode);
    // frames: mix block length; count: blocks the device keeps queued (a hint).
    virtual MixerResult setMixBufferSize(unsigned frames, int count);
    virtual MixerResult init(int maxVoices, unsigned flags);
    // Refills streams, renders the loopback up to the wall clock and calls end callbacks.
    virtual MixerResult update();
    // Stops every voice (without callbacks), frees clips, groups and the output.
    virtual MixerResult release();

    MixerResult output(MixerOutput* out) const;
    MixerResult speakerMode(MixerSpeakerMode* out) const;
    // Chunk size of streams opened afterwards, in bytes of decoded audio or milliseconds.
    MixerResult setStreamBufferSize(unsigned size, MixerTimeUnit unit);
    MixerResult createStream(const char* path, unsigned mode, AudioClip** out);
    MixerResult createSample(const char* path, unsigned mode, AudioClip** out);
    // Plays on a free voice; when all are busy the longest-playing sample is taken over, a
    // stream only when every voice plays one. A stream still playing elsewhere stops there.
    MixerResult play(AudioClip* clip, bool paused, Voice* out);
    // Queues a stream to start on the sample after the stream playing on previous ends, on the
    // same output, so the join has no gap whatever the frame rate. The new handle is not alive
    // until then; its loop count, end callback and stop work already. A different format
    // (channels, rate) gives MIXER_ERR_FORMAT: play it from previous's end callback instead.
    MixerResult playAfter(AudioClip* clip, const Voice& previous, MixGroup* group, int loopCount, Voice* out);
    MixerResult createGroup(MixGroup** out);
    MixerResult voicesPlaying(int* out) const;

    // Loopback only: sees every rendered block, for tests and tools that measure the mix.
    void setTap(MixerTap tap) { out.setTap(std::move(tap)); }
    bool isStarted() const { return started; }
    int outputRate() const { return out.rate(); }
    int outputChannels() const { return out.channels(); }

private:
    friend class Voice;
    friend class AudioClip;
    friend class MixGroup;

    // The live mixer with this serial, or null; handles hold serials, never pointers.
    static Mixer* find(std::uint32_t serial);
    VoiceSlot* resolve(const Voice& voice);
    // The follower a handle from playAfter stands for while it waits, or null.
    Follower* resolveFollower(const Voice& voice);
    void cancelFollower(const Voice& voice);
    void adaptMargin();
    MixerResult releaseClip(AudioClip* clip);
    void applyGroupVolume(MixGroup* group);
    MixerResult openClip(const char* path, unsigned mode, bool stream, AudioClip** result);
    void serviceVoices();
    void renderLoopback();

    std::uint32_t serial;
    bool started = false;
    bool inUpdate = false;
    MixerOutput requestedOutput = MIXER_OUTPUT_AUTO;
    MixerOutput actualOutput = MIXER_OUTPUT_AUTO;
    MixerSpeakerMode speakers = MIXER_SPEAKERS_STEREO;
    unsigned mixBufferFrames = defaultMixBufferFrames;
    bool mixBufferChosen = false; // otherwise a device keeps OpenAL Soft's own timing
    int mixBufferCount = 4;       // a hint only: OpenAL Soft 1.19 takes no period count from us
    unsigned streamBufferSize = 16384;
    MixerTimeUnit streamBufferUnit = MIXER_UNIT_BYTES;
    ALCdevice* probedDevice = nullptr;

    OpenAlOutput out;
    std::vector<VoiceSlot> voices;
    std::uint64_t playSerial = 0;
    std::vector<std::unique_ptr<AudioClip>> clips;
    std::vector<std::unique_ptr<MixGroup>> groups;
    double clockAnchor = 0.0;
    double lastUpdateAt = 0.0;
    double updateGap = 0.0; // s, the longest recent time between two updates
    long long renderedFrames = 0;
};

// Makes a new mixer (the one a factory installed, for tests) into *out.
MixerResult createMixer(Mixer** out);
using MixerFactory = Mixer* (*)();
// nullptr restores the plain Mixer.
void setMixerFactory(MixerFactory factory);
