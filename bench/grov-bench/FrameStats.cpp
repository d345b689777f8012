#include "FrameStats.h"

#include <algorithm>
#include <cmath>

double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    std::size_t half = samples.size() / 2;
    return samples.size() % 2 ? samples[half] : (samples[half - 1] + samples[half]) / 2.0;
}

double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0.0;
    fraction = std::min(std::max(fraction, 0.0), 1.0);
    std::size_t rank = static_cast<std::size_t>(std::ceil(fraction * double(samples.size()) - 1e-9));
    std::size_t index = rank == 0 ? 0 : std::min(rank, samples.size()) - 1;
    std::nth_element(samples.begin(), samples.begin() + std::ptrdiff_t(index), samples.end());
    return samples[index];
}

namespace {

TimeSummary summarise(const std::vector<FrameRecord>& frames, int state, bool terrain, int variant, bool cpu = false)
{
    std::vector<double> samples;
    for (const FrameRecord& frame : frames) {
        if ((state >= 0 && frame.state != state) || (terrain && !frame.terrainDrawn)
            || (variant >= 0 && frame.variant != variant))
            continue;
        samples.push_back(terrain ? frame.terrainSeconds : cpu ? frame.gameCpuSeconds : frame.gameSeconds);
    }
    TimeSummary summary;
    summary.count = static_cast<int>(samples.size());
    summary.median = median(samples);
    summary.p95 = percentile(samples, 0.95);
    return summary;
}

} // namespace

TimeSummary summariseGame(const std::vector<FrameRecord>& frames, int state)
{
    return summarise(frames, state, false, -1);
}

TimeSummary summariseGame(const std::vector<FrameRecord>& frames, int state, int variant, bool cpu)
{
    return summarise(frames, state, false, variant, cpu);
}

TimeSummary summariseTerrain(const std::vector<FrameRecord>& frames, int state)
{
    return summarise(frames, state, true, -1);
}
