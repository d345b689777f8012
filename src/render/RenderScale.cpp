#include "render/RenderScale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double STALL_SECONDS = 1.0;
constexpr double MISS_MARGIN = 0.95; // aim a step down at this share of the budget
constexpr double ROOM_TO_GROW = 0.8; // a step up must fit in this share of the budget

double quantised(double scale)
{
    return std::round(scale / RenderScale::QUANTUM) * RenderScale::QUANTUM;
}

} // namespace

RenderScale::RenderScale(double budgetSeconds) : budget(budgetSeconds > 0.0 ? budgetSeconds : DEFAULT_BUDGET)
{
    frames.reserve(WINDOW_FRAMES);
}

void RenderScale::addFrame(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0.0 || seconds >= STALL_SECONDS)
        return;
    frames.push_back(seconds);
    if (int(frames.size()) < WINDOW_FRAMES)
        return;
    judge();
    frames.clear();
}

void RenderScale::reset(double startScale)
{
    scale_ = std::isfinite(startScale) ? std::clamp(startScale, floor_, MAX_SCALE) : MAX_SCALE;
    frames.clear();
}

double RenderScale::floorFor(int width, int height)
{
    if (width <= 0 || height <= 0)
        return MIN_SCALE;
    // Whole steps of QUANTUM, rounded up, so the floor is a scale the controller can settle on.
    const double share = std::sqrt(FLOOR_PIXELS / (double(width) * double(height)));
    return std::clamp(std::ceil(share / QUANTUM - 1e-9) * QUANTUM, LOWEST_SCALE, MIN_SCALE);
}

void RenderScale::setFloor(double floor)
{
    floor_ = std::isfinite(floor) ? std::clamp(floor, LOWEST_SCALE, MIN_SCALE) : MIN_SCALE;
    scale_ = std::max(scale_, floor_);
}

void RenderScale::judge()
{
    // The median: one slow frame (a texture upload, another program's burst) is not a trend.
    std::nth_element(frames.begin(), frames.begin() + WINDOW_FRAMES / 2, frames.end());
    const double typical = frames[WINDOW_FRAMES / 2];
    // Shading time grows with the pixel count, the square of the scale; taking all of a frame
    // as shading overstates what a larger picture costs and understates what a smaller saves.
    const auto predicted = [&](double scale) { return typical * (scale / scale_) * (scale / scale_); };

    if (typical > budget) {
        const double aim = scale_ * std::sqrt(MISS_MARGIN * budget / typical);
        const double next = std::max(quantised(std::max(aim, scale_ - STEP_DOWN)), floor_);
        // Always at least one quantum down, or a frame just over budget would never move it.
        scale_ = std::max(std::min(next, quantised(scale_ - QUANTUM)), floor_);
        return;
    }
    const double larger = std::min(quantised(scale_ + STEP_UP), MAX_SCALE);
    if (larger > scale_ && predicted(larger) <= ROOM_TO_GROW * budget)
        scale_ = larger;
}
