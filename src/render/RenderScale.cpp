#include "render/RenderScale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double STALL_SECONDS = 1.0;
constexpr double MISS_MARGIN = 0.95; // aim a step down at this share of the budget
constexpr double ROOM_TO_GROW = 0.8; // a step up must fit in this share of the budget
// A step down takes this share of a frame to shrink with the pixel count: the rest (the copy to
// the window, the HUD, the vertices) stays, so the scale must fall further than the whole
// frame's share would say.
constexpr double SHRINKING_SHARE = 0.5;
// This many frames in a row over the budget are judged at once, not at the end of the window.
constexpr int MISSES_IN_A_ROW = RenderScale::WINDOW_FRAMES / 2;

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
    // Missed frames show at once, a picture a little softer than it could be does not: a run of
    // misses (a costlier scene has come) goes down without waiting for the whole window.
    const bool missing = int(frames.size()) == MISSES_IN_A_ROW
        && std::all_of(frames.begin(), frames.end(), [this](double s) { return s > budget; });
    if (int(frames.size()) < WINDOW_FRAMES && !missing)
        return;
    judge();
    frames.clear();
}

void RenderScale::reset(double startScale)
{
    scale_ = std::isfinite(startScale) ? std::clamp(startScale, floor_, MAX_SCALE) : MAX_SCALE;
    frames.clear();
    leftAt.clear();
}

void RenderScale::enterScene(int scene)
{
    if (scene == scene_)
        return;
    leftAt[scene_] = scale_;
    scene_ = scene;
    const auto kept = leftAt.find(scene);
    if (kept != leftAt.end())
        scale_ = std::clamp(kept->second, floor_, MAX_SCALE);
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
    leftAt.clear();
}

void RenderScale::judge()
{
    // The median: one slow frame (a texture upload, another program's burst) is not a trend.
    const std::size_t middle = frames.size() / 2;
    std::nth_element(frames.begin(), frames.begin() + std::ptrdiff_t(middle), frames.end());
    const double typical = frames[middle];
    // Shading time grows with the pixel count, the square of the scale; taking all of a frame
    // as shading overstates what a larger picture costs and understates what a smaller saves.
    const auto predicted = [&](double scale) { return typical * (scale / scale_) * (scale / scale_); };

    if (typical > budget) {
        // The pixels' share of the frame must shrink by what the frame is over, and more.
        const double shrink = std::max(0.0, 1.0 - (1.0 - MISS_MARGIN * budget / typical) / SHRINKING_SHARE);
        const double aim = scale_ * std::sqrt(shrink);
        const double next = std::max(quantised(std::max(aim, scale_ - STEP_DOWN)), floor_);
        // Always at least one quantum down, or a frame just over budget would never move it.
        scale_ = std::max(std::min(next, quantised(scale_ - QUANTUM)), floor_);
        return;
    }
    const double larger = std::min(quantised(scale_ + STEP_UP), MAX_SCALE);
    if (larger > scale_ && predicted(larger) <= ROOM_TO_GROW * budget)
        scale_ = larger;
}
