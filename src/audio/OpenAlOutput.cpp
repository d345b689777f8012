#include "audio/OpenAlOutput.h"

#include <AL/alext.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

template <typename Function>
Function extension(const char* name)
{
    return reinterpret_cast<Function>(alcGetProcAddress(nullptr, name));
}

} // namespace

OpenAlOutput::OpenAlOutput(ALCdevice* opened, bool isLoopback, int rate, const ALCint* attributes)
    : device(opened), loopback(isLoopback), sampleRate(rate)
{
    context = device ? alcCreateContext(device, attributes) : nullptr;
    if (!context)
        close();
}

OpenAlOutput& OpenAlOutput::operator=(OpenAlOutput&& other) noexcept
{
    if (this != &other) {
        close();
        device = std::exchange(other.device, nullptr);
        context = std::exchange(other.context, nullptr);
        loopback = std::exchange(other.loopback, false);
        sampleRate = other.sampleRate;
    }
    return *this;
}

ALCdevice* OpenAlOutput::openDefaultDevice()
{
    // Keeps a developer's own setting, so ALSOFT_LOGLEVEL=3 still shows what OpenAL does.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    // ALSA prints its own lines to standard error when it finds no card, whatever OpenAL's log
    // level says: while the device opens, standard error goes to /dev/null.
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int sink = ::open("/dev/null", O_WRONLY);
    if (saved >= 0 && sink >= 0)
        dup2(sink, STDERR_FILENO);
    ALCdevice* opened = alcOpenDevice(nullptr);
    if (saved >= 0 && sink >= 0)
        dup2(saved, STDERR_FILENO);
    for (int fd : {saved, sink})
        if (fd >= 0)
            ::close(fd);
    return opened;
}

OpenAlOutput OpenAlOutput::onDevice(ALCdevice* opened, int sources)
{
    ALCint rate = 0;
    if (opened)
        alcGetIntegerv(opened, ALC_FREQUENCY, 1, &rate);
    // No effect sends: the mixer plays every voice dry, and OpenAL keeps each send's filters
    // for every one of its voices.
    const ALCint attributes[] = {ALC_MONO_SOURCES, sources, ALC_STEREO_SOURCES, sources, ALC_MAX_AUXILIARY_SENDS, 0, 0};
    return OpenAlOutput(opened, false, rate > 0 ? rate : 44100, attributes);
}

OpenAlOutput OpenAlOutput::onLoopback(int rate, int sources)
{
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    auto openLoopback = extension<LPALCLOOPBACKOPENDEVICESOFT>("alcLoopbackOpenDeviceSOFT");
    const bool present = alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") && openLoopback;
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 rate,
                                 ALC_MONO_SOURCES,
                                 sources,
                                 ALC_STEREO_SOURCES,
                                 sources,
                                 ALC_MAX_AUXILIARY_SENDS,
                                 0,
                                 0};
    return OpenAlOutput(present ? openLoopback(nullptr) : nullptr, true, rate, attributes);
}

bool OpenAlOutput::connected() const
{
    ALCint connected = ALC_TRUE;
    if (alcIsExtensionPresent(device, "ALC_EXT_disconnect"))
        alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
    return connected == ALC_TRUE;
}

std::string OpenAlOutput::name() const
{
    const bool full = alcIsExtensionPresent(device, "ALC_ENUMERATE_ALL_EXT");
    const char* text = alcGetString(device, full ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER);
    return text && *text ? text : "the default sound device";
}

void OpenAlOutput::render(float* samples, int frames) const
{
    static auto renderSamples = extension<LPALCRENDERSAMPLESSOFT>("alcRenderSamplesSOFT");
    if (loopback && context && renderSamples)
        renderSamples(device, samples, frames);
}

void OpenAlOutput::makeCurrent() const
{
    if (context && alcGetCurrentContext() != context)
        alcMakeContextCurrent(context);
}

void OpenAlOutput::close()
{
    if (context && alcGetCurrentContext() == context)
        alcMakeContextCurrent(nullptr);
    if (context)
        alcDestroyContext(context);
    if (device)
        alcCloseDevice(device);
    device = nullptr;
    context = nullptr;
    loopback = false;
}
