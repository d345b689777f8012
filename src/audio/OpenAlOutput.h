#pragma once
// Where the mix goes: an OpenAL playback device, or OpenAL Soft's loopback device, which mixes
// only when asked and hands the samples back (nothing is heard). Always stereo.

#include <AL/alc.h>

#include <string>

class OpenAlOutput {
public:
    OpenAlOutput() = default;
    OpenAlOutput(OpenAlOutput&& other) noexcept { *this = static_cast<OpenAlOutput&&>(other); }
    OpenAlOutput& operator=(OpenAlOutput&& other) noexcept;
    ~OpenAlOutput() { close(); }

    // Opens the default playback device, keeping ALSA's and OpenAL's complaints off the console
    // when there is none. Null when no device opens. Safe on any thread.
    static ALCdevice* openDefaultDevice();
    // A context with room for sources on an opened device (taken over) or on the loopback;
    // closed when it cannot be made. Not current yet: makeCurrent does that, on the main thread.
    static OpenAlOutput onDevice(ALCdevice* device, int sources);
    static OpenAlOutput onLoopback(int rate, int sources);

    bool isOpen() const { return context != nullptr; }
    bool isLoopback() const { return loopback; }
    // False once a device has gone: unplugged, or its sound server stopped.
    bool connected() const;
    std::string name() const;
    int rate() const { return sampleRate; }
    // Loopback only: mixes frames of interleaved stereo into samples.
    void render(float* samples, int frames) const;
    void makeCurrent() const;
    void close();

private:
    OpenAlOutput(ALCdevice* device, bool loopback, int rate, const ALCint* attributes);

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool loopback = false;
    int sampleRate = 0;
};
