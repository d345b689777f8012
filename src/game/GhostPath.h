#pragma once
// Grov's path through one flight, sampled at a fixed rate of game time from the launch to the
// last bounce: where he was, how he was turned and how far his animation had played. The
// best throw's path is kept in best-throw.ghost and replayed by the ghost in later flights,
// at the same game time since launch. Paused time passes no game time, so it is never sampled.
//
// The file is text:
//   grov-rage ghost 1
//   throw <metres> <YYYY-MM-DD> <HH:MM:SS>    the record this path belongs to
//   interval <seconds>                        between two samples
//   duration <seconds>                        from the launch to the last bounce
//   samples <count>
//   <x> <y> <z> <angle> <animation seconds>   one line per sample, the first at the launch
// Sample i lies at min(i x interval, duration) seconds after the launch.

#include "game/RecordTable.h"

#include <glm/glm.hpp>

#include <string>
#include <vector>

struct GhostPose {
    glm::vec3 position{0.0f};   // world units, Grov's feet
    float rotationAngle = 0.0f; // degrees about Grov's rotation axis
    double animationTime = 0.0; // seconds of the animation clock Grov was posed at
};

class GhostPath {
public:
    static constexpr double SAMPLE_INTERVAL = 1.0 / 30.0; // seconds of game time
    // Seconds of game time; a longer flight is kept up to here and the ghost stops there.
    static constexpr double MAX_SECONDS = 600.0;
    static constexpr std::size_t MAX_SAMPLES = std::size_t(MAX_SECONDS / SAMPLE_INTERVAL) + 2;
    // Bytes: a file of MAX_SAMPLES lines of the longest numbers the game writes fits.
    static constexpr std::size_t MAX_FILE_BYTES = MAX_SAMPLES * 100 + 1024;

    // Recording. start takes the pose at the launch; record takes the pose after gameDt more
    // seconds and adds the samples that fell in that step, placed on the straight line from
    // the pose before; finish adds the pose where the flight ended.
    void start(const GhostPose& atLaunch);
    void record(double gameDt, const GhostPose& now);
    void finish();

    // Replay: the pose seconds after the launch; false before the launch, after the end and
    // for an empty path, when there is nothing to draw.
    bool poseAt(double seconds, GhostPose& pose) const;

    bool empty() const { return samples.empty(); }
    std::size_t sampleCount() const { return samples.size(); }
    double duration() const { return length; }
    const std::vector<GhostPose>& poses() const { return samples; }

    // The file's text, naming the record the path belongs to.
    std::string toText(const ThrowRecord& owner) const;
    // Reads a file's text; false with the reason in problem when it is damaged, was written
    // at another rate or claims more than it holds.
    static bool fromText(const std::string& text, GhostPath& path, ThrowRecord& owner, std::string& problem);

private:
    void addSample(const GhostPose& pose);

    std::vector<GhostPose> samples;
    double length = 0.0;  // seconds from the launch to the last sample, the replay's end
    double elapsed = 0.0; // seconds recorded so far
    GhostPose last;       // the pose at elapsed
    bool recording = false;
};
