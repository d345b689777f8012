#include "audio/AudioResource.h"

AudioResource::AudioResource(const char* path)
{
    std::string file = path ? path : "";
    std::string::size_type slash = file.find_last_of('/');
    if (slash != std::string::npos)
        file.erase(0, slash + 1);
    std::string::size_type dot = file.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        file.erase(dot);
    soundName = file;
}
