#pragma once
// Order statistics of frame times, and the per-frame record the benchmark keeps: which state
// the game was in and how long the frame and its bare terrain took.

#include <vector>

struct FrameRecord {
    int state = 0;               // the game's state while the frame was updated
    double gameSeconds = 0.0;    // wall time of the whole game frame, swap included
    double gameCpuSeconds = 0.0; // processor time of the frame over all threads (the GL's too)
    bool terrainDrawn = false;   // the bare terrain is drawn after only some frames
    double terrainSeconds = 0.0; // wall time of the bare terrain draw from the same pose
    double renderScale = 1.0;    // the scene's share of the window's sides
    int variant = -1;            // 0 or 1 when the run switches culling or quality frame by frame
};

// The middle sample, or the mean of the two middle ones; 0 for no samples.
double median(std::vector<double> samples);
// The smallest sample with at least the given fraction (0 to 1) of the samples at or below
// it (nearest rank); 0 for no samples.
double percentile(std::vector<double> samples, double fraction);

struct TimeSummary {
    int count = 0;
    double median = 0.0; // seconds
    double p95 = 0.0;    // seconds
};

// Frames of one state, or of every state when state is negative; the terrain's summary counts
// only the frames after which it was drawn.
TimeSummary summariseGame(const std::vector<FrameRecord>& frames, int state);
// The same for the frames of one variant only (culling or quality off 0, on 1), in wall time or in
// processor time.
TimeSummary summariseGame(const std::vector<FrameRecord>& frames, int state, int variant, bool cpu = false);
TimeSummary summariseTerrain(const std::vector<FrameRecord>& frames, int state);
