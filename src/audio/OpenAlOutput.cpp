#include "audio/OpenAlOutput.h"

#include <AL/al.h>
#include <AL/alext.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void quietOpenAlLog()
{
    // Keeps a developer's own setting, so ALSOFT_LOGLEVEL=3 still shows what OpenAL does.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
}

ALCenum channelLayout(MixerSpeakerMode mode)
{
    switch (mode) {
    case MIXER_SPEAKERS_MONO:
        return ALC_MONO_SOFT;
    case MIXER_SPEAKERS_STEREO:
        return ALC_STEREO_SOFT;
    case MIXER_SPEAKERS_QUAD:
        return ALC_QUAD_SOFT;
    case MIXER_SPEAKERS_5POINT1:
        return ALC_5POINT1_SOFT;
    case MIXER_SPEAKERS_7POINT1:
        return ALC_7POINT1_SOFT;
    }
    return 0;
}

int channelCountOf(MixerSpeakerMode mode)
{
    switch (mode) {
    case MIXER_SPEAKERS_MONO:
        return 1;
    case MIXER_SPEAKERS_STEREO:
        return 2;
    case MIXER_SPEAKERS_QUAD:
        return 4;
    case MIXER_SPEAKERS_5POINT1:
        return 6;
    case MIXER_SPEAKERS_7POINT1:
        return 8;
    }
    return 2;
}

} // namespace

ALCdevice* OpenAlOutput::openDefaultDevice()
{
    quietOpenAlLog();
    QuietStderr quiet;
    return alcOpenDevice(nullptr);
}

int OpenAlOutput::listedDeviceCount()
{
    quietOpenAlLog();
    QuietStderr quiet;
    const char* names = nullptr;
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT"))
        names = alcGetString(nullptr, ALC_ALL_DEVICES_SPECIFIER);
    else
        names = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
    int count = 0;
    for (const char* name = names; name && *name; name += std::strlen(name) + 1)
        ++count;
    return count;
}

MixerResult OpenAlOutput::startDevice(ALCdevice* opened, int blockFrames, int sources)
{
    close();
    device = opened;
    loopback = false;
    ALCint frequency = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &frequency);
    sampleRate = frequency > 0 ? frequency : 44100;
    channelCount = 2;
    std::vector<ALCint> attributes = {ALC_MONO_SOURCES, sources, ALC_STEREO_SOURCES, sources};
    if (blockFrames > 0) {
        attributes.push_back(ALC_REFRESH);
        attributes.push_back(sampleRate / blockFrames > 0 ? sampleRate / blockFrames : 1);
    }
    return createContext(attributes);
}

MixerResult OpenAlOutput::startLoopback(int rate, MixerSpeakerMode mode, int sources)
{
    close();
    quietOpenAlLog();
    auto openLoopback =
        reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto formatSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") || !openLoopback || !formatSupported)
        return MIXER_ERR_OUTPUT;
    device = openLoopback(nullptr);
    if (!device)
        return MIXER_ERR_OUTPUT;
    loopback = true;
    sampleRate = rate;
    channelCount = channelCountOf(mode);
    ALCenum layout = channelLayout(mode);
    if (!layout || !formatSupported(device, rate, layout, ALC_FLOAT_SOFT)) {
        close();
        return MIXER_ERR_SPEAKER_MODE;
    }
    return createContext({ALC_FORMAT_CHANNELS_SOFT, ALCint(layout), ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT, ALC_FREQUENCY,
                          rate, ALC_MONO_SOURCES, sources, ALC_STEREO_SOURCES, sources});
}

MixerResult OpenAlOutput::createContext(const std::vector<ALCint>& attributes)
{
    std::vector<ALCint> list = attributes;
    list.push_back(0);
    context = alcCreateContext(device, list.data());
    if (!context || !alcMakeContextCurrent(context)) {
        close();
        return MIXER_ERR_BACKEND;
    }
    return MIXER_OK;
}

void OpenAlOutput::close()
{
    if (context) {
        if (alcGetCurrentContext() == context)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
        context = nullptr;
    }
    if (device) {
        alcCloseDevice(device);
        device = nullptr;
    }
    loopback = false;
}

void OpenAlOutput::render(int frames)
{
    if (!loopback || !device || frames <= 0)
        return;
    static auto renderSamples =
        reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!renderSamples)
        return;
    block.resize(size_t(frames) * channelCount);
    renderSamples(device, block.data(), frames);
    if (tap)
        tap(block.data(), frames, channelCount);
}

void OpenAlOutput::makeCurrent() const
{
    if (context && alcGetCurrentContext() != context)
        alcMakeContextCurrent(context);
}
