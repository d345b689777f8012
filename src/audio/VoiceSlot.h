#pragma once
// One OpenAL source of the mixer and the sound on it: a sample, or a stream that the slot
// decodes chunk by chunk into a small ring of buffers of its own, which another stream can
// follow without a gap. The mixer owns the slots; handles share them, so a handle never
// outlives the slot it checks.

#include "audio/Voice.h"

#include <AL/al.h>

#include <cstdint>
#include <deque>
#include <vector>

class AudioClip;
class MixGroup;

// A stream queued to follow the one playing on a voice, on the same source, so that its first
// sample comes right after the last one of the piece before it.
struct Follower {
    AudioClip* clip = nullptr; // null when nothing follows
    MixGroup* group = nullptr;
    int loopCount = 0;
    VoiceEndCallback onEnd;
    std::function<void()> onStart; // called when its first sample is next to be heard
};

class VoiceSlot {
public:
    // How a stream is fed. Reading -> PassEnd when a pass is all decoded; PassEnd -> Reading
    // for another pass or for the follower, or -> Done; Done -> PassEnd when a new loop count or
    // a follower asks for more while the queue still plays. Every state -> Reading on a jump.
    enum class Feed {
        Reading, // decoding a pass of the piece being read: the playing one, or its follower
        PassEnd, // that pass is all queued; what comes next is decided shortly before its end
        Done,    // nothing more is queued; the voice ends once its source has played it all
    };
    enum class Service {
        Playing,
        Ended,      // the sound ended by itself
        HandedOver, // the piece ended and its follower is next: call takeOverFollower
    };

    // Takes a source of the current output (and stream buffers); a sound it kept through
    // detach goes on from where it was.
    bool attach();
    // Frees the source and buffers before their output closes, noting where the sound stood.
    void detach();

    void begin(AudioClip* clip, bool startPaused, std::uint64_t serial);
    // Silences the source and invalidates every handle to it, a follower's too.
    void end();
    // Refills a stream and tells whether the sound ended or handed over. marginFrames: how
    // long before a pass ends it is decided what follows it.
    Service service(int marginFrames);
    void takeOverFollower();
    // Queues a stream to follow this one; false when the formats differ, so no gapless join.
    bool follow(AudioClip* next, MixGroup* nextGroup, int nextLoopCount);
    void cancelFollower();
    // True when the voice plays, reads or waits to follow with the clip.
    bool uses(const AudioClip* other) const;

    void applyGain();
    void setLoopCount(int count);
    void setPaused(bool pause);
    // frame must lie inside the clip.
    void setPosition(long long frame);
    long long positionFrames() const;

    std::uint32_t generation = 1;
    bool inUse = false;
    std::uint64_t startSerial = 0; // older sounds give way first
    AudioClip* clip = nullptr;
    MixGroup* group = nullptr;
    int loopCount = -1; // passes left of the piece being read
    bool looping = false;
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
    void restartStream(long long frame);
    void dropQueue();
    // Unqueues what the source has played; true when the follower's first chunk was among it.
    bool unqueuePlayed();
    void feedStream();
    void decideAfterPass();
    long long unplayedFrames() const;

    ALuint source = 0;
    ALuint ring[ringSize] = {};
    std::vector<ALuint> freeBuffers;
    std::vector<short> scratch;
    std::deque<Chunk> queue;
    Feed feed = Feed::Done;
    AudioClip* reading = nullptr; // the clip the decoder reads: clip, or follower.clip
    bool nextStartsPass = false;
    bool nextStartsPiece = false;
    long long playedInPass = 0; // frames of this pass in chunks already unqueued
    bool started = false;       // playback has been asked for since the sound began
    int margin = 0;
    long long resumeAt = 0; // frame to go on from after detach
};
