// grov-bench: starts the game's own code in a window of the configured size, plays one
// scripted throw at a fixed step of 1/60 s, draws the bare terrain from the camera pose of
// every frame right after it, and prints what it measured, one figure per line as
// "name: value unit". Run it from the run directory, like the game:
//   ./grov-bench [--frames N] [--terrain-every N] [--size WxH]
//                [--compare-culling | --compare-quality [--shots DIR]]
//
// --size opens a window of that many pixels instead of the one settings.txt asks for, so the
// sizes players meet (1024x768, a 1920x1080 screen) need no settings file of their own.
//
// Each bare terrain draw follows its game frame at once rather than in a second pass, so a
// machine whose load changes during the run still compares like with like. By default only
// every third frame gets one, which keeps a whole throw of some 1200 frames near two minutes
// in software GL.
//
// --compare-culling plays the same throw with terrain and model culling switched on and off on
// alternate frames (the game's rules do not depend on it), so both halves see the same machine
// load, and prints each state's median for both and their ratio instead of the bare terrain.
//
// --compare-quality does the same with QUALITY AUTO and FULL (AUTO's render scale adapting to
// its own frames only), and every so often draws one pose three ways, FULL, AUTO and AUTO at
// render scale 1, to say how close AUTO's picture stays to the reference. --shots DIR keeps the
// three pictures of one such pose per state there, as <state>-full.png, <state>-auto.png and
// <state>-auto-scale1.png.

#include "BareTerrain.h"
#include "FrameStats.h"
#include "PictureCompare.h"
#include "ManualClock.h"
#include "ScriptedGameWindow.h"
#include "ScriptedInput.h"
#include "ThrowScript.h"
#include "app/Settings.h"
#include "app/Window.h"
#include "audio/SoundSystem.h"
#include "game/GameLogic.h"
#include "game/World.h"
#include "render/SceneObject.h"
#include "render/Sprite.h"

#include <GL/glew.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Taken while the executable's globals are set up: the start of the process when /proc
// cannot tell.
const auto staticStart = std::chrono::steady_clock::now();

constexpr unsigned benchSeed = 1234;     // tank placement and sound choices repeat run to run
constexpr double frameStep = 1.0 / 60.0; // seconds of game and wall clock per frame
constexpr int safetyFrames = 3000;       // a throw that never ends still stops here
constexpr int defaultTerrainEvery = 3;   // frames per bare terrain draw
constexpr int comparePoseEvery = 25;     // frames per pose drawn three ways by --compare-quality
constexpr long maxWindowSide = 16384;    // pixels; beyond any screen and any GL's largest target

const char* const stateNames[] = {"aiming", "windup", "flight", "gameover"};

// Seconds since the kernel started this process (10 ms resolution), or since static
// initialisation when /proc/self/stat is not readable.
double secondsSinceProcessStart()
{
    const double sinceStatics = std::chrono::duration<double>(std::chrono::steady_clock::now() - staticStart).count();
    std::ifstream statFile("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    // The command name in parentheses may hold spaces; the fields after it are plain numbers.
    std::size_t nameEnd = stat.rfind(')');
    timespec now{};
    if (nameEnd == std::string::npos || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return sinceStatics;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    // starttime is field 22; the first field after the name is field 3.
    for (int index = 3; index <= 22 && fields >> field; ++index) {
        if (index != 22)
            continue;
        double started = std::strtod(field.c_str(), nullptr) / double(sysconf(_SC_CLK_TCK));
        double elapsed = double(now.tv_sec) + double(now.tv_nsec) * 1e-9 - started;
        // A kernel that counts the start on another clock gives nonsense; trust the statics then.
        if (elapsed >= sinceStatics && elapsed < sinceStatics + 60.0)
            return elapsed;
    }
    return sinceStatics;
}

// Processor time of the whole process, the GL driver's threads included.
double processSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// A whole decimal number from 1 to safetyFrames, or 0.
int frameCount(const char* text)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 1 && value <= safetyFrames ? int(value) : 0;
}

// "WxH" with both sides whole numbers from 1 to maxWindowSide, or false.
bool windowSize(const char* text, int& width, int& height)
{
    char* end = nullptr;
    const long w = std::strtol(text, &end, 10);
    if (end == text || *end != 'x')
        return false;
    const char* second = end + 1;
    const long h = std::strtol(second, &end, 10);
    if (end == second || *end != '\0' || w < 1 || h < 1 || w > maxWindowSide || h > maxWindowSide)
        return false;
    width = int(w);
    height = int(h);
    return true;
}

struct Options {
    ThrowScript::Plan plan;
    int width = 0; // from --size; 0 for the settings' window
    int height = 0;
    int terrainEvery = defaultTerrainEvery;
    bool compareCulling = false;
    bool compareQuality = false;
    std::string shots; // folder for the compared poses' pictures, none when empty
    bool alternates() const { return compareCulling || compareQuality; }
};

bool parseArguments(int argc, char** argv, Options& options)
{
    ThrowScript::Plan& plan = options.plan;
    int& terrainEvery = options.terrainEvery;
    plan.maxFrames = safetyFrames;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--compare-culling") == 0)
            options.compareCulling = true;
        else if (std::strcmp(argv[i], "--compare-quality") == 0)
            options.compareQuality = true;
        else if (hasValue && std::strcmp(argv[i], "--shots") == 0)
            options.shots = argv[++i];
        else if (hasValue && std::strcmp(argv[i], "--size") == 0) {
            if (!windowSize(argv[++i], options.width, options.height))
                return false;
        } else if (hasValue && std::strcmp(argv[i], "--frames") == 0)
            plan.maxFrames = frameCount(argv[++i]);
        else if (hasValue && std::strcmp(argv[i], "--terrain-every") == 0)
            terrainEvery = frameCount(argv[++i]);
        else
            return false;
        if (plan.maxFrames == 0 || terrainEvery == 0 || (options.compareCulling && options.compareQuality))
            return false;
    }
    return true;
}

void printFigure(const char* name, double value, const char* unit, int decimals)
{
    std::printf("%s: %.*f %s\n", name, decimals, value, unit);
}

void printTimes(const std::string& prefix, const TimeSummary& summary)
{
    printFigure((prefix + "_median").c_str(), summary.median * 1000.0, "ms", 1);
    printFigure((prefix + "_p95").c_str(), summary.p95 * 1000.0, "ms", 1);
}

void printRatio(const std::string& prefix, const TimeSummary& game, const TimeSummary& terrain)
{
    if (terrain.median > 0.0)
        printFigure((prefix + "_median_over_terrain").c_str(), game.median / terrain.median, "x", 2);
}

// The medians of one state (or all, state -1) with culling off and on, how many times faster
// culling makes it, and the frame rate its median frame gives with culling on.
void printCullingComparison(const std::string& prefix, const std::vector<FrameRecord>& records, int state)
{
    const TimeSummary off = summariseGame(records, state, 0);
    const TimeSummary on = summariseGame(records, state, 1);
    if (off.count == 0 || on.count == 0)
        return;
    printFigure((prefix + "_median_culling_off").c_str(), off.median * 1000.0, "ms", 1);
    printFigure((prefix + "_median_culling_on").c_str(), on.median * 1000.0, "ms", 1);
    if (on.median > 0.0) {
        printFigure((prefix + "_culling_speedup").c_str(), off.median / on.median, "x", 2);
        printFigure((prefix + "_fps_culling_on").c_str(), 1.0 / on.median, "fps", 1);
    }
    // Processor time over all threads: steadier than wall time while others share the machine.
    const TimeSummary cpuOff = summariseGame(records, state, 0, true);
    const TimeSummary cpuOn = summariseGame(records, state, 1, true);
    printFigure((prefix + "_cpu_median_culling_off").c_str(), cpuOff.median * 1000.0, "ms", 1);
    printFigure((prefix + "_cpu_median_culling_on").c_str(), cpuOn.median * 1000.0, "ms", 1);
    if (cpuOn.median > 0.0)
        printFigure((prefix + "_cpu_culling_speedup").c_str(), cpuOff.median / cpuOn.median, "x", 2);
}

// How far AUTO's pictures of a state's compared poses came from FULL's.
struct PoseErrors {
    PictureError adaptive; // AUTO at the scale it had reached against FULL
    PictureError unscaled; // AUTO at render scale 1 against FULL
};

// One state's (or all, state -1) medians with QUALITY AUTO and FULL, AUTO's 95th percentile,
// its render scale, and how close its pictures came to FULL's from the same poses.
void printQualityComparison(const std::string& prefix, const std::vector<FrameRecord>& records, int state,
                            const PoseErrors& errors)
{
    const TimeSummary full = summariseGame(records, state, 0);
    const TimeSummary automatic = summariseGame(records, state, 1);
    if (full.count == 0 || automatic.count == 0)
        return;
    printFigure((prefix + "_median_auto").c_str(), automatic.median * 1000.0, "ms", 1);
    printFigure((prefix + "_median_full").c_str(), full.median * 1000.0, "ms", 1);
    printFigure((prefix + "_p95_auto").c_str(), automatic.p95 * 1000.0, "ms", 1);
    std::vector<double> scales;
    for (const FrameRecord& record : records)
        if (record.variant == 1 && (state < 0 || record.state == state))
            scales.push_back(record.renderScale);
    printFigure((prefix + "_scale_auto").c_str(), median(scales), "x", 2);
    if (errors.adaptive.pictures() > 0) {
        printFigure((prefix + "_psnr").c_str(), errors.adaptive.psnr(), "dB", 1);
        printFigure((prefix + "_psnr_scale1").c_str(), errors.unscaled.psnr(), "dB", 1);
    }
}

// Draws the pose the world is in as FULL, as AUTO at its scale and as AUTO at scale 1, and
// adds each AUTO picture's difference from the FULL one. With a shots prefix, the three
// pictures are kept as files beginning with it.
void comparePose(World& world, const WindowSize& size, PoseErrors& errors, const std::string& shots)
{
    const auto draw = [&](const char* name) {
        world.render(frameStep);
        std::vector<std::uint8_t> picture = readBackBuffer(size.width, size.height);
        if (!shots.empty() && !writePng(shots + name + ".png", picture, size.width, size.height))
            std::fprintf(stderr, "grov-bench: could not write %s%s.png\n", shots.c_str(), name);
        return picture;
    };
    world.setQuality(RenderQuality::Full);
    const std::vector<std::uint8_t> reference = draw("-full");
    world.setQuality(RenderQuality::Auto);
    errors.adaptive.add(reference, draw("-auto"));
    world.pinRenderScale(1.0);
    errors.unscaled.add(reference, draw("-auto-scale1"));
    world.pinRenderScale(-1.0);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: grov-bench [--frames N] [--terrain-every N] [--size WxH]"
                     " [--compare-culling | --compare-quality [--shots DIR]]   (N from 1 to %d, W and H to %ld)\n",
                     safetyFrames, maxWindowSide);
        return 2;
    }
    const ThrowScript::Plan& plan = options.plan;
    if (!options.shots.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.shots, error);
        if (error)
            std::fprintf(stderr, "grov-bench: could not make the folder %s: %s\n", options.shots.c_str(),
                         error.message().c_str());
    }

    std::srand(benchSeed);
    Settings& settings = Settings::instance();
    // The game's input and clock seams, driven by the script instead of the window.
    ScriptedInput input;
    const bool sized = options.width > 0;
    if (!openScriptedGameWindow("grov-bench", !sized && settings.getInt("FULLSCREEN") != 0,
                                sized ? options.width : settings.getInt("WIDTH"),
                                sized ? options.height : settings.getInt("HEIGHT"), input))
        return 1;
    WindowSize size = framebufferSize();
    ManualClock clock(0.0);
    const GLubyte* rendererName = glGetString(GL_RENDERER);
    const std::string renderer = rendererName ? reinterpret_cast<const char*>(rendererName) : "unknown";

    ScriptedGame session = startScriptedGame();
    World* world = session.world;
    // Culling is compared on the reference picture, the whole strip at the window's resolution.
    if (options.compareCulling)
        world->setQuality(RenderQuality::Full);
    world->onResize(size.width, size.height);

    GameLogic* logic = world->gameLogicNow();
    ThrowScript script(plan);
    std::vector<FrameRecord> records;
    records.reserve(std::size_t(plan.maxFrames));
    double firstFrame = 0.0;
    double distance = 0.0;
    int blurredFrames = 0;
    PoseErrors poseErrors[4];
    std::srand(benchSeed);

    for (bool done = false; !done;) {
        FrameRecord record;
        record.state = logic->state();
        if (logic->wantsMotionBlur())
            ++blurredFrames;
        if (options.compareCulling) {
            // The first frame is drawn as the game draws it, with culling on.
            record.variant = records.size() % 2 == 0 ? 1 : 0;
            cullingEnabled = record.variant == 1;
        }
        if (options.compareQuality) {
            // AUTO first, as the game starts; every so often a pose drawn three ways instead.
            const bool comparing = records.size() % comparePoseEvery == comparePoseEvery - 1;
            record.variant = comparing ? -1 : records.size() % 2 == 0 ? 1 : 0;
            world->setQuality(record.variant == 0 ? RenderQuality::Full : RenderQuality::Auto);
            record.renderScale = world->renderScaleNow();
        }
        clock.advance(frameStep);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = processSeconds();
        if (options.compareQuality && record.variant < 0) {
            world->update(frameStep, frameStep);
            PoseErrors& errors = poseErrors[std::clamp(record.state, 0, 3)];
            // The second pose of a state: the first may come right at its start.
            const bool keep = !options.shots.empty() && errors.adaptive.pictures() == 1;
            comparePose(*world, size, errors,
                        keep ? options.shots + "/" + stateNames[std::clamp(record.state, 0, 3)] : std::string());
            world->finishFrame();
        } else {
            world->frame(frameStep, frameStep);
        }
        presentFrame();
        glFinish();
        record.gameSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        record.gameCpuSeconds = processSeconds() - cpuStart;
        // The render scale adapts as in the game, to AUTO's own frames only.
        if (options.compareQuality ? record.variant == 1 : !options.compareCulling)
            world->noteFrameTime(record.gameSeconds);
        if (records.empty())
            firstFrame = secondsSinceProcessStart();
        SoundSystem::instance()->update();
        if (!options.alternates() && records.size() % std::size_t(options.terrainEvery) == 0) {
            record.terrainSeconds = drawBareTerrain(*world);
            record.terrainDrawn = true;
        }
        records.push_back(record);

        const int state = logic->state();
        if (state == GameLogic::STATE_GAME_OVER && record.state != GameLogic::STATE_GAME_OVER)
            distance = logic->distance();
        ThrowScript::Action action = script.afterFrame(state);
        if (action.setArrow)
            logic->setArrowAngle(plan.arrowAngle);
        if (action.pressSpace)
            world->onThrow();
        done = action.done || !windowStillOpen();
    }

    const double peakRss = peakResidentMegabytes();
    cullingEnabled = true;

    // The game's own order of shutting down.
    shutDownScriptedGame(session);

    std::fflush(stdout);
    std::printf("renderer: %s\n", renderer.c_str());
    std::printf("window: %d x %d px\n", size.width, size.height);
    printFigure("first_frame", firstFrame, "s", 2);
    for (int state = 0; state < 4 && options.compareCulling; ++state)
        printCullingComparison(stateNames[state], records, state);
    if (options.compareCulling)
        printCullingComparison("frame", records, -1);
    for (int state = 0; state < 4 && options.compareQuality; ++state)
        printQualityComparison(stateNames[state], records, state, poseErrors[state]);
    if (options.compareQuality)
        printQualityComparison("frame", records, -1, PoseErrors());
    for (int state = 0; state < 4 && !options.alternates(); ++state) {
        const TimeSummary game = summariseGame(records, state);
        if (game.count == 0)
            continue;
        const TimeSummary terrain = summariseTerrain(records, state);
        const std::string name = stateNames[state];
        printTimes(name, game);
        if (terrain.count > 0) {
            printTimes(name + "_terrain", terrain);
            printRatio(name, game, terrain);
        }
    }
    const TimeSummary game = summariseGame(records, -1);
    if (!options.alternates()) {
        const TimeSummary terrain = summariseTerrain(records, -1);
        printTimes("frame", game);
        printTimes("terrain", terrain);
        printRatio("frame", game, terrain);
    }
    printFigure("peak_rss", peakRss, "MB", 0);
    printFigure("throw_distance", distance, "m", 2);
    std::printf("blurred_frames: %d\n", blurredFrames);
    std::printf("frames: %d\n", game.count);
    std::fflush(stdout);
    return 0;
}
