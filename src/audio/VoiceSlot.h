#pragma once
// The mixer's state for one OpenAL source: which clip it plays, its group, looping and pause,
// and for streams the queue of decoded chunks. Voice handles reach it through the mixer.

#include "audio/MixerTypes.h"
#include "audio/Voice.h"

#include <AL/al.h>

#include <cstdint>
#include <deque>

class AudioClip;
class MixGroup;

class VoiceSlot {
public:
    // index: this slot's place in the mixer; marginFrames: how close to the end of a pass a
    // stream decides whether another pass follows.
    void begin(AudioClip* clip, bool startPaused, int index, int marginFrames);
    // Silences the source, hands a stream's buffers back and invalidates every handle to it.
    void end();
    // Refills a stream, counts loop passes and tells whether the sound has ended by itself.
    bool service();

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

private:
    struct Chunk {
        ALuint buffer;
        int frames;
        bool startsPass;   // the first chunk of a pass through the file
    };

    bool wantsAnotherPass() const { return loopMode == MIXER_LOOP_ON && loopCount != 0; }
    ALint state() const;
    void syncSampleLooping();
    void restartStream(long long frame);
    void unqueueProcessed();
    void fillStream();
    long long unplayedFrames() const;

    int slotIndex = -1;
    int margin = 0;
    bool started = false;       // playback has been asked for since the voice began
    int lastSampleOffset = 0;

    std::deque<Chunk> queue;
    bool passEnded = false;     // the decoder reached the end of the file in the current pass
    bool finished = false;      // no further pass will be decoded
    bool nextStartsPass = false;
    long long playedInPass = 0; // frames of this pass in chunks already unqueued
};
