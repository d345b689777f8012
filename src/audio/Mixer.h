#pragma once
// The game's sound layer: OpenAL Soft mixes and plays, libsndfile decodes. One mixer owns the
// output, a pool of voice slots, the clips it opened and its groups. Everything runs on the main
// thread, end callbacks too, from update.
//
// Without a sound device the mix is rendered on OpenAL Soft's loopback device in step with the
// wall clock (clockNow), so sounds still take their time, end and call back as through a
// speaker. A device that goes away (unplugged, or its sound server restarted) gives way to the
// loopback at once; the default device is then looked for every second, on a thread of its own
// so that no frame waits, and once one opens every sound moves onto it from where it had got to.

#include "audio/AudioClip.h"
#include "audio/MixGroup.h"
#include "audio/OpenAlOutput.h"
#include "audio/Voice.h"

#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Sees every block the loopback renders: interleaved float samples, frames x channels.
using MixerTap = std::function<void(const float* samples, int frames, int channels)>;

class Mixer {
public:
    static constexpr int loopbackRate = 44100;         // Hz
    static constexpr int mixBlockFrames = 1024;        // frames per loopback render step
    static constexpr double loopDecisionSeconds = 0.2; // s before a stream pass ends, at least
    static constexpr double maxDecisionSeconds = 1.0;  // s, at most (the queue holds about 1.5 s)
    static constexpr double maxCatchUpSeconds = 10.0;  // s of loopback rendered in one update
    static constexpr double searchSeconds = 1.0;       // s between two looks for a lost device

    // What became of the device since the last look.
    enum class DeviceNews { NONE, LOST, BACK };

    Mixer() = default;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;
    virtual ~Mixer() { release(); }

    MixerResult version(unsigned* out) const { return *out = MIXER_VERSION, MIXER_OK; }
    // 1 when the default playback device opens (it is kept for init), 0 when none does.
    // Virtual, as init is, so a test can play as without a card, or have no output at all.
    virtual MixerResult driverCount(int* out);
    MixerResult setOutput(MixerOutput output)
    {
        return started ? MIXER_ERR_ALREADY_STARTED : (requested = output, MIXER_OK);
    }
    virtual MixerResult init(int maxVoices);
    // Refills streams, renders the loopback up to the wall clock, calls end callbacks and looks
    // after the device.
    MixerResult update();
    // Stops every voice (without callbacks), frees clips, groups and the output.
    MixerResult release();

    // Chunk size of streams opened afterwards, in bytes of decoded audio.
    MixerResult setStreamBufferSize(unsigned bytes) { return streamChunkBytes = bytes, MIXER_OK; }
    MixerResult createStream(const char* path, AudioClip** out) { return openClip(path, true, out); }
    MixerResult createSample(const char* path, AudioClip** out) { return openClip(path, false, out); }
    // Ends every voice that plays, reads or waits to follow with the clip, then frees it.
    MixerResult releaseClip(AudioClip* clip);
    // Plays on a free voice; when all are busy the longest-playing sample is taken over, a
    // stream only when every voice plays one. A stream still playing elsewhere stops there.
    MixerResult play(AudioClip* clip, bool paused, Voice* out);
    // Queues a stream to start on the sample after the stream playing on previous ends, on the
    // same source, so the join has no gap whatever the frame rate. The new handle is not alive
    // until then; its loop count, callbacks and stop work already. Another format (channels,
    // rate) gives MIXER_ERR_FORMAT: play it from previous's end callback instead.
    MixerResult playAfter(AudioClip* clip, const Voice& previous, MixGroup* group, int loopCount, Voice* out);
    MixerResult createGroup(MixGroup** out);
    // Gives every playing voice its group's volume now; update does it too, a frame later.
    void applyVolumes();

    // Each loss and each return is told once.
    DeviceNews takeDeviceNews() { return std::exchange(news, DeviceNews::NONE); }
    const std::string& deviceName() const { return device; }
    int voicesPlaying() const;
    bool isStarted() const { return started; }
    bool onLoopback() const { return out.isLoopback(); }
    int outputRate() const { return out.rate(); }
    // Loopback only: sees every rendered block, for tests and tools that measure the mix.
    void setTap(MixerTap newTap) { tap = std::move(newTap); }

private:
    MixerResult openClip(const char* path, bool stream, AudioClip** out);
    bool owns(const AudioClip* clip) const;
    void endVoicesUsing(const AudioClip* clip, const VoiceSlot* except = nullptr);
    void watchDevice();
    void moveTo(OpenAlOutput next);
    void renderLoopback();
    void serviceVoices();

    bool started = false;
    bool inUpdate = false;
    MixerOutput requested = MIXER_OUTPUT_AUTO;
    ALCdevice* probed = nullptr;
    unsigned streamChunkBytes = 16384;
    OpenAlOutput out;
    std::vector<std::shared_ptr<VoiceSlot>> voices;
    std::vector<std::unique_ptr<AudioClip>> clips;
    std::vector<std::unique_ptr<MixGroup>> groups;
    std::uint64_t playSerial = 0;

    double lastUpdateAt = 0.0;
    double updateGap = 0.0; // s, the longest recent time between two updates
    double decisionSeconds = loopDecisionSeconds;
    double clockAnchor = 0.0;
    long long renderedFrames = 0;
    std::vector<float> block;
    MixerTap tap;

    bool deviceWanted = false; // started on a device, so a lost one is looked for
    std::future<OpenAlOutput> search;
    double nextSearchAt = 0.0;
    DeviceNews news = DeviceNews::NONE;
    std::string device;
};

// Makes a new mixer (the one a factory installed, for tests) into *out.
MixerResult createMixer(Mixer** out);
// nullptr restores the plain Mixer.
void setMixerFactory(Mixer* (*factory)());
