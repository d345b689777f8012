#pragma once
// A sound the SoundSystem created and owns: a streamed Song or a SoundEffect held in memory.

class AudioResource {
public:
    virtual ~AudioResource() = default;
    // Frees the decoded sound; the object itself lives on, so late calls stay harmless.
    virtual void release() = 0;
};
