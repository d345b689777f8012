#include "audio/SoundSystem.h"

#include "audio/Mixer.h"
#include "audio/Song.h"
#include "audio/SoundEffect.h"
#include "core/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

SoundSystem* current = nullptr;

// Songs and effects of systems already destroyed. Their sound is gone, but the game may still
// hold pointers to them (music callbacks, a late bounce), and a late call must stay harmless:
// so they are freed only when the process ends, after everything that could call them.
std::vector<std::unique_ptr<AudioResource>>& retiredResources()
{
    static std::vector<std::unique_ptr<AudioResource>> retired;
    return retired;
}

} // namespace

SoundSystem* SoundSystem::instance()
{
    if (!current)
        current = new SoundSystem();
    return current;
}

void SoundSystem::destroy(SoundSystem* system)
{
    if (!system)
        return;
    if (system == current)
        current = nullptr;
    system->shutdown();
    delete system;
}

SoundSystem::SoundSystem()
{
    checkResult(createMixer(&system));
    unsigned version = 0;
    checkResult(system->version(&version));
    requireVersion(version);

    int drivers = 0;
    checkResult(system->driverCount(&drivers));
    if (drivers == 0)
        checkResult(system->setOutput(MIXER_OUTPUT_LOOPBACK));
    checkResult(system->init(maxChannels));
    checkResult(system->createGroup(&music));
    checkResult(system->createGroup(&effects));
}

void SoundSystem::requireVersion(unsigned version)
{
    if (version >= requiredVersion)
        return;
    std::printf("Error! You are using an old version of FMOD %u. This program requires %u\n", version, requiredVersion);
    std::fflush(stdout);
    std::exit(-1);
}

SoundSystem::~SoundSystem()
{
    delete system;
}

void SoundSystem::shutdown()
{
    std::vector<std::unique_ptr<AudioResource>>& retired = retiredResources();
    for (AudioResource* resource : created) {
        resource->release();
        retired.emplace_back(resource);
    }
    created.clear();
    system->release();
}

void SoundSystem::update()
{
    // An output that never started fails every frame the same way: one line says it, and the
    // game plays on silent.
    MixerResult result = system->update();
    reportDevice();
    if (result == lastUpdateResult)
        return;
    lastUpdateResult = result;
    checkResult(result);
}

void SoundSystem::reportDevice()
{
    const Mixer::DeviceNews news = system->takeDeviceNews();
    if (news == Mixer::DeviceNews::NONE)
        return;
    const bool lost = news == Mixer::DeviceNews::LOST;
    const std::string& name = system->deviceName();
    if (lost)
        std::printf("Sound device lost: %s. The game plays on silently until a sound device is back.\n", name.c_str());
    else
        std::printf("Sound device back: %s\n", name.c_str());
    std::fflush(stdout);
    traceEvent("sound-device", (lost ? "lost " : "back ") + name);
}

void SoundSystem::setVolume(float volume, int group)
{
    const float v = volume < 1.0f ? volume : 1.0f;
    const float clamped = v > 0.0f ? v : 0.0f;
    if (group == MUSIC_GROUP)
        musicVolume = clamped;
    else if (group == EFFECTS_GROUP)
        effectsVolume = clamped;
    applyVolumes();
}

void SoundSystem::setMuted(bool mute)
{
    muted = mute;
    applyVolumes();
}

void SoundSystem::applyVolumes()
{
    music->setVolume(muted ? 0.0f : musicVolume);
    effects->setVolume(muted ? 0.0f : effectsVolume);
    // Heard at once, not a frame later: a slow frame must not let a muted sound through.
    system->applyVolumes();
}

Song* SoundSystem::createSong(const char* path, unsigned)
{
    Song* song = new Song(system, path, music);
    created.push_back(song);
    return song;
}

SoundEffect* SoundSystem::createSoundEffect(const char* path, unsigned)
{
    SoundEffect* effect = new SoundEffect(system, path, effects);
    created.push_back(effect);
    return effect;
}
