#pragma once
// Shared by the sound tests: short WAV files written on the spot, and a recorder that keeps
// what the loopback output would have played.

#include "audio/Mixer.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace audiotest {

constexpr int wavRate = 44100; // Hz

// A directory of its own under /tmp for one test binary.
inline const std::string& scratchDir()
{
    static std::string dir = [] {
        char pattern[] = "/tmp/grov-audio-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "/tmp");
    }();
    return dir;
}

// A mono 16-bit sine of a whole number of cycles, so it loops without a click.
inline std::string writeTone(const std::string& name, double seconds, double amplitude, double frequency = 400.0)
{
    std::string path = scratchDir() + "/" + name;
    SF_INFO info = {};
    info.samplerate = wavRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> samples(size_t(seconds * wavRate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(amplitude * std::sin(2.0 * M_PI * frequency * double(i) / wavRate));
    sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    return path;
}

inline std::string writeBytes(const std::string& name, const std::string& bytes)
{
    std::string path = scratchDir() + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

// Keeps the loudest channel of every rendered frame, so windows of the mix can be measured.
class Recorder {
public:
    explicit Recorder(Mixer* mixer) : rate(mixer->outputRate())
    {
        mixer->setTap([this](const float* samples, int frames, int channels) {
            for (int f = 0; f < frames; ++f) {
                float loudest = 0.0f;
                for (int c = 0; c < channels; ++c)
                    loudest = std::max(loudest, std::fabs(samples[f * channels + c]));
                level.push_back(loudest);
            }
        });
    }

    // Peak level between two times (seconds since the output started).
    float peak(double from, double to) const
    {
        size_t begin = std::min(level.size(), size_t(from * rate));
        size_t end = std::min(level.size(), size_t(to * rate));
        float loudest = 0.0f;
        for (size_t i = begin; i < end; ++i)
            loudest = std::max(loudest, level[i]);
        return loudest;
    }

    // The quietest peak over consecutive windows of the given length: near 0 when a gap of
    // silence lies anywhere between from and to.
    float quietestWindow(double from, double to, double window) const
    {
        float quietest = 1e9f;
        for (double t = from; t + window <= to; t += window)
            quietest = std::min(quietest, peak(t, t + window));
        return quietest;
    }

    double seconds() const { return double(level.size()) / rate; }

    int rate;
    std::vector<float> level;
};

} // namespace audiotest
