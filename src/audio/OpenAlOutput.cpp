#include "audio/OpenAlOutput.h"

#include <AL/alext.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// ALSA prints its own lines to standard error when it finds no sound card, whatever OpenAL's
// log level says. While a device is opened standard error goes to /dev/null.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        int sink = ::open("/dev/null", O_WRONLY);
        if (saved >= 0 && sink >= 0)
            dup2(sink, STDERR_FILENO);
        if (sink >= 0)
            ::close(sink);
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (saved >= 0) {
            dup2(saved, STDERR_FILENO);
            ::close(saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved = -1;
};

template <typename Function>
Function extension(const char* name)
{
    return reinterpret_cast<Function>(alcGetProcAddress(nullptr, name));
}

} // namespace

OpenAlOutput& OpenAlOutput::operator=(OpenAlOutput&& other) noexcept
{
    if (this != &other) {
        close();
        device = std::exchange(other.device, nullptr);
        context = std::exchange(other.context, nullptr);
        loopback = other.loopback;
        sampleRate = other.sampleRate;
    }
    return *this;
}

ALCdevice* OpenAlOutput::openDefaultDevice()
{
    // Keeps a developer's own setting, so ALSOFT_LOGLEVEL=3 still shows what OpenAL does.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    QuietStderr quiet;
    return alcOpenDevice(nullptr);
}

OpenAlOutput OpenAlOutput::onDevice(ALCdevice* opened, int sources)
{
    OpenAlOutput output;
    output.device = opened;
    if (!opened)
        return output;
    ALCint frequency = 0;
    alcGetIntegerv(opened, ALC_FREQUENCY, 1, &frequency);
    output.sampleRate = frequency > 0 ? frequency : 44100;
    const ALCint attributes[] = {ALC_MONO_SOURCES, sources, ALC_STEREO_SOURCES, sources, 0};
    output.createContext(attributes);
    return output;
}

OpenAlOutput OpenAlOutput::onLoopback(int rate, int sources)
{
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    OpenAlOutput output;
    auto openLoopback = extension<LPALCLOOPBACKOPENDEVICESOFT>("alcLoopbackOpenDeviceSOFT");
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") || !openLoopback)
        return output;
    output.device = openLoopback(nullptr);
    output.loopback = true;
    output.sampleRate = rate;
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
                                 0};
    if (output.device)
        output.createContext(attributes);
    return output;
}

bool OpenAlOutput::createContext(const ALCint* attributes)
{
    context = alcCreateContext(device, attributes);
    if (!context)
        close();
    return context != nullptr;
}

bool OpenAlOutput::connected() const
{
    ALCint connected = ALC_TRUE;
    if (device && alcIsExtensionPresent(device, "ALC_EXT_disconnect"))
        alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
    return connected == ALC_TRUE;
}

std::string OpenAlOutput::name() const
{
    const bool full = alcIsExtensionPresent(device, "ALC_ENUMERATE_ALL_EXT");
    const char* text = device ? alcGetString(device, full ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER) : nullptr;
    return text && *text ? text : "the default sound device";
}

void OpenAlOutput::render(float* samples, int frames) const
{
    static auto renderSamples = extension<LPALCRENDERSAMPLESSOFT>("alcRenderSamplesSOFT");
    if (loopback && device && renderSamples && frames > 0)
        renderSamples(device, samples, frames);
}

void OpenAlOutput::makeCurrent() const
{
    if (context && alcGetCurrentContext() != context)
        alcMakeContextCurrent(context);
}

void OpenAlOutput::close()
{
    if (context) {
        if (alcGetCurrentContext() == context)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
        context = nullptr;
    }
    if (device)
        alcCloseDevice(device);
    device = nullptr;
    loopback = false;
}
