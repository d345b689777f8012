// Writes the game's twelve sounds under <gameDir>/res/sounds: Grov's voice, the landing
// thud, the goal chime and the three pieces of the music chain.

#include "Generator.h"

#include "Drums.h"
#include "Jingles.h"
#include "Music.h"
#include "VoiceSounds.h"
#include "WavFile.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

namespace {

struct Effect {
    const char* file;
    std::function<std::vector<float>()> render;
    // Peak as a share of TARGET_PEAK. The goal chime's energy lies where the ear is keenest,
    // so at full peak it would sound louder than the voices over the music; trimmed, it
    // matches the louder voices.
    float level = 1.0f;
};

bool generateSounds(const std::string& gameDir)
{
    const std::filesystem::path dir = std::filesystem::path(gameDir) / "res" / "sounds";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::printf("Sound generator: cannot create %s: %s\n", dir.string().c_str(), error.message().c_str());
        std::fflush(stdout);
        return false;
    }

    const Effect effects[] = {
        {"grunt.wav", sound::gruntSound}, {"donk.wav", sound::donkSound},   {"ah.wav", sound::ahSound},
        {"mm.wav", sound::mmSound},       {"uff.wav", sound::uffSound},     {"uuh.wav", sound::uuhSound},
        {"haha.wav", sound::hahaSound},   {"haha2.wav", sound::haha2Sound}, {"goal.wav", sound::goalSound, 0.78f},
    };
    bool ok = true;
    for (const Effect& effect : effects) {
        std::vector<float> samples = effect.render();
        sound::normalise(samples);
        for (float& s : samples)
            s *= effect.level;
        ok = sound::writeWav((dir / effect.file).string(), samples, 1) && ok;
    }

    const sound::MusicChain music = sound::composeMusicChain();
    ok = sound::writeWav((dir / "intro.wav").string(), music.intro, 2) && ok;
    ok = sound::writeWav((dir / "inbetween.wav").string(), music.inbetween, 2) && ok;
    ok = sound::writeWav((dir / "flight.wav").string(), music.flight, 2) && ok;
    return ok;
}

} // namespace

GROV_REGISTER_GENERATOR("sounds", generateSounds);
