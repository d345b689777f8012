// Writes the game's eleven sounds under <gameDir>/res/sounds: Grov's voice, the landing
// thud and the three pieces of the music chain.

#include "Generator.h"

#include "Drums.h"
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
        {"haha.wav", sound::hahaSound},   {"haha2.wav", sound::haha2Sound},
    };
    bool ok = true;
    for (const Effect& effect : effects) {
        std::vector<float> samples = effect.render();
        sound::normalise(samples);
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
