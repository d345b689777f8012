// Checks the generated sounds under res/sounds as the sound layer and a player meet them:
// the format the layer can stream, headroom, clean starts and ends, voices that are
// voiced, and music that loops and chains without a click.

#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const std::string SOUND_DIR = std::string(GROV_GAME_DIR) + "/res/sounds/";
const char* const EFFECTS[] = {"grunt", "donk", "ah", "mm", "uff", "uuh", "haha", "haha2", "goal"};
const char* const VOICES[] = {"grunt", "ah", "mm", "uff", "uuh", "haha", "haha2"};
const char* const MUSIC[] = {"intro", "inbetween", "flight"};

struct Sound {
    bool opened = false;
    SF_INFO info{};
    std::vector<std::vector<short>> channels; // de-interleaved

    int frames() const { return channels.empty() ? 0 : static_cast<int>(channels[0].size()); }
};

Sound load(const std::string& name)
{
    Sound sound;
    SNDFILE* file = sf_open((SOUND_DIR + name + ".wav").c_str(), SFM_READ, &sound.info);
    if (!file)
        return sound;
    std::vector<short> interleaved(static_cast<size_t>(sound.info.frames * sound.info.channels));
    sf_readf_short(file, interleaved.data(), sound.info.frames);
    sf_close(file);
    sound.opened = true;
    sound.channels.assign(sound.info.channels, {});
    for (size_t i = 0; i < interleaved.size(); ++i)
        sound.channels[i % sound.info.channels].push_back(interleaved[i]);
    return sound;
}

// The 99th percentile of sample-to-sample steps: how far the waveform moves in one sample
// during ordinary playing. A click is a step well beyond that.
int typicalLargeStep(const std::vector<short>& samples)
{
    std::vector<int> steps;
    for (size_t i = 1; i < samples.size(); ++i)
        steps.push_back(std::abs(samples[i] - samples[i - 1]));
    std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
    return steps[steps.size() * 99 / 100];
}

// Normalised autocorrelation at the best lag within the human voice's pitch range, for the
// window of samples starting at `start`: near 1 for a voiced vowel, low for noise.
float periodicity(const std::vector<short>& samples, int start, int window, int rate)
{
    float best = 0.0f;
    for (int lag = rate / 400; lag <= rate / 60; ++lag) {
        double cross = 0.0, a = 0.0, b = 0.0;
        for (int i = 0; i < window; ++i) {
            const double x = samples[start + i];
            const double y = samples[start + i + lag];
            cross += x * y;
            a += x * x;
            b += y * y;
        }
        if (a > 0.0 && b > 0.0)
            best = std::max(best, static_cast<float>(cross / std::sqrt(a * b)));
    }
    return best;
}

// How clearly voiced the sound is where it is loud: the best periodicity among the 40 ms
// windows within 6 dB of the loudest one.
float voicedness(const std::vector<short>& samples, int rate)
{
    const int window = rate / 25;
    const int hop = window / 4;
    const int last = static_cast<int>(samples.size()) - window - rate / 60;
    std::vector<double> energies;
    for (int start = 0; start <= last; start += hop) {
        double energy = 0.0;
        for (int i = 0; i < window; ++i)
            energy += double(samples[start + i]) * samples[start + i];
        energies.push_back(energy);
    }
    if (energies.empty())
        return 0.0f;
    const double loudest = *std::max_element(energies.begin(), energies.end());
    float best = 0.0f;
    for (size_t k = 0; k < energies.size(); ++k)
        if (energies[k] >= loudest / 4.0)
            best = std::max(best, periodicity(samples, static_cast<int>(k) * hop, window, rate));
    return best;
}

TEST(SoundAssets, EveryFileIsSixteenBitPcmWaveTheLayerCanStream)
{
    std::vector<std::string> all(std::begin(EFFECTS), std::end(EFFECTS));
    all.insert(all.end(), std::begin(MUSIC), std::end(MUSIC));
    for (const std::string& name : all) {
        SCOPED_TRACE(name);
        const Sound sound = load(name);
        ASSERT_TRUE(sound.opened) << "missing or unreadable " << SOUND_DIR << name << ".wav (run the build first)";
        EXPECT_EQ(sound.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_TRUE(sound.info.samplerate == 22050 || sound.info.samplerate == 44100);
        EXPECT_TRUE(sound.info.channels == 1 || sound.info.channels == 2);

        // Headroom: nothing at full scale (no clipping), yet loud enough to be heard.
        int peak = 0;
        for (const auto& channel : sound.channels)
            for (short s : channel)
                peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LT(peak, 32767);
        EXPECT_GT(peak, 32767 / 2);

        // No steady offset: it wastes headroom and thumps where a piece starts and stops.
        for (const auto& channel : sound.channels) {
            double sum = 0.0;
            for (short s : channel)
                sum += s;
            EXPECT_LT(std::fabs(sum / channel.size()) / 32768.0, 0.002) << "DC offset";
        }
    }
}

TEST(SoundAssets, EffectsAreShortAndStartAndEndInSilence)
{
    for (const char* name : EFFECTS) {
        SCOPED_TRACE(name);
        const Sound sound = load(name);
        ASSERT_TRUE(sound.opened);
        const double seconds = double(sound.frames()) / sound.info.samplerate;
        EXPECT_GT(seconds, 0.1);
        EXPECT_LT(seconds, 1.5); // a bounce sound must be over before the next bounce
        for (const auto& channel : sound.channels) {
            EXPECT_LT(std::abs(channel.front()), 330) << "starts with a click";
            EXPECT_LT(std::abs(channel.back()), 330) << "ends with a click";
            // Each effect answers a moment of play, so it is heard at once: no leading silence.
            const auto audible =
                std::find_if(channel.begin(), channel.end(), [](short s) { return std::abs(s) > 1000; });
            EXPECT_LT(audible - channel.begin(), sound.info.samplerate / 50) << "silent for its first 20 ms";
        }
    }
}

TEST(SoundAssets, GrovsVoiceIsVoicedAndTheThudIsNot)
{
    for (const char* name : VOICES) {
        SCOPED_TRACE(name);
        const Sound sound = load(name);
        ASSERT_TRUE(sound.opened);
        EXPECT_GT(voicedness(sound.channels[0], sound.info.samplerate), 0.8f);
    }
    // The thud is a low boom: far fewer zero crossings than a voice's formants give.
    const Sound donk = load("donk");
    ASSERT_TRUE(donk.opened);
    int crossings = 0;
    const auto& samples = donk.channels[0];
    for (size_t i = 1; i < samples.size(); ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    const double crossingsPerSecond = crossings * double(donk.info.samplerate) / samples.size();
    EXPECT_LT(crossingsPerSecond, 600.0);
}

TEST(SoundAssets, MusicLoopsAndChainsWithoutAClick)
{
    const Sound intro = load("intro");
    const Sound inbetween = load("inbetween");
    const Sound flight = load("flight");
    ASSERT_TRUE(intro.opened && inbetween.opened && flight.opened);

    // One stream setup for the whole chain, and one bar grid: the bridge is two bars and the
    // loops are whole bars, so the chain stays on the beat.
    for (const Sound* piece : {&inbetween, &flight}) {
        EXPECT_EQ(piece->info.samplerate, intro.info.samplerate);
        EXPECT_EQ(piece->info.channels, intro.info.channels);
    }
    const int bar = inbetween.frames() / 2;
    EXPECT_EQ(inbetween.frames() % 2, 0);
    EXPECT_EQ(intro.frames() % bar, 0);
    EXPECT_EQ(flight.frames() % bar, 0);
    EXPECT_LT(intro.frames() + flight.frames() + inbetween.frames(), 60 * intro.info.samplerate);

    // A join is clean when its step is no larger than the steps the music makes anyway.
    auto expectSmoothJoin = [](const Sound& before, const Sound& after, const char* what) {
        for (size_t c = 0; c < before.channels.size(); ++c) {
            const int step = std::abs(after.channels[c].front() - before.channels[c].back());
            const int allowed = std::min(typicalLargeStep(before.channels[c]), typicalLargeStep(after.channels[c]));
            EXPECT_LE(step, allowed) << what << ", channel " << c;
        }
    };
    expectSmoothJoin(intro, intro, "intro loop point");
    expectSmoothJoin(flight, flight, "flight loop point");
    expectSmoothJoin(intro, inbetween, "intro into inbetween");
    expectSmoothJoin(inbetween, flight, "inbetween into flight");
}

// Energy per pitch class (0 = C) of the music's middle register, from short-time Goertzel
// filters tuned to the equal-tempered notes E3 to E6.
std::vector<double> pitchClassEnergy(const Sound& sound)
{
    const int frame = 8192;
    const int rate = sound.info.samplerate;
    std::vector<double> energy(12, 0.0);
    for (int start = 0; start + frame <= sound.frames(); start += frame) {
        for (int midi = 52; midi <= 88; ++midi) {
            const double frequency = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
            const double coefficient = 2.0 * std::cos(2.0 * M_PI * frequency / rate);
            double s1 = 0.0, s2 = 0.0;
            for (int i = 0; i < frame; ++i) {
                double mono = 0.0;
                for (const auto& channel : sound.channels)
                    mono += channel[start + i];
                const double s0 = mono + coefficient * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            energy[midi % 12] += s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        }
    }
    return energy;
}

TEST(SoundAssets, MusicIsInTuneAndInAMinor)
{
    // A natural minor plus G sharp, the leading note of the E major chord that turns back home.
    // C sharp, D sharp, F sharp and A sharp belong to none of the chords or tunes.
    constexpr int outOfKey[] = {1, 3, 6, 10};
    for (const char* name : MUSIC) {
        SCOPED_TRACE(name);
        const Sound sound = load(name);
        ASSERT_TRUE(sound.opened);
        const std::vector<double> energy = pitchClassEnergy(sound);
        double total = 0.0, stray = 0.0;
        for (int pc = 0; pc < 12; ++pc)
            total += energy[pc];
        for (int pc : outOfKey)
            stray += energy[pc];
        ASSERT_GT(total, 0.0);
        EXPECT_LT(stray / total, 0.08) << "energy between the notes of the key: detuned or off-key";
        // The loops rest on A minor: its tonic and fifth outweigh any foreign note. (The
        // bridge, all F, G and E, is allowed to leave A out.)
        if (std::string(name) == "inbetween")
            continue;
        for (int pc : outOfKey) {
            EXPECT_GT(energy[9], energy[pc]);
            EXPECT_GT(energy[4], energy[pc]);
        }
    }
}

std::vector<char> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SoundAssets, GeneratorWritesTheSameSoundsEveryTime)
{
    namespace fs = std::filesystem;
    const fs::path generator = fs::path(GROV_GAME_DIR).parent_path() / "tools" / "grov-generate";
    if (!fs::exists(generator))
        GTEST_SKIP() << "no generator at " << generator;
    const fs::path fresh = fs::temp_directory_path() / ("grov-sounds-" + std::to_string(::getpid()));
    fs::create_directories(fresh);
    const std::string command = "\"" + generator.string() + "\" \"" + fresh.string() + "\" sounds > /dev/null 2>&1";
    (void)std::system(command.c_str());
    std::vector<std::string> all(std::begin(EFFECTS), std::end(EFFECTS));
    all.insert(all.end(), std::begin(MUSIC), std::end(MUSIC));
    for (const std::string& name : all) {
        SCOPED_TRACE(name);
        const auto again = fileBytes(fresh / "res" / "sounds" / (name + ".wav"));
        EXPECT_FALSE(again.empty());
        EXPECT_TRUE(again == fileBytes(SOUND_DIR + name + ".wav"));
    }
    fs::remove_all(fresh);
}

} // namespace
