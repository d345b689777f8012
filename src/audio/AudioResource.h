#pragma once
// A sound the SoundSystem created and owns: a streamed Song or a SoundEffect held in memory.
// It also holds the console lines that every sound shares.

#include <string>

class AudioClip;

class AudioResource {
public:
    virtual ~AudioResource() = default;
    // Frees the decoded sound; the object itself lives on, so late calls stay harmless.
    virtual void release() = 0;

    // The file's name without its folder and extension ("grunt"), as the trace names sounds.
    const std::string& name() const { return soundName; }

    // Prints "FMOD error! (<code>) <text>" for any code but 0, then carries on.
    static void checkResult(int result);

protected:
    explicit AudioResource(const char* path);
    // Reports a failed load, naming the file so the player knows which sound is missing, or a
    // file that holds less sound than its header says.
    static void reportLoad(int result, const AudioClip* clip, const char* path);

private:
    std::string soundName;
};
