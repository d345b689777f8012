#include "AudioTestKit.h"
#include "ManualClock.h"

#include "audio/MixGroup.h"
#include "audio/Mixer.h"
#include "audio/Song.h"
#include "audio/SoundEffect.h"
#include "audio/SoundSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include <unistd.h>

using namespace audiotest;

namespace {

constexpr double step = 0.02; // s, one game frame

// The real mixer on the loopback, as on a machine without a sound card, whose output can be
// made to fail to start.
class TestMixer : public Mixer {
public:
    static bool outputFails;
    static Mixer* make() { return new TestMixer(); }

    MixerResult driverCount(int* out) override
    {
        *out = 0;
        return MIXER_OK;
    }
    MixerResult init(int maxVoices) override { return outputFails ? MIXER_ERR_OUTPUT : Mixer::init(maxVoices); }
};

bool TestMixer::outputFails = false;

class SoundSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        TestMixer::outputFails = false;
        setMixerFactory(&TestMixer::make);
    }
    void TearDown() override
    {
        if (system)
            SoundSystem::destroy(system);
        setMixerFactory(nullptr);
    }

    SoundSystem* start()
    {
        system = SoundSystem::instance();
        return system;
    }

    // Pumps the sound system like the frame loop does.
    void run(double seconds, double frame = step)
    {
        for (double t = 0.0; t < seconds - 1e-9; t += frame) {
            clock.advance(frame);
            system->update();
        }
    }

    int voicesPlaying() const
    {
        int count = -1;
        count = system->mixer()->voicesPlaying();
        return count;
    }

    ManualClock clock{5.0};
    SoundSystem* system = nullptr;
};

TEST_F(SoundSystemTest, WithoutDriversTheNoSoundOutputIsChosen)
{
    testing::internal::CaptureStdout();
    start();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(system->mixer()->onLoopback());
    EXPECT_TRUE(system->mixer()->isStarted());
    EXPECT_NE(system->musicGroup(), nullptr);
    EXPECT_NE(system->effectsGroup(), nullptr);
    EXPECT_NE(system->musicGroup(), system->effectsGroup());
}

TEST_F(SoundSystemTest, AnOutputThatNeverStartsIsReportedOnceAndTheGameGoesOnSilent)
{
    TestMixer::outputFails = true;
    testing::internal::CaptureStdout();
    start();
    SoundEffect* effect = system->createSoundEffect(writeTone("silent.wav", 0.1, 0.3).c_str(), 0);
    for (int frame = 0; frame < 30; ++frame) {
        effect->play();
        system->update();
    }
    const std::string output = testing::internal::GetCapturedStdout();
    const std::string notReady = std::string("FMOD error! (") + std::to_string(MIXER_ERR_NOT_READY) + ")";
    std::size_t first = output.find(notReady);
    EXPECT_NE(first, std::string::npos) << output;
    // Loading and playing say it as well; the frame loop adds no line of its own after that.
    testing::internal::CaptureStdout();
    for (int frame = 0; frame < 30; ++frame)
        system->update();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(SoundSystemTest, AHeaderClaimingAnEnormousSoundLoadsOnlyWhatTheFileHolds)
{
    // A FLAC effect of 0.1 s whose stream header claims 2^36 samples (a day and a half).
    const std::string path = scratchDir() + "/enormous.flac";
    SF_INFO info = {};
    info.samplerate = wavRate;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << "libsndfile without FLAC";
    std::vector<short> tone(4410);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = short(8000.0 * std::sin(2.0 * M_PI * 400.0 * double(i) / wavRate));
    sf_writef_short(file, tone.data(), sf_count_t(tone.size()));
    sf_close(file);
    std::fstream patch(path, std::ios::in | std::ios::out | std::ios::binary);
    // "fLaC", the block header, then the stream info; its total sample count is the low 36
    // bits of the eight bytes from its offset 10.
    constexpr std::streamoff countAt = 4 + 4 + 13;
    char count[5] = {};
    patch.seekg(countAt);
    patch.read(count, 5);
    count[0] = char(count[0] | 0x0f);
    for (int i = 1; i < 5; ++i)
        count[i] = char(0xff);
    patch.seekp(countAt);
    patch.write(count, 5);
    patch.close();

    start();
    testing::internal::CaptureStdout();
    SoundEffect* effect = system->createSoundEffect(path.c_str(), 0);
    const std::string output = testing::internal::GetCapturedStdout();
    ASSERT_NE(effect->sound(), nullptr) << output;
    EXPECT_EQ(effect->sound()->frames(), 4410);
    EXPECT_NE(output.find(path), std::string::npos) << "the cut-short line names the file: " << output;
    Recorder recorder(system->mixer());
    effect->play();
    run(0.3);
    EXPECT_GT(recorder.peak(0.0, 0.1), 0.1f);
}

TEST_F(SoundSystemTest, AnOldSoundLayerEndsTheProgram)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    SoundSystem::requireVersion(SoundSystem::requiredVersion);
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            SoundSystem::requireVersion(0x44414);
        },
        testing::ExitedWithCode(255),
        "Error! You are using an old version of FMOD 279572\\. This program requires 279573\n");
}

TEST_F(SoundSystemTest, ErrorLinesCarryTheCodeAndItsText)
{
    testing::internal::CaptureStdout();
    SoundSystem::checkResult(0);
    SoundSystem::checkResult(23);
    SoundSystem::checkResult(MIXER_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FMOD error! (23) Unknown error.\nFMOD error! (5) File not found.\n");
}

TEST_F(SoundSystemTest, VolumesAreClampedAndUnknownGroupsIgnored)
{
    start();
    float music = -1.0f;
    float effects = -1.0f;
    system->setVolume(1.7f, MUSIC_GROUP);
    system->setVolume(-0.2f, EFFECTS_GROUP);
    system->musicGroup()->volume(&music);
    system->effectsGroup()->volume(&effects);
    EXPECT_FLOAT_EQ(music, 1.0f);
    EXPECT_FLOAT_EQ(effects, 0.0f);

    system->setVolume(0.4f, MUSIC_GROUP);
    system->setVolume(0.5f, 3);
    system->setVolume(0.5f, 0);
    system->musicGroup()->volume(&music);
    system->effectsGroup()->volume(&effects);
    EXPECT_FLOAT_EQ(music, 0.4f);
    EXPECT_FLOAT_EQ(effects, 0.0f);
}

TEST_F(SoundSystemTest, MutingSilencesEverythingWhileTheMusicChainGoesOn)
{
    start();
    Recorder recorder(system->mixer());
    Song* first = system->createSong(writeTone("first.wav", 0.4, 0.2).c_str(), 0);
    Song* next = system->createSong(writeTone("next.wav", 1.0, 0.2).c_str(), 0);
    SoundEffect* effect = system->createSoundEffect(writeTone("effect.wav", 0.3, 0.2).c_str(), 0);
    system->setVolume(0.4f, MUSIC_GROUP);
    Voice playing = first->play(false, 0);
    ASSERT_FALSE(next->playAfter(playing, 0).isNull());
    int endings = 0;
    playing.setEndCallback([&](Voice) { ++endings; });
    run(0.2);

    system->setMuted(true);
    EXPECT_TRUE(system->isMuted());
    // A volume set while muted waits for the unmuting.
    system->setVolume(0.5f, EFFECTS_GROUP);
    effect->play();
    run(0.6);
    EXPECT_EQ(endings, 1) << "the first piece ended while muted";
    ASSERT_TRUE(next->channel().isAlive());
    unsigned position = 0;
    next->channel().position(&position);
    EXPECT_NEAR(double(position), 400.0, 60.0) << "the next piece went on while muted";
    system->setMuted(false);
    run(0.7);
    effect->play();
    run(0.2);

    // Same-amplitude tones: the effects' group at 0.5 is 1.25 times the music's at 0.4.
    const float music = recorder.peak(0.05, 0.2);
    EXPECT_GT(music, 0.01f);
    EXPECT_LT(recorder.peak(0.25, 0.8), 1e-6f);
    EXPECT_NEAR(recorder.peak(0.85, 1.35) / music, 1.0f, 0.02f) << "the next piece heard where it had got to";
    EXPECT_NEAR(recorder.peak(1.55, 1.65) / music, 1.25f, 0.02f);
}

TEST_F(SoundSystemTest, MutingWithoutAnOutputIsHarmless)
{
    TestMixer::outputFails = true;
    testing::internal::CaptureStdout();
    start();
    system->setMuted(true);
    EXPECT_TRUE(system->isMuted());
    system->setMuted(false);
    EXPECT_FALSE(system->isMuted());
    testing::internal::GetCapturedStdout();
}

TEST_F(SoundSystemTest, SongsRestartButEffectsOverlapTwiceAsLoud)
{
    start();
    Recorder recorder(system->mixer());
    Song* song = system->createSong(writeTone("song.wav", 1.0, 0.2).c_str(), 0);
    SoundEffect* effect = system->createSoundEffect(writeTone("effect.wav", 0.5, 0.2).c_str(), 0);

    Voice first = song->play(false, -1);
    run(0.1);
    Voice second = song->play(false, -1);
    EXPECT_FALSE(first.isAlive());
    EXPECT_TRUE(second.isAlive());
    EXPECT_EQ(song->channel(), second);
    EXPECT_EQ(voicesPlaying(), 1);
    unsigned position = 99;
    second.position(&position);
    EXPECT_EQ(position, 0u);
    song->stop();
    EXPECT_TRUE(song->channel().isNull());
    EXPECT_EQ(voicesPlaying(), 0);

    effect->play();
    run(0.2);
    float once = recorder.peak(0.15, 0.3);
    run(0.5);
    effect->play();
    effect->play();
    EXPECT_EQ(voicesPlaying(), 2);
    run(0.2);
    float twice = recorder.peak(0.85, 1.0);
    EXPECT_GT(once, 0.05f);
    EXPECT_NEAR(twice / once, 2.0f, 0.05f);
}

TEST_F(SoundSystemTest, APausedSongWaitsAndAnEndedSongKeepsItsStaleChannel)
{
    start();
    Recorder recorder(system->mixer());
    Song* song = system->createSong(writeTone("short.wav", 0.3, 0.2).c_str(), 0);
    Voice channel = song->play(true, 0);
    bool paused = false;
    channel.paused(&paused);
    EXPECT_TRUE(paused);
    int endings = 0;
    channel.setEndCallback([&](Voice) { ++endings; });
    run(0.5);
    EXPECT_LT(recorder.peak(0.0, 0.5), 1e-6f);
    EXPECT_EQ(endings, 0);

    channel.setPaused(false);
    // The callback waits for update; it is not called from inside the play calls.
    run(0.2);
    EXPECT_EQ(endings, 0);
    run(0.2);
    EXPECT_EQ(endings, 1);
    EXPECT_GT(recorder.peak(0.5, 0.8), 0.05f);

    EXPECT_EQ(song->channel(), channel);
    EXPECT_FALSE(song->channel().isAlive());
    song->stop();
    EXPECT_TRUE(song->channel().isNull());
    EXPECT_EQ(endings, 1);
}

TEST_F(SoundSystemTest, TheMusicChainJoinsWithoutAGapAndCallsBackInOrder)
{
    start();
    Recorder recorder(system->mixer());
    Song* flight = system->createSong(writeTone("flight.wav", 0.4, 0.3).c_str(), 0);
    Song* inbetween = system->createSong(writeTone("inbetween.wav", 0.3, 0.2).c_str(), 0);
    Song* intro = system->createSong(writeTone("intro.wav", 1.0, 0.1).c_str(), 0);
    system->setVolume(0.4f, MUSIC_GROUP);

    // As the game chains its music: each piece queued behind the one playing, the next queued
    // when that one takes over.
    std::vector<std::string> calls;
    Voice playing = intro->play(false, -1);
    Voice queued = inbetween->playAfter(playing, 0);
    ASSERT_FALSE(queued.isNull());
    EXPECT_FALSE(queued.isAlive()) << "the bridge waits for the intro";
    double introEnded = -1.0;
    double inbetweenEnded = -1.0;
    playing.setEndCallback([&](Voice) {
        introEnded = recorder.seconds();
        calls.push_back("intro");
        EXPECT_TRUE(inbetween->channel().isAlive()) << "the bridge plays when the intro's end is told";
        Voice last = flight->playAfter(inbetween->channel(), -1);
        EXPECT_FALSE(last.isNull());
        inbetween->channel().setEndCallback([&](Voice) {
            inbetweenEnded = recorder.seconds();
            calls.push_back("inbetween");
        });
    });

    // Five frames a second, as on a slow software renderer.
    const double slowFrame = 0.2;
    run(1.2, slowFrame);
    EXPECT_LT(introEnded, 0.0);
    // The first SPACE: the intro finishes the pass it is in (its second), then the chain goes on.
    intro->channel().setLoopCount(0);
    run(2.2, slowFrame);
    EXPECT_EQ(calls, (std::vector<std::string>{"intro", "inbetween"}));
    // Told within the frame in which the next piece took over.
    EXPECT_NEAR(introEnded, 2.0, slowFrame + 0.03);
    EXPECT_NEAR(inbetweenEnded, 2.3, slowFrame + 0.03);
    EXPECT_TRUE(flight->channel().isAlive());

    float introLevel = recorder.peak(1.2, 1.95);
    EXPECT_NEAR(recorder.peak(2.05, 2.25) / introLevel, 2.0f, 0.1f);
    EXPECT_NEAR(recorder.peak(2.35, 3.4) / introLevel, 3.0f, 0.15f);
    // Not a millisecond of silence anywhere across both joins and the flight's loop points.
    EXPECT_GT(recorder.quietestWindow(1.0, 3.4, 0.001), 0.4f * introLevel);
    EXPECT_EQ(voicesPlaying(), 1);
}

TEST_F(SoundSystemTest, ReleasingAQueuedSongEndsTheVoiceThatHoldsItsBuffers)
{
    start();
    Song* first = system->createSong(writeTone("first.wav", 1.0, 0.2).c_str(), 0);
    Song* next = system->createSong(writeTone("next.wav", 1.0, 0.2).c_str(), 0);
    Voice playing = first->play(false, 0);
    ASSERT_FALSE(next->playAfter(playing, -1).isNull());
    // Near the first song's end the follower's chunks are already queued behind it.
    run(0.9);
    next->release();
    EXPECT_FALSE(playing.isAlive());
    run(0.5);
    first->release();
    EXPECT_EQ(voicesPlaying(), 0);
}

TEST_F(SoundSystemTest, MissingAndBrokenFilesAreReportedListedAndHarmless)
{
    start();
    std::string missing = scratchDir() + "/missing.wav";
    std::string broken = writeBytes("broken.wav", "RIFF not really");
    testing::internal::CaptureStdout();
    Song* song = system->createSong(missing.c_str(), 0);
    SoundEffect* effect = system->createSoundEffect(broken.c_str(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FMOD error! (5) File not found.\nSound not loaded: " + missing
                  + "\nFMOD error! (6) The file is not a sound file that can be read, or it is damaged.\n"
                    "Sound not loaded: "
                  + broken + "\n");
    ASSERT_EQ(system->resources().size(), 2u);
    EXPECT_EQ(system->resources()[0], song);
    EXPECT_EQ(system->resources()[1], effect);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(song->play(false, -1).isNull());
    EXPECT_EQ(song->channel().setLoopCount(0), MIXER_ERR_INVALID_HANDLE);
    song->stop();
    effect->play();
    run(0.1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(voicesPlaying(), 0);
}

TEST_F(SoundSystemTest, AFileCutShortIsNamedAndPlaysWhatIsThere)
{
    start();
    // The first half of a one-second tone: its header still promises the whole second.
    std::ifstream in(writeTone("whole.wav", 1.0, 0.3), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string cut = writeBytes("cut.wav", bytes.substr(0, bytes.size() / 2));
    testing::internal::CaptureStdout();
    Song* song = system->createSong(cut.c_str(), 0);
    SoundEffect* effect = system->createSoundEffect(cut.c_str(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sound cut short: " + cut + "\nSound cut short: " + cut + "\n");
    ASSERT_NE(effect->sound(), nullptr);
    EXPECT_NEAR(effect->sound()->lengthSeconds(), 0.5, 0.01);

    // A whole file says nothing.
    testing::internal::CaptureStdout();
    system->createSoundEffect(writeTone("fine.wav", 0.5, 0.3).c_str(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    EXPECT_FALSE(song->play(false, 0).isNull());
    effect->play();
    run(0.1);
    EXPECT_EQ(voicesPlaying(), 2);
}

TEST_F(SoundSystemTest, DestroyReleasesInOrderAndASecondSystemStartsFresh)
{
    start();
    Song* song = system->createSong(writeTone("again.wav", 0.5, 0.2).c_str(), 0);
    SoundEffect* effect = system->createSoundEffect(writeTone("again2.wav", 0.5, 0.2).c_str(), 0);
    Voice channel = song->play(false, -1);
    effect->play();
    SoundSystem::destroy(system);
    system = nullptr;
    EXPECT_EQ(song->sound(), nullptr);
    EXPECT_EQ(effect->sound(), nullptr);
    EXPECT_FALSE(channel.isAlive());
    // Late calls on the kept objects do nothing.
    EXPECT_TRUE(song->play(false, 0).isNull());
    effect->play();

    SoundSystem* second = start();
    EXPECT_EQ(SoundSystem::instance(), second);
    EXPECT_TRUE(second->resources().empty());
    EXPECT_TRUE(second->createSong(writeTone("fresh.wav", 0.5, 0.2).c_str(), 0)->play(false, 0).isAlive());
}

} // namespace

namespace {

// With the real mixer: on this machine there may or may not be a sound card, and either way
// neither OpenAL nor ALSA may talk on the console while the sound system starts and stops.
TEST(SoundSystemStartUp, TheRealMixerStartsAndStopsQuietly)
{
    ManualClock clock(1.0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    SoundSystem* system = SoundSystem::instance();
    Song* song = system->createSong(writeTone("quiet-start.wav", 0.2, 0.2).c_str(), 0);
    song->play(false, 0);
    clock.advance(0.5);
    system->update();
    SoundSystem::destroy(system);
    std::string printedErr = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(printedErr, "");
}

} // namespace
