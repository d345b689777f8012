// grov-longrun: plays throw after throw of the game's own code at a fixed step in a small
// window, for as many minutes of game time as asked (30 by default), and watches what hours
// of play would show: resident memory after the first throw and at the end, GL errors after
// every frame, and the music chain still playing on the sound layer. Prints one figure per
// line as "name: value unit" and exits with 1 when a check fails. Run it from the run
// directory, like the game:
//   ./grov-longrun [--minutes M] [--step S] [--width W] [--height H]

#include "ManualClock.h"
#include "ScriptedGameWindow.h"
#include "ScriptedInput.h"
#include "app/Window.h"
#include "audio/Song.h"
#include "audio/SoundSystem.h"
#include "game/GameLogic.h"
#include "game/World.h"

#include <GL/glew.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

constexpr unsigned runSeed = 4711;          // the same throws run after run
constexpr double defaultStep = 1.0 / 30.0;  // s of game and wall clock per frame
constexpr double maxGrowthMegabytes = 5.0;  // resident growth allowed after the first throw
constexpr double throwLimitSeconds = 600.0; // game time a throw may take before it counts as stuck
constexpr int gameOverFrames = 45;          // frames on the result before SPACE
constexpr int diveAfterFrames = 40;         // flight frames before the one dive of a throw
constexpr double progressMinutes = 5.0;     // game time between progress lines

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Which piece of the music chain is playing, or nullptr when none is.
const char* playingSong(const GameLogic& logic)
{
    struct Piece {
        const char* name;
        Song* song;
    };
    const Piece pieces[] = {
        {"intro", logic.introSong()}, {"inbetween", logic.inbetweenSong()}, {"flight", logic.flightSong()}};
    for (const Piece& piece : pieces) {
        if (!piece.song)
            continue;
        Voice channel = piece.song->channel();
        bool paused = true;
        if (channel.isAlive() && channel.paused(&paused) == MIXER_OK && !paused)
            return piece.name;
    }
    return nullptr;
}

// The player: a short look at the wheel (longer or shorter from throw to throw, so the arrow
// stops at different powers), SPACE, one dive in flight, a moment on the result, SPACE again.
class Player {
public:
    // True when SPACE is to be pressed after the frame just played.
    bool pressAfter(int state)
    {
        if (state != lastState) {
            lastState = state;
            framesInState = 0;
            if (state == GameLogic::STATE_AIMING)
                aimingFrames = 10 + std::rand() % 30;
        }
        ++framesInState;
        switch (state) {
        case GameLogic::STATE_AIMING:
            return framesInState == aimingFrames;
        case GameLogic::STATE_FLIGHT:
            return framesInState == diveAfterFrames;
        case GameLogic::STATE_GAME_OVER:
            return framesInState == gameOverFrames;
        default:
            return false;
        }
    }

private:
    int lastState = -1;
    int framesInState = 0;
    int aimingFrames = 0;
};

bool readNumber(const char* text, double low, double high, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= low && value <= high;
}

bool parseArguments(int argc, char** argv, double& minutes, double& frameStep, int& width, int& height)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        double value = 0.0;
        if (std::strcmp(argv[i], "--minutes") == 0 && readNumber(argv[i + 1], 0.05, 24 * 60.0, value))
            minutes = value;
        else if (std::strcmp(argv[i], "--step") == 0 && readNumber(argv[i + 1], 0.001, 0.1, value))
            frameStep = value;
        else if (std::strcmp(argv[i], "--width") == 0 && readNumber(argv[i + 1], 16, 4096, value))
            width = int(value);
        else if (std::strcmp(argv[i], "--height") == 0 && readNumber(argv[i + 1], 16, 4096, value))
            height = int(value);
        else
            return false;
    }
    return argc % 2 == 1;
}

void printFigure(const char* name, double value, const char* unit, int decimals)
{
    std::printf("%s: %.*f %s\n", name, decimals, value, unit);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    double minutes = 30.0;
    int width = 320;
    int height = 240;
    double frameStep = defaultStep;
    if (!parseArguments(argc, argv, minutes, frameStep, width, height)) {
        std::fprintf(stderr,
                     "usage: grov-longrun [--minutes M] [--step S (0.001 to 0.1 s)] [--width W] [--height H]\n");
        return 2;
    }

    std::srand(runSeed);
    ScriptedInput input;
    if (!openScriptedGameWindow("grov-longrun", false, width, height, input))
        return 1;
    WindowSize size = framebufferSize();
    ManualClock clock(0.0);

    ScriptedGame session = startScriptedGame();
    World* world = session.world;
    world->onResize(size.width, size.height);
    SoundSystem::instance()->setVolume(0.4f, MUSIC_GROUP);
    GameLogic* logic = world->gameLogicNow();

    // Rounded up, so a step that does not divide the time still plays at least all of it.
    const long totalFrames = long(std::ceil(minutes * 60.0 / frameStep));
    const auto wallStart = std::chrono::steady_clock::now();
    Player player;
    long frames = 0;
    long glErrors = 0;
    GLenum firstError = GL_NO_ERROR;
    long firstErrorFrame = -1;
    int throws = 0;
    double longestThrow = 0.0;
    double throwStart = 0.0;
    double afterFirstThrow = 0.0;
    double peakAfterFirstThrow = 0.0;
    double distanceSum = 0.0;
    bool stuck = false;
    int previousState = logic->state();

    for (; frames < totalFrames && windowStillOpen() && !stuck; ++frames) {
        clock.advance(frameStep);
        world->frame(frameStep, frameStep);
        presentFrame();
        SoundSystem::instance()->update();
        for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
            if (glErrors++ == 0) {
                firstError = error;
                firstErrorFrame = frames;
            }
        }

        const int state = logic->state();
        const double now = double(frames + 1) * frameStep;
        if (state == GameLogic::STATE_GAME_OVER && previousState != GameLogic::STATE_GAME_OVER) {
            ++throws;
            distanceSum += logic->distance();
            longestThrow = std::max(longestThrow, now - throwStart);
        }
        if (state == GameLogic::STATE_AIMING && previousState == GameLogic::STATE_GAME_OVER) {
            throwStart = now;
            // Everything a throw loads or grows has been through once by now.
            if (throws == 1)
                afterFirstThrow = residentMegabytes();
        }
        if (throws >= 1 && afterFirstThrow > 0.0)
            peakAfterFirstThrow = std::max(peakAfterFirstThrow, residentMegabytes() - afterFirstThrow);
        stuck = now - throwStart > throwLimitSeconds;
        previousState = state;
        if ((frames + 1) % long(progressMinutes * 60.0 / frameStep) == 0)
            std::printf("progress: %.0f min, %d throws, %.1f MB resident\n", now / 60.0, throws, residentMegabytes());
        if (player.pressAfter(state))
            world->onThrow();
    }

    const double atEnd = residentMegabytes();
    const char* song = playingSong(*logic);
    const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

    shutDownScriptedGame(session);

    const double growth = afterFirstThrow > 0.0 ? atEnd - afterFirstThrow : 0.0;
    std::printf("window: %d x %d px\n", size.width, size.height);
    printFigure("game_time", double(frames) * frameStep / 60.0, "min", 1);
    printFigure("wall_time", wallSeconds / 60.0, "min", 1);
    printFigure("step", frameStep * 1000.0, "ms", 2);
    std::printf("frames: %ld\n", frames);
    std::printf("throws: %d\n", throws);
    printFigure("mean_distance", throws > 0 ? distanceSum / throws : 0.0, "m", 2);
    printFigure("longest_throw", longestThrow, "s", 1);
    printFigure("rss_after_first_throw", afterFirstThrow, "MB", 1);
    printFigure("rss_at_end", atEnd, "MB", 1);
    printFigure("rss_growth", growth, "MB", 2);
    printFigure("rss_peak_growth", peakAfterFirstThrow, "MB", 2);
    std::printf("gl_errors: %ld\n", glErrors);
    if (glErrors > 0)
        std::printf("first_gl_error: 0x%04x at frame %ld\n", unsigned(firstError), firstErrorFrame);
    std::printf("music_playing: %s\n", song ? song : "none");
    std::fflush(stdout);

    bool ok = true;
    if (throws < 1) {
        std::printf("FAILED: not one throw came to its end\n");
        ok = false;
    }
    if (stuck) {
        std::printf("FAILED: a throw went on for more than %.0f s of game time\n", throwLimitSeconds);
        ok = false;
    }
    if (growth >= maxGrowthMegabytes) {
        std::printf("FAILED: resident memory grew by %.2f MB after the first throw\n", growth);
        ok = false;
    }
    if (glErrors > 0) {
        std::printf("FAILED: %ld GL errors\n", glErrors);
        ok = false;
    }
    if (!song) {
        std::printf("FAILED: no music is playing\n");
        ok = false;
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}
