// What a player hears: the real game plays a throw with OpenAL Soft's wave-file writer as its
// sound device, and the file it writes is read back. The music starts at once, runs through
// both joins and the flight loop without a gap, every effect is heard right after the event
// that starts it, and nothing clips. The events and their times come from the game's trace.

#include "GameProcess.h"
#include "Play.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double exitLimitSeconds = 10.0;
constexpr double throwLimitSeconds = 180.0;  // a guard against a hang, not a timing requirement
constexpr double longestQuietSeconds = 0.001;
constexpr double effectLatencySeconds = 0.1;
constexpr float quietLevel = 1.0f / 1024.0f; // of full scale: below it a frame counts as silent

// The output as the wave writer wrote it: the loudest channel of every frame.
struct Output {
    int rate = 0;
    std::vector<float> level;
    std::vector<float> mono;  // the channels' mean
    int clipped = 0;

    double seconds() const { return rate > 0 ? double(level.size()) / rate : 0.0; }
    std::size_t frameAt(double seconds) const
    {
        return std::min(level.size(), std::size_t(std::max(0.0, seconds) * rate));
    }
    // Root mean square of the loudest channel between two times.
    double rms(double from, double to) const
    {
        double sum = 0.0;
        std::size_t begin = frameAt(from), end = frameAt(to);
        for (std::size_t i = begin; i < end; ++i)
            sum += double(level[i]) * level[i];
        return end > begin ? std::sqrt(sum / double(end - begin)) : 0.0;
    }
    // The longest run of silent frames between two times, in seconds.
    double longestQuiet(double from, double to) const
    {
        std::size_t run = 0, longest = 0;
        for (std::size_t i = frameAt(from); i < frameAt(to); ++i) {
            run = level[i] < quietLevel ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        return double(longest) / rate;
    }
    double firstSound() const
    {
        for (std::size_t i = 0; i < level.size(); ++i)
            if (level[i] >= quietLevel)
                return double(i) / rate;
        return -1.0;
    }
};

Output readOutput(const std::string& path)
{
    Output output;
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return output;
    output.rate = info.samplerate;
    std::vector<float> block(4096 * std::size_t(info.channels));
    sf_count_t got = 0;
    while ((got = sf_readf_float(file, block.data(), 4096)) > 0)
        for (sf_count_t f = 0; f < got; ++f) {
            float loudest = 0.0f;
            float sum = 0.0f;
            for (int c = 0; c < info.channels; ++c) {
                const float sample = block[std::size_t(f) * info.channels + c];
                loudest = std::max(loudest, std::fabs(sample));
                sum += sample;
            }
            output.mono.push_back(sum / float(info.channels));
            // Full scale in the 16-bit output is where a loud mix was cut off.
            output.clipped += loudest >= 32767.0f / 32768.0f;
            output.level.push_back(loudest);
        }
    sf_close(file);
    return output;
}

std::vector<float> readMono(const std::string& path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<float> samples(std::size_t(info.frames) * std::size_t(info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    std::vector<float> mono;
    for (std::size_t i = 0; i < samples.size(); i += std::size_t(info.channels))
        mono.push_back(samples[i]);
    return mono;
}

// Seconds after `at` where the effect's own sound begins in the output: the lag at which its
// first tenth of a second matches the mix best, music and other effects underneath and all.
// Negative when it matches nowhere near.
double delayUntilHeard(const Output& output, const std::vector<float>& effect, double at, double& likeness)
{
    const std::size_t length = std::min<std::size_t>(effect.size(), std::size_t(output.rate / 10));
    double effectEnergy = 0.0;
    for (std::size_t i = 0; i < length; ++i)
        effectEnergy += double(effect[i]) * effect[i];
    double best = 0.0;
    double bestLag = -1.0;
    const std::size_t from = output.frameAt(at - 0.05);
    const std::size_t to = output.frameAt(at + 0.3);
    for (std::size_t start = from; start < to && start + length <= output.mono.size(); ++start) {
        double product = 0.0, energy = 0.0;
        for (std::size_t i = 0; i < length; ++i) {
            product += double(output.mono[start + i]) * effect[i];
            energy += double(output.mono[start + i]) * output.mono[start + i];
        }
        const double match = energy > 0.0 ? product / std::sqrt(energy * effectEnergy) : 0.0;
        if (match > best) {
            best = match;
            bestLag = double(start) / output.rate - at;
        }
    }
    likeness = best;
    // Music and other effects under it still leave a clear likeness.
    return best > 0.5 ? std::max(0.0, bestLag) : -1.0;
}

TEST(SoundOutput, APlayerHearsGaplessMusicAndEveryEffectOnTime)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    const std::string dir = GameProcess::copyRunDirectory();
    const std::string wave = dir + "/output.wav";
    // 16-bit samples, as a sound card takes them, so a mix too loud shows as clipped.
    std::ofstream(dir + "/alsoft.conf") << "[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = " << wave
                                        << "\n";

    std::vector<TraceLine> trace;
    {
        GameProcess game(dir, "ALSOFT_CONF=" + dir + "/alsoft.conf");
        ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
        ASSERT_GE(game.waitForTrace("state", "0"), 0) << game.output();
        ASSERT_TRUE(game.waitForFrameAfter(0));
        game.pressKey("space");
        // The intro ends its pass and hands over to the bridge, which hands over to the flight
        // loop; the throw ends meanwhile.
        EXPECT_GE(game.waitForTrace("sound", "inbetween", 0, throwLimitSeconds), 0);
        EXPECT_GE(game.waitForTrace("sound", "flight", 0, throwLimitSeconds), 0);
        int over = waitForThrowEnd(game, 0);
        ASSERT_GE(over, 0) << game.output();
        // Some of the flight loop after the last event, so its sound is in the file.
        ASSERT_GE(game.waitForTrace("sound", "donk", 0), 0);
        game.waitForFrameAfter(game.traceSize());
        trace = game.trace();
        game.pressKey("Escape");
        EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0) << game.errors();
        EXPECT_EQ(game.output().find("FMOD error!"), std::string::npos) << game.output();
    }

    const Output output = readOutput(wave);
    ASSERT_GT(output.rate, 0) << "the wave writer wrote no file at " << wave;
    // The music starts as the game does; its start marks the trace's time in the file.
    const double start = output.firstSound();
    ASSERT_GE(start, 0.0) << "the output is silent";
    EXPECT_LT(start, 2.0) << "music from the start";
    auto inFile = [&](const TraceLine& line) { return start + line.seconds; };
    const double lastEvent = inFile(trace.back());
    ASSERT_LT(lastEvent, output.seconds()) << "the file ends before the game's last event";

    EXPECT_EQ(output.clipped, 0) << "samples at full scale";
    // The joins are where a piece waited for the one before it to stop; a machine stalled for
    // longer than the queue holds can empty any device, so the rest of the run is not held to it.
    int joins = 0;
    for (const TraceLine& line : trace)
        if (line.event == "sound" && (line.details == "inbetween" || line.details == "flight")) {
            const double quiet = output.longestQuiet(inFile(line) - 0.5, inFile(line) + 0.5);
            std::printf("join into %s: longest quiet %.1f ms\n", line.details.c_str(), 1000.0 * quiet);
            EXPECT_LE(quiet, longestQuietSeconds) << "a gap where the music joins " << line.details;
            ++joins;
        }
    EXPECT_EQ(joins, 2) << "both joins heard";

    // Each effect, found in the mix by its own waveform.
    const std::set<std::string> music = {"intro", "inbetween", "flight"};
    int heard = 0;
    for (const TraceLine& line : trace) {
        if (line.event != "sound" || music.count(line.details))
            continue;
        const std::vector<float> effect = readMono(dir + "/res/sounds/" + line.details + ".wav");
        ASSERT_FALSE(effect.empty()) << line.details;
        double likeness = 0.0;
        const double delay = delayUntilHeard(output, effect, inFile(line), likeness);
        EXPECT_GE(delay, 0.0) << line.details << " at " << line.seconds << " s is not in the output";
        EXPECT_LT(delay, effectLatencySeconds) << line.details << " at " << line.seconds << " s";
        std::printf("%s heard %.0f ms after the event (likeness %.2f)\n", line.details.c_str(), 1000.0 * delay,
                    likeness);
        heard += delay >= 0.0;
    }
    EXPECT_GE(heard, 3) << "the grunt, a bounce and the donk at least";
    GameProcess::removeDirectory(dir);
}

} // namespace
