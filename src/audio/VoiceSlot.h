#pragma once
// The mixer's state for one OpenAL source: which clip it plays, its group, looping and pause,
// and for streams the queue of decoded chunks. Voice handles reach it through the mixer.

#include "audio/MixerTypes.h"
#include "audio/Voice.h"

#include <AL/al.h>

#include <cstdint>
#include <deque>
#include <functional>

class AudioClip;
class MixGroup;

// A stream queued to follow the one playing on a voice, on the same source, so that its first
// sample comes right after the last one of the piece before it.
struct Follower {
    AudioClip* clip = nullptr; // null when nothing follows
    MixGroup* group = nullptr;
    int loopCount = 0;
    VoiceEndCallback onEnd;
    std::function<void()> onStart; // called when its first sample is heard
};

// What service found.
enum VoiceService {
    VOICE_PLAYING,
    VOICE_ENDED,       // the sound ended by itself
    VOICE_HANDED_OVER, // the piece ended and its follower now plays on this voice
};

class VoiceSlot {
public:
    // index: this slot's place in the mixer; marginFrames: how close to the end of a pass a
    // stream decides whether another pass follows.
    void begin(AudioClip* clip, bool startPaused, int index, int marginFrames);
    // Silences the source, hands a stream's buffers back and invalidates every handle to it.
    void end();
    // Refills a stream, counts loop passes and tells whether the sound has ended by itself or
    // has handed over to its follower.
    VoiceService service();
    // Queues a stream to follow this one; false when the formats differ, so no gapless join.
    bool follow(AudioClip* next, MixGroup* nextGroup, int nextLoopCount);
    void cancelFollower();
    // True when the voice plays, follows with or still holds buffers of the clip.
    bool uses(const AudioClip* other) const;
    // After VOICE_HANDED_OVER: makes the follower the voice's sound, with a new generation.
    void takeOverFollower();
    // How close to the end of a pass a stream decides whether another pass or piece follows.
    void setMargin(int marginFrames) { margin = marginFrames; }

    void setGroup(MixGroup* newGroup);
    void applyGain();
    void setLoopCount(int count);
    void setLoopMode(MixerLoopMode mode);
    void setPaused(bool pause);
    // frame must lie inside the clip.
    void setPosition(long long frame);
    long long positionFrames() const;

    ALuint source = 0;
    std::uint32_t generation = 1;
    bool inUse = false;
    std::uint64_t startSerial = 0;
    AudioClip* clip = nullptr;
    MixGroup* group = nullptr;
    int loopCount = -1;
    MixerLoopMode loopMode = MIXER_LOOP_OFF;
    bool paused = false;
    VoiceEndCallback onEnd;
    Follower follower;

private:
    struct Chunk {
        ALuint buffer;
        int frames;
        bool startsPass;  // the first chunk of a pass through the file
        AudioClip* owner; // the clip whose ring the buffer belongs to
        bool startsPiece; // the first chunk of the follower
    };

    bool wantsAnotherPass() const { return loopMode == MIXER_LOOP_ON && loopCount != 0; }
    ALint state() const;
    void syncSampleLooping();
    void queueSamplePasses();
    void restartStream(long long frame);
    // Hands every queued buffer back to the clip it came from and empties the queue.
    void dropQueue();
    void unqueueProcessed();
    void fillStream();
    // Moves the decoder on to the follower's start; false when there is none to read.
    bool startFollower();
    long long unplayedFrames() const;

    int slotIndex = -1;
    int margin = 0;
    bool started = false; // playback has been asked for since the voice began
    int queuedPasses = 0; // a sample with a loop count: its passes queued on the source
    static constexpr int maxQueuedPasses = 64;

    std::deque<Chunk> queue;
    bool passEnded = false; // the decoder reached the end of the file in the current pass
    bool finished = false;  // no further pass will be decoded
    bool nextStartsPass = false;
    long long playedInPass = 0; // frames of this pass in chunks already unqueued
    // The clip the decoder reads: the playing one, or its follower once all of the playing
    // one's passes are queued.
    AudioClip* decoding = nullptr;
    bool nextStartsPiece = false;
    bool followerReached = false; // the follower's first chunk is playing or has played
    long long queuedFrom = -1;    // the frame the untouched queue starts at, -1 once it played
};
