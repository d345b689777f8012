#pragma once
// One OpenAL source of the mixer and the sound on it: a sample, or a stream that the slot
// decodes chunk by chunk into a ring of buffers of its own, and that another stream can follow
// without a gap. The mixer owns the slots and shares them with their handles, so a handle never
// outlives what it checks; a slot calls nothing above it.

#include "audio/AudioClip.h"
#include "audio/MixGroup.h"

#include <AL/al.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

class Voice;

// Called from Mixer::update on the main thread when a voice's sound ends by itself (not when it
// is stopped or taken for another sound). The voice passed in has already ended.
using VoiceEndCallback = std::function<void(Voice ended)>;

// A stream queued to follow the one playing on a voice, on the same source.
struct Follower {
    AudioClip* clip = nullptr; // null when nothing follows
    MixGroup* group = nullptr;
    int loopCount = 0;
    VoiceEndCallback onEnd;
    std::function<void()> onStart; // called when its first sample is next to be heard
};

class VoiceSlot {
public:
    // How a stream is fed. Reading -> PassEnd once a pass is all decoded; PassEnd -> Reading
    // for another pass or for the follower, else -> Done; Done -> PassEnd when a loop count or a
    // follower asks for more while the source still plays. A jump restarts at Reading.
    enum class Feed {
        Reading, // decoding a pass of the piece being read: the playing one, or its follower
        PassEnd, // the pass is all queued; what comes next is decided shortly before it ends
        Done,    // nothing more is queued; the voice ends once its source has played it all
    };
    enum class Service { Playing, Ended, HandedOver };

    // Takes a source (and stream buffers) of the current output; a sound kept through detach
    // goes on from where it was. False when OpenAL has no source left.
    bool attach();
    // Frees the source and buffers before their output closes, noting where the sound stood.
    void detach();

    void begin(AudioClip* clip, bool startPaused, std::uint64_t serial);
    // Silences the source and invalidates every handle to it, a follower's too.
    void end();
    // Refills a stream and tells whether the sound ended or its follower is next (then call
    // takeOverFollower). marginFrames: how long before a pass ends it is decided what follows.
    Service service(int marginFrames);
    void takeOverFollower();
    // False when the formats differ (no gapless join), or a follower is already being read.
    bool follow(AudioClip* next, MixGroup* nextGroup, int nextLoopCount);
    // A follower already partly queued is part of the sound: the voice stops with it.
    void cancelFollower();
    bool uses(const AudioClip* other) const { return clip == other || reading == other || follower.clip == other; }

    void applyGain();
    void setGroup(MixGroup* newGroup);
    void setLoopCount(int count);
    void setLooping(bool loop);
    void setPaused(bool pause);
    void setPosition(unsigned milliseconds);
    unsigned position() const { return unsigned(positionFrames() * 1000 / clip->sampleRate()); }

    std::uint32_t generation = 1;
    bool inUse = false;
    std::uint64_t startSerial = 0; // older sounds give way first
    AudioClip* clip = nullptr;
    MixGroup* group = nullptr;
    int loopCount = -1; // passes left of the piece being read
    bool paused = false;
    VoiceEndCallback onEnd;
    Follower follower;

private:
    struct Chunk {
        ALuint buffer;
        int frames;
        bool startsPass;  // the first chunk of a pass through the file
        bool startsPiece; // the first chunk of the follower
    };
    static constexpr int ringSize = 4;

    ALint state() const;
    // Puts the sound on the source from frame on, playing unless it waits or is paused.
    void load(long long frame);
    // Stops the source and takes every buffer back.
    void clearSource();
    long long positionFrames() const;
    void restartStream(long long frame);
    // Unqueues what the source has played; true when the follower's first chunk was among it.
    bool unqueuePlayed();
    void feedStream();
    void decideAfterPass();

    ALuint source = 0;
    ALuint ring[ringSize] = {};
    std::vector<ALuint> freeBuffers;
    std::vector<short> scratch;
    std::deque<Chunk> queue;
    Feed feed = Feed::Done;
    AudioClip* reading = nullptr; // what the decoder reads: clip, or follower.clip
    bool looping = false;
    bool started = false; // playback has been asked for since the sound began
    bool nextStartsPass = false;
    bool nextStartsPiece = false;
    long long playedInPass = 0; // frames of this pass in chunks already unqueued
    int margin = 0;
    long long resumeAt = 0; // the frame to go on from after detach
};
