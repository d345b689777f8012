#include "audio/VoiceSlot.h"

#include "audio/AudioClip.h"
#include "audio/MixGroup.h"

#include <algorithm>

void VoiceSlot::begin(AudioClip* newClip, bool startPaused, int index, int marginFrames)
{
    inUse = true;
    clip = newClip;
    group = nullptr;
    loopCount = -1;
    loopMode = (clip->mode & MIXER_MODE_LOOP) ? MIXER_LOOP_ON : MIXER_LOOP_OFF;
    paused = startPaused;
    started = !startPaused;
    slotIndex = index;
    margin = marginFrames;
    queuedPasses = 0;
    onEnd = nullptr;
    follower = Follower();
    decoding = clip;
    followerReached = false;

    alSourcei(source, AL_LOOPING, AL_FALSE);
    if (clip->isStream()) {
        clip->streamVoice = slotIndex;
        restartStream(0);
    } else {
        alSourcei(source, AL_BUFFER, ALint(clip->sampleBuffer));
        syncSampleLooping();
    }
    applyGain();
    if (started)
        alSourcePlay(source);
}

void VoiceSlot::end()
{
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    dropQueue();
    if (clip && clip->isStream() && clip->streamVoice == slotIndex)
        clip->streamVoice = -1;
    cancelFollower();
    inUse = false;
    // The follower's handle was promised the next generation; it must not come alive later.
    generation += 2;
    clip = nullptr;
    decoding = nullptr;
    group = nullptr;
    onEnd = nullptr;
}

bool VoiceSlot::uses(const AudioClip* other) const
{
    if (clip == other || decoding == other || follower.clip == other)
        return true;
    for (const Chunk& chunk : queue)
        if (chunk.owner == other)
            return true;
    return false;
}

void VoiceSlot::dropQueue()
{
    for (const Chunk& chunk : queue)
        chunk.owner->freeBuffers.push_back(chunk.buffer);
    queue.clear();
    followerReached = false;
}

bool VoiceSlot::follow(AudioClip* next, MixGroup* nextGroup, int nextLoopCount)
{
    // One OpenAL queue holds buffers of one format only.
    if (!clip->isStream() || next->channels() != clip->channels() || next->sampleRate() != clip->sampleRate())
        return false;
    cancelFollower();
    follower.clip = next;
    follower.group = nextGroup;
    follower.loopCount = nextLoopCount < -1 ? -1 : nextLoopCount;
    next->streamVoice = slotIndex;
    // A piece that had decided to end may now run on into its follower.
    if (finished && decoding == clip)
        finished = false;
    fillStream();
    return true;
}

void VoiceSlot::cancelFollower()
{
    if (!follower.clip)
        return;
    if (decoding == follower.clip) {
        // Already partly queued: what is not yet heard cannot be taken back from the source,
        // so the voice ends with the follower's first chunk instead of carrying on into it.
        decoding = clip;
        finished = true;
    }
    if (follower.clip->streamVoice == slotIndex)
        follower.clip->streamVoice = -1;
    follower = Follower();
}

void VoiceSlot::takeOverFollower()
{
    if (clip->streamVoice == slotIndex)
        clip->streamVoice = -1;
    clip = follower.clip;
    clip->streamVoice = slotIndex;
    group = follower.group;
    onEnd = std::move(follower.onEnd);
    std::function<void()> onStart = std::move(follower.onStart);
    follower = Follower();
    ++generation;
    startSerial = 0;
    applyGain();
    if (onStart)
        onStart();
}

ALint VoiceSlot::state() const
{
    ALint value = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &value);
    return value;
}

VoiceService VoiceSlot::service()
{
    ALint now = state();
    if (clip->isStream()) {
        unqueueProcessed();
        // Every chunk of the piece has been heard and the follower's first one is next, or was
        // heard already when a long frame let the queue run dry.
        if (!queue.empty() && queue.front().startsPiece) {
            queue.front().startsPiece = false;
            followerReached = true;
        }
        if (followerReached && follower.clip && decoding == follower.clip) {
            followerReached = false;
            return VOICE_HANDED_OVER;
        }
        fillStream();
        if (now == AL_STOPPED && started && !paused) {
            // The queue ran dry before the next chunk arrived (a long frame): carry on from it.
            if (!queue.empty()) {
                alSourcePlay(source);
                return VOICE_PLAYING;
            }
            return finished ? VOICE_ENDED : VOICE_PLAYING;
        }
        return VOICE_PLAYING;
    }

    // Endless loops go through AL_LOOPING; a limited count is a queue of the passes, and each
    // pass heard comes back as one processed buffer, so none is missed however long a frame.
    if (queuedPasses > 0) {
        ALint processed = 0;
        alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
        for (; processed > 0 && queuedPasses > 0; --processed) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(source, 1, &buffer);
            --queuedPasses;
            if (loopCount > 0)
                --loopCount;
        }
        queueSamplePasses();
    }
    return now == AL_STOPPED && started && !paused ? VOICE_ENDED : VOICE_PLAYING;
}

void VoiceSlot::setGroup(MixGroup* newGroup)
{
    group = newGroup;
    applyGain();
}

void VoiceSlot::applyGain()
{
    float gain = 1.0f;
    if (group)
        group->volume(&gain);
    alSourcef(source, AL_GAIN, gain);
}

void VoiceSlot::setLoopCount(int count)
{
    // Every pass of a piece is queued once its follower is being read: nothing left to decide.
    if (decoding != clip)
        return;
    loopCount = count < -1 ? -1 : count;
    if (clip->isStream()) {
        // A stream that had decided to stop may go on after all, until its last chunk is heard.
        if (finished && passEnded && wantsAnotherPass())
            finished = false;
        fillStream();
    } else {
        syncSampleLooping();
    }
}

void VoiceSlot::setLoopMode(MixerLoopMode mode)
{
    loopMode = mode;
    setLoopCount(loopCount);
}

void VoiceSlot::setPaused(bool pause)
{
    paused = pause;
    queuedFrom = -1;
    ALint now = state();
    if (pause) {
        if (now == AL_PLAYING)
            alSourcePause(source);
        return;
    }
    started = true;
    if (now != AL_PLAYING)
        alSourcePlay(source);
}

void VoiceSlot::setPosition(long long frame)
{
    if (clip->isStream()) {
        // A song starting asks for its start, which begin has just queued: decode it once.
        if (!started && queuedFrom == frame)
            return;
        restartStream(frame);
        if (started && !paused)
            alSourcePlay(source);
        return;
    }
    alSourcei(source, AL_SAMPLE_OFFSET, ALint(frame));
}

long long VoiceSlot::positionFrames() const
{
    ALint offset = 0;
    alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
    // Passes of a counted loop heard since the last service still stand in the queue.
    if (!clip->isStream())
        return clip->frames() > 0 ? offset % clip->frames() : offset;
    long long position = playedInPass;
    long long remaining = offset;
    for (const Chunk& chunk : queue) {
        if (chunk.startsPass)
            position = 0;
        if (remaining < chunk.frames)
            return position + remaining;
        position += chunk.frames;
        remaining -= chunk.frames;
    }
    return position;
}

void VoiceSlot::syncSampleLooping()
{
    const bool counted = loopMode == MIXER_LOOP_ON && loopCount > 0;
    if (!counted && queuedPasses == 0) {
        alSourcei(source, AL_LOOPING, wantsAnotherPass() ? AL_TRUE : AL_FALSE);
        return;
    }
    // The source is rebuilt from where it stands: this pass, then what the count asks for.
    ALint offset = 0;
    alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
    const ALint now = state();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    alSourcei(source, AL_LOOPING, AL_FALSE);
    queuedPasses = 0;
    if (counted) {
        queueSamplePasses();
    } else {
        alSourcei(source, AL_BUFFER, ALint(clip->sampleBuffer));
        alSourcei(source, AL_LOOPING, wantsAnotherPass() ? AL_TRUE : AL_FALSE);
    }
    const long long frames = clip->frames();
    alSourcei(source, AL_SAMPLE_OFFSET, frames > 0 ? ALint(offset % frames) : 0);
    if (now == AL_PLAYING)
        alSourcePlay(source);
}

void VoiceSlot::queueSamplePasses()
{
    // The pass playing and every pass still owed, a few at a time for large counts.
    const int owed = loopCount < 0 ? 0 : loopCount + 1;
    while (queuedPasses < std::min(owed, maxQueuedPasses)) {
        alSourceQueueBuffers(source, 1, &clip->sampleBuffer);
        ++queuedPasses;
    }
}

void VoiceSlot::restartStream(long long frame)
{
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    dropQueue();
    // Jumping back into the piece reads the follower again from its start, later.
    decoding = clip;
    passEnded = false;
    finished = !clip->seekFrame(frame);
    nextStartsPass = frame == 0;
    playedInPass = frame;
    fillStream();
    queuedFrom = frame;
}

void VoiceSlot::unqueueProcessed()
{
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0 && !queue.empty()) {
        Chunk chunk = queue.front();
        queue.pop_front();
        ALuint buffer = chunk.buffer;
        alSourceUnqueueBuffers(source, 1, &buffer);
        chunk.owner->freeBuffers.push_back(buffer);
        if (chunk.startsPiece)
            followerReached = true;
        if (chunk.startsPass)
            playedInPass = 0;
        playedInPass += chunk.frames;
    }
}

long long VoiceSlot::unplayedFrames() const
{
    long long queued = 0;
    for (const Chunk& chunk : queue)
        queued += chunk.frames;
    ALint offset = 0;
    alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
    return queued - offset;
}

void VoiceSlot::fillStream()
{
    while (!finished && !decoding->freeBuffers.empty()) {
        if (passEnded) {
            // Whether another pass follows is decided as late as the queue allows, so a loop
            // count set during a pass still ends the sound at the end of that pass.
            if (unplayedFrames() > margin)
                return;
            if (!wantsAnotherPass() || !decoding->seekFrame(0)) {
                if (!startFollower()) {
                    finished = true;
                    return;
                }
            } else if (loopCount > 0) {
                --loopCount;
            }
            passEnded = false;
            nextStartsPass = true;
        }
        int frames = decoding->decodeChunk();
        if (frames < decoding->chunkFrames)
            passEnded = true;
        if (frames == 0) {
            // A file that yields nothing from its start would loop on the spot forever.
            if (nextStartsPass)
                finished = true;
            continue;
        }
        ALuint buffer = decoding->freeBuffers.back();
        decoding->freeBuffers.pop_back();
        alBufferData(buffer, decoding->format(), decoding->scratch.data(),
                     ALsizei(frames * decoding->channels() * sizeof(short)), decoding->sampleRate());
        alSourceQueueBuffers(source, 1, &buffer);
        queue.push_back({buffer, frames, nextStartsPass, decoding, nextStartsPiece});
        nextStartsPass = false;
        nextStartsPiece = false;
    }
}

bool VoiceSlot::startFollower()
{
    if (!follower.clip || decoding == follower.clip || !follower.clip->seekFrame(0))
        return false;
    decoding = follower.clip;
    loopCount = follower.loopCount;
    loopMode = MIXER_LOOP_ON;
    nextStartsPiece = true;
    return true;
}
