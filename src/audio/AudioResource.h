#pragma once
// A sound the SoundSystem created and owns: a streamed Song or a SoundEffect held in memory.

#include <string>

class AudioResource {
public:
    virtual ~AudioResource() = default;
    // Frees the decoded sound; the object itself lives on, so late calls stay harmless.
    virtual void release() = 0;

    // The file's name without its folder and extension ("grunt"), as the trace names sounds.
    const std::string& name() const { return soundName; }

protected:
    explicit AudioResource(const char* path);

private:
    std::string soundName;
};
