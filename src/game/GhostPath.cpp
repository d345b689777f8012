#include "game/GhostPath.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

constexpr const char* MAGIC = "grov-rage ghost 1";
constexpr double SAME_TIME = 1e-9;       // seconds: two sample times this close are one
constexpr double FILE_TOLERANCE = 1e-6;  // seconds, for the rounding of the written numbers
constexpr double MAX_COORDINATE = 1.0e7; // world units; farther is damage, not a throw
constexpr double MAX_ANIMATION = 1.0e12; // seconds of animation clock

template <typename T>
T mix(const T& a, const T& b, double u)
{
    return T(a + (b - a) * u);
}

GhostPose between(const GhostPose& a, const GhostPose& b, double u)
{
    GhostPose pose;
    pose.position = glm::mix(a.position, b.position, float(u));
    pose.rotationAngle = mix(a.rotationAngle, b.rotationAngle, u);
    pose.animationTime = mix(a.animationTime, b.animationTime, u);
    return pose;
}

// A whole token as a finite number within limit: "nan", "inf", "1e999" and "12abc" fail.
bool parseNumber(const std::string& token, double limit, double& value)
{
    if (token.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(token.c_str(), &end);
    return errno == 0 && end == token.c_str() + token.size() && std::isfinite(value) && std::fabs(value) <= limit;
}

// "<word> <number>" with nothing after it.
bool parseField(const std::string& line, const char* word, double limit, double& value)
{
    std::istringstream in(line);
    std::string key;
    std::string number;
    std::string extra;
    return (in >> key >> number) && !(in >> extra) && key == word && parseNumber(number, limit, value);
}

bool parseSample(const std::string& line, GhostPose& pose)
{
    std::istringstream in(line);
    std::string token[5];
    std::string extra;
    for (std::string& t : token)
        if (!(in >> t))
            return false;
    if (in >> extra)
        return false;
    double value[5];
    for (int i = 0; i < 3; ++i)
        if (!parseNumber(token[i], MAX_COORDINATE, value[i]))
            return false;
    if (!parseNumber(token[3], 360.0 * 1e6, value[3]) || !parseNumber(token[4], MAX_ANIMATION, value[4]))
        return false;
    pose.position = glm::vec3(float(value[0]), float(value[1]), float(value[2]));
    pose.rotationAngle = float(value[3]);
    pose.animationTime = value[4];
    return true;
}

} // namespace

void GhostPath::start(const GhostPose& atLaunch)
{
    samples.clear();
    length = 0.0;
    elapsed = 0.0;
    last = atLaunch;
    recording = true;
    addSample(atLaunch);
}

void GhostPath::addSample(const GhostPose& pose)
{
    samples.push_back(pose);
}

void GhostPath::record(double gameDt, const GhostPose& now)
{
    if (!recording || !(gameDt > 0.0) || elapsed >= MAX_SECONDS)
        return;
    // A flight longer than the longest kept ends its path at MAX_SECONDS, where it stood then.
    const double step = std::min(gameDt, MAX_SECONDS - elapsed);
    const double u = step / gameDt;
    const GhostPose end = u < 1.0 ? between(last, now, u) : now;
    const double from = elapsed;
    const double to = elapsed + step;
    for (double t = double(samples.size()) * SAMPLE_INTERVAL; t <= to + SAME_TIME;
         t = double(samples.size()) * SAMPLE_INTERVAL)
        addSample(between(last, end, std::clamp((t - from) / step, 0.0, 1.0)));
    elapsed = to;
    last = end;
    length = double(samples.size() - 1) * SAMPLE_INTERVAL;
}

void GhostPath::finish()
{
    if (!recording)
        return;
    recording = false;
    // The flight's end seldom falls on a sample: it gets one of its own.
    if (elapsed > double(samples.size() - 1) * SAMPLE_INTERVAL + SAME_TIME)
        addSample(last);
    length = elapsed;
}

bool GhostPath::poseAt(double seconds, GhostPose& pose) const
{
    if (samples.empty() || !(seconds >= 0.0) || seconds > length)
        return false;
    const std::size_t index = std::min(std::size_t(seconds / SAMPLE_INTERVAL), samples.size() - 1);
    if (index + 1 >= samples.size()) {
        pose = samples.back();
        return true;
    }
    const double from = double(index) * SAMPLE_INTERVAL;
    const double to = std::min(double(index + 1) * SAMPLE_INTERVAL, length);
    const double u = to > from ? std::clamp((seconds - from) / (to - from), 0.0, 1.0) : 1.0;
    pose = between(samples[index], samples[index + 1], u);
    return true;
}

std::string GhostPath::toText(const ThrowRecord& owner) const
{
    std::string text = std::string(MAGIC) + "\n";
    text += "throw " + RecordTable::formatLine(owner) + "\n";
    char line[160];
    std::snprintf(line, sizeof line, "interval %.12f\nduration %.9f\nsamples %zu\n", SAMPLE_INTERVAL, length,
                  samples.size());
    text += line;
    for (const GhostPose& pose : samples) {
        std::snprintf(line, sizeof line, "%.4f %.4f %.4f %.3f %.6f\n", double(pose.position.x), double(pose.position.y),
                      double(pose.position.z), double(pose.rotationAngle), pose.animationTime);
        text += line;
    }
    return text;
}

bool GhostPath::fromText(const std::string& text, GhostPath& path, ThrowRecord& owner, std::string& problem)
{
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != MAGIC) {
        problem = "it is not a ghost file of this game";
        return false;
    }
    ThrowRecord record;
    if (!std::getline(in, line) || line.compare(0, 6, "throw ") != 0
        || RecordTable::parseLine(line.substr(6), record) != RecordTable::LINE_RECORD) {
        problem = "its throw line is damaged";
        return false;
    }
    double interval = 0.0;
    double duration = 0.0;
    double count = 0.0;
    if (!std::getline(in, line) || !parseField(line, "interval", 1.0, interval) || !std::getline(in, line)
        || !parseField(line, "duration", MAX_SECONDS + FILE_TOLERANCE, duration) || duration < 0.0
        || !std::getline(in, line) || !parseField(line, "samples", double(MAX_SAMPLES), count) || count < 1.0
        || count != std::floor(count)) {
        problem = "its header is damaged";
        return false;
    }
    if (std::fabs(interval - SAMPLE_INTERVAL) > FILE_TOLERANCE) {
        problem = "it was sampled at another rate";
        return false;
    }
    // The count must fit the duration: all but the last sample a whole interval apart, and
    // the last at the end.
    const std::size_t samples = std::size_t(count);
    const double lastRegular = double(samples - 1) * SAMPLE_INTERVAL;
    if (duration > lastRegular + FILE_TOLERANCE
        || (samples >= 2 && duration <= double(samples - 2) * SAMPLE_INTERVAL + FILE_TOLERANCE)) {
        problem = "its sample count does not fit its duration";
        return false;
    }

    GhostPath loaded;
    // Grows with the lines actually read, never with the count the file claims.
    while (loaded.samples.size() < samples && std::getline(in, line)) {
        GhostPose pose;
        if (!parseSample(line, pose)) {
            problem = "sample " + std::to_string(loaded.samples.size() + 1) + " is damaged";
            return false;
        }
        loaded.samples.push_back(pose);
    }
    if (loaded.samples.size() < samples) {
        problem = "it is cut short";
        return false;
    }
    while (std::getline(in, line))
        if (line.find_first_not_of(" \t\r") != std::string::npos) {
            problem = "it goes on after its last sample";
            return false;
        }
    loaded.length = duration;
    loaded.elapsed = duration;
    loaded.last = loaded.samples.back();
    path = std::move(loaded);
    owner = record;
    return true;
}
