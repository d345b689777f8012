#include "AudioTestKit.h"
#include "ManualClock.h"

#include "audio/Mixer.h"

#include <gtest/gtest.h>

using namespace audiotest;

namespace {

constexpr double pumpStep = 0.02; // s, one game frame of pumping

class MixerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(mixer.setOutput(MIXER_OUTPUT_LOOPBACK), MIXER_OK);
        ASSERT_EQ(mixer.init(8), MIXER_OK);
    }

    void run(double seconds)
    {
        for (double t = 0.0; t < seconds - 1e-9; t += pumpStep) {
            clock.advance(pumpStep);
            mixer.update();
        }
    }

    AudioClip* stream(const std::string& path)
    {
        AudioClip* clip = nullptr;
        EXPECT_EQ(mixer.createStream(path.c_str(), &clip), MIXER_OK);
        return clip;
    }

    AudioClip* sample(const std::string& path)
    {
        AudioClip* clip = nullptr;
        EXPECT_EQ(mixer.createSample(path.c_str(), &clip), MIXER_OK);
        return clip;
    }

    ManualClock clock{100.0};
    Mixer mixer;
};

TEST(MixerResultText, KnownAndUnknownCodes)
{
    EXPECT_STREQ(mixerResultText(MIXER_OK), "No errors.");
    EXPECT_STREQ(mixerResultText(MIXER_ERR_FILE_NOT_FOUND), "File not found.");
    EXPECT_STREQ(mixerResultText(23), "Unknown error.");
    EXPECT_STREQ(mixerResultText(-1), "Unknown error.");
}

TEST_F(MixerTest, BadFilesAreRefusedWithTheirReason)
{
    struct Case {
        std::string path;
        MixerResult expected;
    };
    const char header[] =
        "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0data\0\0\0\0";
    const Case cases[] = {
        {scratchDir() + "/absent.wav", MIXER_ERR_FILE_NOT_FOUND},
        {writeBytes("empty.wav", ""), MIXER_ERR_FILE_UNREADABLE},
        {writeBytes("garbage.wav", std::string(4096, '\x5a')), MIXER_ERR_FILE_UNREADABLE},
        {writeBytes("silent.wav", std::string(header, 44)), MIXER_ERR_FILE_EMPTY},
    };
    for (const Case& c : cases) {
        AudioClip* clip = reinterpret_cast<AudioClip*>(1);
        EXPECT_EQ(mixer.createStream(c.path.c_str(), &clip), c.expected) << c.path;
        EXPECT_EQ(clip, nullptr);
        clip = reinterpret_cast<AudioClip*>(1);
        EXPECT_EQ(mixer.createSample(c.path.c_str(), &clip), c.expected) << c.path;
        EXPECT_EQ(clip, nullptr);
    }
    Voice voice;
    EXPECT_EQ(mixer.play(nullptr, false, &voice), MIXER_ERR_INVALID_PARAM);
    EXPECT_TRUE(voice.isNull());
}

TEST_F(MixerTest, EndedStoppedAndReusedVoicesRefuseEveryCall)
{
    AudioClip* blip = sample(writeTone("blip.wav", 0.1, 0.2));
    Voice ended;
    ASSERT_EQ(mixer.play(blip, false, &ended), MIXER_OK);
    run(0.3);
    EXPECT_FALSE(ended.isAlive());

    // All eight voices are busy, so the next play takes the oldest effect over, not the music.
    AudioClip* music = stream(writeTone("music.wav", 1.0, 0.2));
    Voice song;
    ASSERT_EQ(mixer.play(music, true, &song), MIXER_OK);
    std::vector<Voice> busy(7);
    for (Voice& v : busy)
        ASSERT_EQ(mixer.play(blip, true, &v), MIXER_OK);
    Voice reused;
    ASSERT_EQ(mixer.play(blip, true, &reused), MIXER_OK);
    EXPECT_FALSE(busy[0].isAlive());
    EXPECT_TRUE(reused.isAlive());
    EXPECT_TRUE(song.isAlive());

    Voice stopped = busy[1];
    EXPECT_EQ(stopped.stop(), MIXER_OK);

    bool paused = false;
    unsigned position = 0;
    for (Voice stale : {ended, busy[0], stopped}) {
        EXPECT_EQ(stale.stop(), MIXER_ERR_INVALID_HANDLE);
        EXPECT_EQ(stale.setPaused(false), MIXER_ERR_INVALID_HANDLE);
        EXPECT_EQ(stale.setLoopCount(0), MIXER_ERR_INVALID_HANDLE);
        EXPECT_EQ(stale.setLoopMode(MIXER_LOOP_ON), MIXER_ERR_INVALID_HANDLE);
        EXPECT_EQ(stale.setPosition(0), MIXER_ERR_INVALID_HANDLE);
        EXPECT_EQ(stale.setGroup(nullptr), MIXER_ERR_INVALID_HANDLE);
        EXPECT_EQ(stale.setEndCallback([](Voice) {}), MIXER_ERR_INVALID_HANDLE);
        EXPECT_EQ(stale.paused(&paused), MIXER_ERR_INVALID_HANDLE);
        EXPECT_EQ(stale.position(&position), MIXER_ERR_INVALID_HANDLE);
    }
    // The voice that took a stale handle's slot is untouched by calls through that handle.
    EXPECT_TRUE(reused.isAlive());
    EXPECT_EQ(reused.paused(&paused), MIXER_OK);
    EXPECT_TRUE(paused);

    // Handles outlive the mixer's output safely too.
    mixer.release();
    EXPECT_EQ(reused.stop(), MIXER_ERR_INVALID_HANDLE);
}

TEST_F(MixerTest, StreamLoopCountsDecideThePasses)
{
    Recorder recorder(&mixer);
    AudioClip* tune = stream(writeTone("tune.wav", 0.5, 0.3));
    ASSERT_NE(tune, nullptr);

    // Forever: still sounding after four passes, with no gap at any loop point.
    Voice forever;
    ASSERT_EQ(mixer.play(tune, false, &forever), MIXER_OK);
    forever.setLoopMode(MIXER_LOOP_ON);
    forever.setLoopCount(-1);
    run(2.2);
    EXPECT_TRUE(forever.isAlive());
    EXPECT_GT(recorder.quietestWindow(0.05, 2.15, 0.01), 0.5f * recorder.peak(0.05, 2.15));
    forever.stop();

    // Two more passes, then the end callback fires once, at the end of the third pass.
    double started = recorder.seconds();
    double endedAt = -1.0;
    int calls = 0;
    Voice counted;
    ASSERT_EQ(mixer.play(tune, false, &counted), MIXER_OK);
    counted.setLoopMode(MIXER_LOOP_ON);
    counted.setLoopCount(2);
    counted.setEndCallback([&](Voice) {
        ++calls;
        endedAt = recorder.seconds();
    });
    run(2.5);
    EXPECT_EQ(calls, 1);
    EXPECT_NEAR(endedAt - started, 1.5, 0.05);
    EXPECT_FALSE(counted.isAlive());
    EXPECT_LT(recorder.peak(started + 1.6, recorder.seconds()), 1e-4f);
}

TEST_F(MixerTest, LoopCountZeroDuringAStreamEndsTheCurrentPass)
{
    Recorder recorder(&mixer);
    AudioClip* tune = stream(writeTone("pass.wav", 0.5, 0.3));
    Voice voice;
    ASSERT_EQ(mixer.play(tune, false, &voice), MIXER_OK);
    voice.setLoopMode(MIXER_LOOP_ON);
    double endedAt = -1.0;
    voice.setEndCallback([&](Voice) { endedAt = recorder.seconds(); });
    run(1.1);
    voice.setLoopCount(0);
    run(1.0);
    EXPECT_NEAR(endedAt, 1.5, 0.05);
}

TEST_F(MixerTest, PausedVoicesAreSilentAndGroupsScaleTheirVoices)
{
    Recorder recorder(&mixer);
    AudioClip* tune = stream(writeTone("quiet.wav", 1.0, 0.4));
    MixGroup* group = nullptr;
    ASSERT_EQ(mixer.createGroup(&group), MIXER_OK);

    Voice voice;
    ASSERT_EQ(mixer.play(tune, true, &voice), MIXER_OK);
    voice.setGroup(group);
    run(0.2);
    EXPECT_LT(recorder.peak(0.0, 0.2), 1e-6f);

    voice.setPaused(false);
    run(0.2);
    float full = recorder.peak(0.25, 0.4);
    EXPECT_GT(full, 0.1f);

    EXPECT_EQ(group->setVolume(0.5f), MIXER_OK);
    run(0.2);
    EXPECT_NEAR(recorder.peak(0.45, 0.6) / full, 0.5f, 0.03f);
    EXPECT_EQ(group->setVolume(1.5f), MIXER_ERR_INVALID_PARAM);
    float volume = 0.0f;
    group->volume(&volume);
    EXPECT_FLOAT_EQ(volume, 0.5f);
}

} // namespace
