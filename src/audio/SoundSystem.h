#pragma once
// All of the game's sound: the mixer, the music and effects groups, and every Song and
// SoundEffect the game creates. One instance, made on first use and freed by destroy.

#include "audio/AudioResource.h"
#include "audio/MixerResult.h"

#include <vector>

class MixGroup;
class Mixer;
class Song;
class SoundEffect;

// Groups that setVolume knows; any other value changes nothing.
enum SoundGroup {
    MUSIC_GROUP = 1,
    EFFECTS_GROUP = 2,
};

class SoundSystem {
public:
    static constexpr unsigned requiredVersion = 0x44415; // oldest sound layer the game accepts
    static constexpr int maxChannels = 100;              // voices mixed at once

    // The sound system, created and started on the first call.
    static SoundSystem* instance();
    // Releases every resource in creation order and shuts the mixer down. The Song and
    // SoundEffect objects stay allocated until the process ends; playing them afterwards does
    // nothing.
    static void destroy(SoundSystem* system);

    // Ends the program with code -1, after saying why, when the sound layer is older than
    // requiredVersion.
    static void requireVersion(unsigned version);

    // Once per frame: refills streams, renders the no-sound output, calls end callbacks, and
    // says once when the sound device goes away and when one is back.
    void update();
    // volume is clamped to [0, 1]; group is MUSIC_GROUP or EFFECTS_GROUP. While muted it is
    // kept and heard on unmuting.
    void setVolume(float volume, int group);
    // Silences both groups without pausing anything: the music keeps its place and its chain,
    // and effects started meanwhile play unheard. Works without a sound output too.
    void setMuted(bool muted);
    bool isMuted() const { return muted; }

    // mode: the sound layer has only its default, 0.
    Song* createSong(const char* path, unsigned mode);
    SoundEffect* createSoundEffect(const char* path, unsigned mode);

    // Prints "FMOD error! (<code>) <text>" for any code but 0, then carries on.
    static void checkResult(int result) { AudioResource::checkResult(result); }

    Mixer* mixer() const { return system; }
    MixGroup* musicGroup() const { return music; }
    MixGroup* effectsGroup() const { return effects; }
    const std::vector<AudioResource*>& resources() const { return created; }

private:
    SoundSystem();
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    void shutdown();
    void applyVolumes();
    void reportDevice();

    Mixer* system = nullptr;
    MixGroup* music = nullptr;
    MixGroup* effects = nullptr;
    std::vector<AudioResource*> created;
    MixerResult lastUpdateResult = MIXER_OK; // reported once, not again every frame
    float musicVolume = 1.0f;
    float effectsVolume = 1.0f;
    bool muted = false;
};
