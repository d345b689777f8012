#include "audio/AudioResource.h"

#include "audio/AudioClip.h"

#include <cstdio>

AudioResource::AudioResource(const char* path)
{
    std::string file = path ? path : "";
    file.erase(0, file.find_last_of('/') + 1);
    const std::string::size_type dot = file.find_last_of('.');
    soundName = file.substr(0, dot != std::string::npos && dot > 0 ? dot : file.size());
}

void AudioResource::checkResult(int result)
{
    if (result != 0)
        std::printf("FMOD error! (%d) %s\n", result, mixerResultText(result));
    std::fflush(stdout);
}

void AudioResource::reportLoad(int result, const AudioClip* clip, const char* path)
{
    checkResult(result);
    if (result != 0)
        std::printf("Sound not loaded: %s\n", path ? path : "(no path)");
    else if (clip && clip->cutShort())
        std::printf("Sound cut short: %s\n", path);
    std::fflush(stdout);
}
