#pragma once
// Where the mix goes: the default OpenAL playback device, or OpenAL Soft's loopback device,
// which mixes only when asked and hands the samples to whoever listens (nothing is heard).

#include "audio/MixerResult.h"
#include "audio/MixerTypes.h"

#include <AL/alc.h>

#include <functional>
#include <vector>

// Sees every block the loopback renders: interleaved float samples, frames x channels.
using MixerTap = std::function<void(const float* samples, int frames, int channels)>;

class OpenAlOutput {
public:
    OpenAlOutput() = default;
    ~OpenAlOutput() { close(); }
    OpenAlOutput(const OpenAlOutput&) = delete;
    OpenAlOutput& operator=(const OpenAlOutput&) = delete;

    // Opens the default playback device, keeping ALSA's and OpenAL's complaints off the console
    // when there is none. Returns null when no device can be opened.
    static ALCdevice* openDefaultDevice();
    // The number of playback devices OpenAL lists; only meaningful when one could be opened.
    static int listedDeviceCount();

    // Takes over an already open device. blockFrames: frames mixed per device update, 0 for
    // OpenAL Soft's default.
    MixerResult startDevice(ALCdevice* opened, int blockFrames, int sources);
    MixerResult startLoopback(int rate, MixerSpeakerMode mode, int sources);
    void close();

    bool isLoopback() const { return loopback; }
    int rate() const { return sampleRate; }
    int channels() const { return channelCount; }
    // Loopback only: mixes frames into the tap.
    void render(int frames);
    void setTap(MixerTap newTap) { tap = std::move(newTap); }
    void makeCurrent() const;

private:
    MixerResult createContext(const std::vector<ALCint>& attributes);

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool loopback = false;
    int sampleRate = 0;
    int channelCount = 2;
    std::vector<float> block;
    MixerTap tap;
};
