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

// Two frame-rate reports from trace line after on: the game has run on for a second. The
// music's joins are heard here as a player hears them, who lets the game settle before the
// throw and hears the end out.
bool waitForRateReports(GameProcess& game, std::size_t after)
{
    const int first = game.waitForTrace("fps", "", after);
    return first >= 0 && game.waitForTrace("fps", "", std::size_t(first) + 1) >= 0;
}

constexpr double throwLimitSeconds = 600.0; // a guard against a hang, not a timing requirement
constexpr double longestQuietSeconds = 0.001;
constexpr double effectLatencySeconds = 0.1;
constexpr float quietLevel = 1.0f / 1024.0f; // of full scale: below it a frame counts as silent
constexpr double introSeconds = 4.0;         // of the intro compared between two volumes
constexpr double applySeconds = 0.1;         // s from a key to its change in the output, at most

// The output as the wave writer wrote it: the loudest channel of every frame.
struct Output {
    int rate = 0;
    std::vector<float> level;
    std::vector<float> mono; // the channels' mean
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
    bool previousAtFullScale = false;
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
            // Two frames in a row at full scale in the 16-bit output are a flat top, where a loud
            // mix was cut off; a single peak that only touches full scale is not.
            const bool atFullScale = loudest >= 32767.0f / 32768.0f;
            output.clipped += atFullScale && previousAtFullScale;
            previousAtFullScale = atFullScale;
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
    // The channels' mean, as Output::mono, so a stereo piece of music compares with the mix.
    std::vector<float> mono;
    for (std::size_t i = 0; i < samples.size(); i += std::size_t(info.channels)) {
        float sum = 0.0f;
        for (int c = 0; c < info.channels; ++c)
            sum += samples[i + std::size_t(c)];
        mono.push_back(sum / float(info.channels));
    }
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
    // Music and other effects under it still leave a clear likeness: an effect played over the
    // tail of a bounce sound has been found at 0.45, unrelated sound stays far below.
    return best > 0.35 ? std::max(0.0, bestLag) : -1.0;
}

// A run directory of the test's own whose game plays in a small window: the picture is not the
// point here, and drawing less keeps frames quick on a loaded machine, which would otherwise
// repair its long frames and stretch the throw to minutes.
std::string soundRunDirectory()
{
    const std::string dir = GameProcess::copyRunDirectory();
    std::ofstream(dir + "/settings.txt", std::ios::app) << "\nFULLSCREEN 0\nWIDTH 480\nHEIGHT 360\n";
    return dir;
}

// Makes the game started in dir write what it plays to dir/output.wav; the environment to
// start it with.
std::string useWaveWriter(const std::string& dir)
{
    // 16-bit samples, as a sound card takes them, so a mix too loud shows as clipped.
    std::ofstream(dir + "/alsoft.conf") << "[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = " << dir
                                        << "/output.wav\n";
    return "ALSOFT_CONF=" + dir + "/alsoft.conf";
}

// Lets the game run until its trace reaches this many seconds; the frame-rate line comes once
// a second. False when the game ends first.
bool runUntil(GameProcess& game, double seconds)
{
    for (;;) {
        const std::vector<TraceLine> lines = game.trace();
        if (!lines.empty() && lines.back().seconds >= seconds)
            return true;
        if (game.waitForTrace("fps", "", lines.size(), throwLimitSeconds) < 0)
            return false;
    }
}

TEST(SoundOutput, APlayerHearsGaplessMusicAndEveryEffectOnTime)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    const std::string dir = soundRunDirectory();
    const std::string wave = dir + "/output.wav";

    std::vector<TraceLine> trace;
    {
        GameProcess game(dir, useWaveWriter(dir));
        ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
        ASSERT_GE(game.waitForTrace("state", "0"), 0) << game.output();
        ASSERT_TRUE(waitForRateReports(game, 0));
        game.pressKey("space");
        // The intro ends its pass and hands over to the bridge, which hands over to the flight
        // loop; the throw ends meanwhile.
        EXPECT_GE(game.waitForTrace("sound", "inbetween", 0, throwLimitSeconds), 0);
        EXPECT_GE(game.waitForTrace("sound", "flight", 0, throwLimitSeconds), 0);
        const int flight = game.waitForTrace("state", "2", 0, throwLimitSeconds);
        ASSERT_GE(flight, 0) << game.output();
        int over = waitForThrowEnd(game, std::size_t(flight));
        ASSERT_GE(over, 0) << traceTail(game);
        // Some of the flight loop after the last event, so its sound is in the file.
        ASSERT_GE(game.waitForTrace("sound", "donk", 0), 0);
        waitForRateReports(game, game.traceSize());
        trace = game.trace();
        game.quit();
        EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0) << game.errors();
        EXPECT_EQ(game.output().find("FMOD error!"), std::string::npos) << game.output();
    }

    const Output output = readOutput(wave);
    ASSERT_GT(output.rate, 0) << "the wave writer wrote no file at " << wave;
    // The music starts as the game does; its start marks the trace's time in the file.
    const double start = output.firstSound();
    ASSERT_GE(start, 0.0) << "the output is silent";
    // The output opens before the world loads, which takes seconds on a loaded machine.
    EXPECT_LT(start, 6.0) << "music from the start";
    auto inFile = [&](const TraceLine& line) { return start + line.seconds; };
    const double lastEvent = inFile(trace.back());
    ASSERT_LT(lastEvent, output.seconds()) << "the file ends before the game's last event";

    EXPECT_EQ(output.clipped, 0) << "frames cut off at full scale";
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

    // Each effect, found in the mix by its own waveform, with those that started within 100 ms
    // of it (the donk and a goal's chime at the end of a throw) added in where they start.
    const std::set<std::string> music = {"intro", "inbetween", "flight"};
    std::vector<TraceLine> effects;
    for (const TraceLine& line : trace)
        if (line.event == "sound" && !music.count(line.details))
            effects.push_back(line);
    int heard = 0;
    for (const TraceLine& line : effects) {
        std::vector<float> effect = readMono(dir + "/res/sounds/" + line.details + ".wav");
        ASSERT_FALSE(effect.empty()) << line.details;
        for (const TraceLine& other : effects) {
            const double after = other.seconds - line.seconds;
            if (&other == &line || std::fabs(after) >= effectLatencySeconds)
                continue;
            const std::vector<float> together = readMono(dir + "/res/sounds/" + other.details + ".wav");
            // Where the other one stands against this one's start, either way round.
            const long shift = std::lround(after * output.rate);
            for (std::size_t i = 0; i < effect.size(); ++i) {
                const long from = long(i) - shift;
                if (from >= 0 && from < long(together.size()))
                    effect[i] += together[std::size_t(from)];
            }
        }
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

// The level of the intro between two times after it is first heard, in a game that starts at
// full volume. With lowered, the player turns the music down to 50 in the menu first, and the
// times count from the moment the game took the change, which is returned in lowered.
double introLevel(double from, double to, double* lowered = nullptr)
{
    const std::string dir = soundRunDirectory();
    double shift = 0.0;
    {
        GameProcess game(dir, useWaveWriter(dir));
        EXPECT_NE(game.waitForWindow(), 0u) << game.errors();
        if (lowered) {
            EXPECT_TRUE(runUntil(game, 1.0));
            game.pressKey("Escape");
            EXPECT_GE(game.waitForTrace("menu", "main"), 0) << game.output();
            for (const char* key : {"Down", "Return", "Return"})
                game.pressKey(key);
            EXPECT_GE(game.waitForTrace("menu", "sound"), 0);
            for (int step = 0; step < 5; ++step)
                game.pressKey("Left");
            const int set = game.waitForTrace("setting", "MUSIC_VOLUME 50");
            EXPECT_GE(set, 0) << game.output();
            shift = set < 0 ? 0.0 : game.trace()[std::size_t(set)].seconds;
            *lowered = shift;
        }
        EXPECT_TRUE(runUntil(game, shift + to + 1.0)) << game.output();
        game.quit();
        EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0) << game.errors();
        EXPECT_EQ(game.output().find("FMOD error!"), std::string::npos) << game.output();
    }
    const Output output = readOutput(dir + "/output.wav");
    GameProcess::removeDirectory(dir);
    const double start = output.firstSound();
    EXPECT_GE(start, 0.0) << "the output is silent";
    EXPECT_GE(output.seconds(), start + shift + to) << "the file ends early";
    return output.rms(start + shift + from, start + shift + to);
}

// From a second in: past the pads' swell, where the first audible sample is found alike. The
// music turned down to 50 in the menu plays the same seconds of the intro 6 dB lower.
TEST(SoundOutput, HalfTheMusicVolumeInTheMenuIsSixDecibelsDown)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    double lowered = 0.0;
    const double half = introLevel(0.5, introSeconds - 0.5, &lowered);
    const double full = introLevel(lowered + 0.5, lowered + introSeconds - 0.5);
    ASSERT_GT(half, 0.0);
    const double decibels = 20.0 * std::log10(full / half);
    std::printf("intro at 100: rms %.4f, at 50 from the menu: rms %.4f, %.2f dB down\n", full, half, decibels);
    EXPECT_NEAR(decibels, 6.0, 1.0);
}

TEST(SoundOutput, MutedTheMusicPlaysOnUnheardAndComesBackWhereItGotTo)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    const std::string dir = soundRunDirectory();

    std::vector<TraceLine> trace;
    int off = -1, on = -1;
    {
        GameProcess game(dir, useWaveWriter(dir));
        ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
        ASSERT_TRUE(runUntil(game, 2.0)) << game.output();
        game.pressKey("m");
        off = game.waitForTrace("toggle", "sound OFF");
        ASSERT_GE(off, 0) << game.output();
        EXPECT_GE(game.waitForTrace("message", "Sound OFF"), 0);
        ASSERT_TRUE(runUntil(game, game.trace()[std::size_t(off)].seconds + 2.0));
        game.pressKey("m");
        on = game.waitForTrace("toggle", "sound ON", std::size_t(off));
        ASSERT_GE(on, 0) << game.output();
        EXPECT_GE(game.waitForTrace("message", "Sound ON", std::size_t(off)), 0);
        ASSERT_TRUE(runUntil(game, game.trace()[std::size_t(on)].seconds + 2.0));
        trace = game.trace();
        game.quit();
        EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0) << game.errors();
        EXPECT_EQ(game.output().find("FMOD error!"), std::string::npos) << game.output();
    }

    const Output output = readOutput(dir + "/output.wav");
    const std::vector<float> intro = readMono(dir + "/res/sounds/intro.wav");
    GameProcess::removeDirectory(dir);
    ASSERT_GT(output.rate, 0);
    ASSERT_FALSE(intro.empty());
    const double start = output.firstSound();
    ASSERT_GE(start, 0.0) << "the output is silent";
    const double muted = start + trace[std::size_t(off)].seconds;
    const double unmuted = start + trace[std::size_t(on)].seconds;
    ASSERT_LT(unmuted + 1.5, output.seconds()) << "the file ends before the music came back";

    const double before = output.rms(muted - 1.0, muted);
    EXPECT_GT(before, 10.0 * quietLevel) << "music before muting";
    // The mixer applies a change with its next block, a few tens of ms after the key.
    float loudest = 0.0f;
    for (std::size_t i = output.frameAt(muted + applySeconds); i < output.frameAt(unmuted - applySeconds); ++i)
        loudest = std::max(loudest, output.level[i]);
    std::printf("muted for %.2f s: loudest %.5f (music before %.4f rms)\n", unmuted - muted, loudest, before);
    EXPECT_LT(loudest, quietLevel) << "sound while muted";

    // The intro, the one piece playing all along, is heard again where it has got to meanwhile.
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(), [](const TraceLine& line) { return line.event == "sound"; }), 1)
        << "the intro started once, and nothing else started";
    const double at = unmuted + 0.5;
    const std::size_t place = std::size_t(std::fmod(at - start, double(intro.size()) / output.rate) * output.rate);
    const std::vector<float> expected(intro.begin() + std::ptrdiff_t(place), intro.end());
    double likeness = 0.0;
    const double delay = delayUntilHeard(output, expected, at, likeness);
    std::printf("after unmuting: the intro at %.2f s found %.0f ms later (likeness %.2f)\n",
                double(place) / output.rate, 1000.0 * delay, likeness);
    // Within the search's few tenths of a second: a restart would be seconds away.
    EXPECT_GE(delay, 0.0) << "the music after unmuting is not the intro at its place";
    EXPECT_GT(output.rms(unmuted + applySeconds, unmuted + 1.5), 0.3 * before) << "the level comes back";
}

} // namespace
