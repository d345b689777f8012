#pragma once
// How large the 3D scene is drawn, as a share of the window's width and height, so that a
// machine too slow to shade every pixel in time still gets a smooth game. It watches the frame
// times it is told of and moves the scale in small steps: down while frames take longer than
// the budget (at once after a few misses in a row, and as far as if only half of each frame
// shrank with the pixels, so a costlier scene is met quickly), up only when the frames are so
// short that even if all of their time were shading, the larger picture would still fit the
// budget with room to spare. A step up can therefore never cause the miss that would send it
// down again, and under a steady load the scale settles instead of swinging.
//
// How far down it may go depends on the window: a share of a small window's sides leaves too
// few pixels to read, while a large window keeps plenty at a smaller share. The floor keeps at
// least FLOOR_PIXELS in the scene, between LOWEST_SCALE and MIN_SCALE of the window's sides.
//
// The game's scenes (its states) differ in cost, and each comes round again every throw: a
// scene starts at the scale it was last left at, not at the one the scene before it ended on.

#include <map>
#include <vector>

class RenderScale {
public:
    static constexpr double MIN_SCALE = 0.6;              // the floor of small windows
    static constexpr double LOWEST_SCALE = 0.4;           // the floor of the largest windows
    static constexpr double FLOOR_PIXELS = 435.0 * 326.0; // 0.425 of a 1024 x 768 window's sides
    static constexpr double MAX_SCALE = 1.0;
    static constexpr double DEFAULT_BUDGET = 1.0 / 60.0; // seconds per frame: a 60 Hz screen's
    static constexpr int WINDOW_FRAMES = 8;              // frames judged together
    static constexpr double STEP_DOWN = 0.15;            // largest change in one judgement
    static constexpr double STEP_UP = 0.05;
    static constexpr double QUANTUM = 0.025; // scales are multiples of this

    explicit RenderScale(double budgetSeconds = DEFAULT_BUDGET);

    // One frame's wall time. Stalls of a second or more (loading, a minimised window, the
    // debugger) and times that are not finite say nothing about drawing and are ignored.
    void addFrame(double seconds);
    double scale() const { return scale_; }
    // No frames counted and the scale at startScale (kept in bounds), as after a change of
    // quality or when the renderer is known to be slow; no scene's scale is kept.
    void reset(double startScale = MAX_SCALE);

    // From now on the frames are of this scene: the scale becomes the one it was last left at
    // (none kept: the scale stays), and the frames counted so far are dropped.
    void enterScene(int scene);

    // The floor for a window of this many pixels; MIN_SCALE for sides that are not positive.
    static double floorFor(int width, int height);
    // The floor from now on, kept between LOWEST_SCALE and MIN_SCALE; a scale below it is
    // raised to it. The window has changed: the scales the scenes were left at are forgotten.
    void setFloor(double floor);
    double floor() const { return floor_; }

private:
    void judge();

    double budget;
    double scale_ = MAX_SCALE;
    double floor_ = MIN_SCALE;
    std::vector<double> frames;
    int scene_ = -1;
    std::map<int, double> leftAt; // scene -> scale when it was last left
};
