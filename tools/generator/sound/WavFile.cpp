#include "WavFile.h"

#include "Dsp.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace sound {

float peakOf(const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (float s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

void normalise(std::vector<float>& samples)
{
    const float peak = peakOf(samples);
    if (peak <= 0.0f)
        return;
    const float gain = TARGET_PEAK / peak;
    for (float& s : samples)
        s *= gain;
}

bool writeWav(const std::string& path, const std::vector<float>& interleaved, int channels)
{
    std::vector<int16_t> pcm(interleaved.size());
    for (size_t i = 0; i < interleaved.size(); ++i) {
        // Symmetric range: -32768 is never produced, so nothing sits at full scale.
        const long v = std::lround(std::clamp(interleaved[i], -1.0f, 1.0f) * 32767.0f);
        pcm[i] = static_cast<int16_t>(std::clamp(v, -32767L, 32767L));
    }

    SF_INFO info{};
    info.samplerate = SAMPLE_RATE;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::printf("Sound generator: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        std::fflush(stdout);
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(pcm.size() / channels);
    const sf_count_t written = sf_writef_short(file, pcm.data(), frames);
    sf_close(file);
    if (written != frames) {
        std::printf("Sound generator: short write to %s\n", path.c_str());
        std::fflush(stdout);
        return false;
    }
    return true;
}

} // namespace sound
