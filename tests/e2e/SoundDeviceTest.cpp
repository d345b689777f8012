// A sound server that goes away mid-music and comes back, as when a USB headset is unplugged,
// a laptop resumes or the desktop's sound service restarts. The test runs its own PulseAudio in
// a private folder, with a null sink whose monitor parecord records: what a player would hear.

#include "GameProcess.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int recordRate = 44100;         // Hz, stereo 16-bit
constexpr double musicFloorDb = -50.0;    // RMS of a 50 ms window holding music
constexpr double comebackSeconds = 3.0;   // music again this soon after the server is back
constexpr double waitLimitSeconds = 60.0; // a guard against a hang, not a timing requirement

bool commandExists(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// PulseAudio with one null sink, answering on a socket in a folder of the test's own. The game
// and parecord reach it through PULSE_SERVER, which the test sets for its children.
class PrivateSoundServer {
public:
    explicit PrivateSoundServer(const std::string& folder) : folder(folder)
    {
        mkdir((folder + "/runtime").c_str(), 0700);
        setenv("PULSE_SERVER", ("unix:" + socket()).c_str(), 1);
    }
    ~PrivateSoundServer()
    {
        stop();
        unsetenv("PULSE_SERVER");
    }

    // Starts the server and waits until it answers; false when it does not.
    bool start()
    {
        run("pulseaudio --daemonize=yes -n --exit-idle-time=-1 --load=module-null-sink"
            " --load='module-native-protocol-unix auth-anonymous=1 socket="
            + socket() + "' --log-target=file:" + folder + "/server.log");
        const Clock::time_point asked = Clock::now();
        while (!answers() && secondsSince(asked) < waitLimitSeconds)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return answers();
    }
    void stop()
    {
        run("pulseaudio --kill");
        const Clock::time_point asked = Clock::now();
        while (answers() && secondsSince(asked) < waitLimitSeconds)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    bool answers() const { return run("pactl info") == 0; }
    std::string log() const
    {
        std::ifstream in(folder + "/server.log");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string socket() const { return folder + "/runtime/native"; }
    int run(const std::string& command) const
    {
        const std::string environment = "XDG_RUNTIME_DIR=" + folder + "/runtime HOME=" + folder;
        return std::system(("env " + environment + " " + command + " >/dev/null 2>&1").c_str());
    }

    std::string folder;
};

// What reaches the null sink, from start until stop: parecord's raw stereo 16-bit samples.
class SinkRecording {
public:
    SinkRecording(const std::string& path) : path(path)
    {
        pid = fork();
        if (pid == 0) {
            FILE* out = std::fopen(path.c_str(), "wb");
            if (!out)
                _exit(127);
            dup2(fileno(out), STDOUT_FILENO);
            execlp("parecord", "parecord", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
                   "--device=null.monitor", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~SinkRecording() { stop(); }

    void stop()
    {
        if (pid <= 0)
            return;
        kill(pid, SIGINT);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

    // RMS of each 50 ms window, in dB of full scale.
    std::vector<double> windowLevels() const
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<short> samples;
        short sample = 0;
        while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
            samples.push_back(sample);
        const std::size_t window = recordRate / 20 * 2;
        std::vector<double> levels;
        for (std::size_t start = 0; start + window <= samples.size(); start += window) {
            double sum = 0.0;
            for (std::size_t i = start; i < start + window; ++i)
                sum += double(samples[i]) * samples[i];
            levels.push_back(10.0 * std::log10(std::max(sum / double(window), 1e-9) / (32768.0 * 32768.0)));
        }
        return levels;
    }

private:
    std::string path;
    pid_t pid = -1;
};

// Seconds into the recording of the first window with music, or -1 when there is none.
double firstMusic(const std::vector<double>& levels)
{
    for (std::size_t i = 0; i < levels.size(); ++i)
        if (levels[i] > musicFloorDb)
            return double(i) / 20.0;
    return -1.0;
}

int countLines(const std::string& text, const std::string& start)
{
    int count = 0;
    for (std::size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1))
        count += at == 0 || text[at - 1] == '\n';
    return count;
}

TEST(SoundDevice, MusicComesBackWhenTheSoundServerRestarts)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    for (const char* tool : {"pulseaudio", "parecord", "pactl"})
        if (!commandExists(tool))
            GTEST_SKIP() << tool
                         << " is missing: scripts/install-deps.sh test installs pulseaudio and pulseaudio-utils";
    const std::string folder = GameProcess::copyRunDirectory();
    PrivateSoundServer server(folder);
    if (!server.start())
        GTEST_SKIP() << "no sound server could be started here: " << server.log();

    // OpenAL Soft through PulseAudio, as on a desktop.
    std::ofstream(folder + "/alsoft.conf") << "[general]\ndrivers = pulse\n";
    GameProcess game(folder, "ALSOFT_CONF=" + folder + "/alsoft.conf");
    ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
    ASSERT_GE(game.waitForTrace("sound", "intro"), 0) << game.output();
    {
        SinkRecording before(folder + "/before.raw");
        game.waitForTrace("fps", "", game.traceSize(), waitLimitSeconds);
        game.waitForTrace("fps", "", game.traceSize(), waitLimitSeconds);
        before.stop();
        ASSERT_GE(firstMusic(before.windowLevels()), 0.0) << "the intro is heard before the restart";
    }

    server.stop();
    const int lost = game.waitForTrace("sound-device", "lost", 0, waitLimitSeconds);
    ASSERT_GE(lost, 0) << game.output();
    // The game plays on meanwhile: frames go on being shown.
    ASSERT_GE(game.waitForTrace("fps", "", std::size_t(lost) + 1, waitLimitSeconds), 0);

    // Counted from the moment the server is started again: a little before it answers.
    const Clock::time_point back = Clock::now();
    ASSERT_TRUE(server.start()) << server.log();
    SinkRecording after(folder + "/after.raw");
    const double recordingFrom = secondsSince(back);
    ASSERT_GE(game.waitForTrace("sound-device", "back", std::size_t(lost), waitLimitSeconds), 0) << game.output();
    while (secondsSince(back) < comebackSeconds + 0.5)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    after.stop();
    const double heard = firstMusic(after.windowLevels());
    ASSERT_GE(heard, 0.0) << "no music after the server came back";
    EXPECT_LE(recordingFrom + heard, comebackSeconds) << "music again this many seconds after the server's return";
    std::printf("Music again %.2f s after the sound server's return\n", recordingFrom + heard);

    game.quit();
    EXPECT_EQ(game.waitForExit(exitLimitSeconds), 0);
    const std::string output = game.output();
    EXPECT_EQ(countLines(output, "Sound device lost: "), 1) << output;
    EXPECT_EQ(countLines(output, "Sound device back: "), 1) << output;
    GameProcess::removeDirectory(folder);
}

} // namespace
