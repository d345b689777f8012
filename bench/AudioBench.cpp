// Cost of the sound system's per-frame update on the no-sound output: one 60 Hz frame of
// loopback mixing with a looping song streaming and a number of effects overlapping.

#include "ManualClock.h"

#include "audio/Mixer.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100; // Hz
constexpr double frameSeconds = 1.0 / 60.0;

std::string writeTone(const char* name, double seconds)
{
    static std::string dir = [] {
        char pattern[] = "/tmp/grov-audio-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "/tmp");
    }();
    std::string path = dir + "/" + name;
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> samples(size_t(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(0.2 * std::sin(2.0 * M_PI * 400.0 * double(i) / rate));
    sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    return path;
}

void BM_LoopbackFrame(benchmark::State& state)
{
    ManualClock clock(0.0);
    Mixer mixer;
    mixer.setOutput(MIXER_OUTPUT_LOOPBACK);
    mixer.init(100);
    mixer.setStreamBufferSize(65536);
    AudioClip* song = nullptr;
    AudioClip* effect = nullptr;
    mixer.createStream(writeTone("song.wav", 3.0).c_str(), &song);
    mixer.createSample(writeTone("effect.wav", 60.0).c_str(), &effect);

    Voice music;
    mixer.play(song, false, &music);
    music.setLoopMode(MIXER_LOOP_ON);
    music.setLoopCount(-1);
    for (int i = 0; i < state.range(0); ++i) {
        Voice voice;
        mixer.play(effect, false, &voice); // a minute: longer than a run measures
    }
    for (auto _ : state) {
        clock.advance(frameSeconds);
        mixer.update();
    }
    state.counters["voices"] = double(state.range(0) + 1);
    state.counters["x_realtime"] =
        benchmark::Counter(double(state.iterations()) * frameSeconds, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_LoopbackFrame)->Arg(0)->Arg(10)->Arg(99)->Unit(benchmark::kMicrosecond);
