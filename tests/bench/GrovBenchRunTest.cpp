// A short run of grov-bench from the run directory: it exits cleanly and prints every figure
// as "name: value unit". Only the form and the counts are checked; timings are the tool's
// business, not a test's.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace {

struct BenchRun {
    int exitCode = -1;
    std::string output; // standard output and standard error together
};

// A run directory of links to the game's data with a small window of its own: the figures'
// form does not depend on the size, and a small window keeps the software renderer quick.
struct SmallRunDirectory {
    SmallRunDirectory()
    {
        char pattern[] = "/tmp/grov-bench-test-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        made = pattern;
        path = made;
        const std::string command = "cd '" + path
            + "' && for entry in shader res assets; do ln -s '" GROV_GAME_DIR
              "'/$entry .; done && printf 'FULLSCREEN 0\\nWIDTH 320\\nHEIGHT 240\\n' > settings.txt";
        (void)std::system(command.c_str());
    }
    ~SmallRunDirectory()
    {
        if (!made.empty())
            (void)std::system(("rm -rf '" + made + "'").c_str());
    }
    std::string made; // empty when no folder could be made
    std::string path = "/tmp";
};

const std::string& smallRunDirectory()
{
    static const SmallRunDirectory dir;
    return dir.path;
}

// environment: "NAME=value " settings for the tool alone, or empty.
BenchRun runBench(const std::string& arguments, const std::string& environment = "")
{
    BenchRun run;
    const std::string command =
        "cd '" + smallRunDirectory() + "' && " + environment + "'" GROV_GAME_DIR "/grov-bench' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Every "name: number unit" line of the output (the game's own lines have no number there).
std::map<std::string, std::pair<double, std::string>> figures(const std::string& output)
{
    static const std::regex line(R"(^([a-z0-9_]+): (-?[0-9]+(?:\.[0-9]+)?)(?: ([A-Za-z]+))?$)");
    std::map<std::string, std::pair<double, std::string>> found;
    std::istringstream in(output);
    std::string text;
    std::smatch match;
    while (std::getline(in, text))
        if (std::regex_match(text, match, line))
            found[match[1]] = {std::stod(match[2]), match[3]};
    return found;
}

TEST(GrovBenchRunTest, AShortRunPrintsEveryFigureAndExitsCleanly)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";

    const BenchRun run = runBench("--frames 120");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto found = figures(run.output);

    // 120 frames: 30 of aiming, the 75 of the wind-up and the start of the flight.
    const std::pair<const char*, const char*> expected[] = {
        {"first_frame", "s"},
        {"aiming_median", "ms"},
        {"aiming_p95", "ms"},
        {"aiming_terrain_median", "ms"},
        {"aiming_median_over_terrain", "x"},
        {"windup_median", "ms"},
        {"windup_p95", "ms"},
        {"windup_median_over_terrain", "x"},
        {"flight_median", "ms"},
        {"flight_p95", "ms"},
        {"frame_median", "ms"},
        {"frame_p95", "ms"},
        {"terrain_median", "ms"},
        {"terrain_p95", "ms"},
        {"frame_median_over_terrain", "x"},
        {"peak_rss", "MB"},
    };
    for (const auto& [name, unit] : expected) {
        auto figure = found.find(name);
        ASSERT_NE(figure, found.end()) << name << " missing from:\n" << run.output;
        EXPECT_EQ(figure->second.second, unit) << name;
        EXPECT_GT(figure->second.first, 0.0) << name;
    }
    EXPECT_EQ(found.count("gameover_median"), 0u) << "no game over within 120 frames";
    ASSERT_EQ(found.count("frames"), 1u);
    EXPECT_EQ(found.at("frames").first, 120.0);
    // The last quarter second of the wind-up, give or take the rounding of its clock.
    EXPECT_NEAR(found.at("blurred_frames").first, 15.0, 1.0);
}

TEST(GrovBenchRunTest, TheCullingComparisonSplitsTheFramesBetweenOffAndOn)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";

    // A size of its own, whatever the run directory's settings say.
    const BenchRun run = runBench("--compare-culling --frames 6 --size 400x300");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("window: 400 x 300 px"), std::string::npos) << run.output;
    const auto found = figures(run.output);
    for (const char* name :
         {"aiming_median_culling_off", "aiming_median_culling_on", "aiming_culling_speedup", "aiming_fps_culling_on",
          "aiming_cpu_culling_speedup", "frame_culling_speedup", "first_frame", "peak_rss"}) {
        auto figure = found.find(name);
        ASSERT_NE(figure, found.end()) << name << " missing from:\n" << run.output;
        EXPECT_GT(figure->second.first, 0.0) << name;
    }
    // The bare terrain is not drawn in this mode, so it has no figures.
    EXPECT_EQ(found.count("terrain_median"), 0u);
    EXPECT_EQ(found.at("frames").first, 6.0);
}

TEST(GrovBenchRunTest, BadArgumentsGetTheUsageBeforeAnyWindowOpens)
{
    for (const char* arguments : {"--frames 0", "--compare-culling --frames 12x", "--frames", "--terrain-every -3",
                                  "--fast", "--size 640", "--size 0x480", "--size 640x480x2", "--size 99999x480"}) {
        // Without a display, a run that got past the arguments would fail to open its window
        // with exit code 1 instead.
        const BenchRun run = runBench(arguments, "DISPLAY= ");
        EXPECT_EQ(run.exitCode, 2) << arguments << "\n" << run.output;
        EXPECT_NE(run.output.find("usage: grov-bench"), std::string::npos) << arguments;
    }
}

} // namespace
