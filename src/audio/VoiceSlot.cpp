#include "audio/VoiceSlot.h"

#include "audio/AudioClip.h"
#include "audio/MixGroup.h"

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
    lastSampleOffset = 0;
    onEnd = nullptr;

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
    if (clip && clip->isStream()) {
        for (const Chunk& chunk : queue)
            clip->freeBuffers.push_back(chunk.buffer);
        if (clip->streamVoice == slotIndex)
            clip->streamVoice = -1;
    }
    queue.clear();
    inUse = false;
    ++generation;
    clip = nullptr;
    group = nullptr;
    onEnd = nullptr;
}

ALint VoiceSlot::state() const
{
    ALint value = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &value);
    return value;
}

bool VoiceSlot::service()
{
    ALint now = state();
    if (clip->isStream()) {
        unqueueProcessed();
        fillStream();
        if (now == AL_STOPPED && started && !paused) {
            // The queue ran dry before the next chunk arrived (a long frame): carry on from it.
            if (!queue.empty()) {
                alSourcePlay(source);
                return false;
            }
            return finished;
        }
        return false;
    }

    // A sample loops through AL_LOOPING; a limited count is kept by watching the offset wrap.
    if (loopMode == MIXER_LOOP_ON && loopCount > 0 && now == AL_PLAYING) {
        ALint offset = 0;
        alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
        if (offset < lastSampleOffset) {
            --loopCount;
            syncSampleLooping();
        }
        lastSampleOffset = offset;
    }
    return now == AL_STOPPED && started && !paused;
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
        restartStream(frame);
        if (started && !paused)
            alSourcePlay(source);
        return;
    }
    alSourcei(source, AL_SAMPLE_OFFSET, ALint(frame));
    lastSampleOffset = int(frame);
}

long long VoiceSlot::positionFrames() const
{
    ALint offset = 0;
    alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
    if (!clip->isStream())
        return offset;
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
    alSourcei(source, AL_LOOPING, wantsAnotherPass() ? AL_TRUE : AL_FALSE);
}

void VoiceSlot::restartStream(long long frame)
{
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    for (const Chunk& chunk : queue)
        clip->freeBuffers.push_back(chunk.buffer);
    queue.clear();
    passEnded = false;
    finished = !clip->seekFrame(frame);
    nextStartsPass = frame == 0;
    playedInPass = frame;
    fillStream();
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
        clip->freeBuffers.push_back(buffer);
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
    while (!finished && !clip->freeBuffers.empty()) {
        if (passEnded) {
            // Whether another pass follows is decided as late as the queue allows, so a loop
            // count set during a pass still ends the sound at the end of that pass.
            if (unplayedFrames() > margin)
                return;
            if (!wantsAnotherPass() || !clip->seekFrame(0)) {
                finished = true;
                return;
            }
            if (loopCount > 0)
                --loopCount;
            passEnded = false;
            nextStartsPass = true;
        }
        int frames = clip->decodeChunk();
        if (frames < clip->chunkFrames)
            passEnded = true;
        if (frames == 0) {
            // A file that yields nothing from its start would loop on the spot forever.
            if (nextStartsPass)
                finished = true;
            continue;
        }
        ALuint buffer = clip->freeBuffers.back();
        clip->freeBuffers.pop_back();
        alBufferData(buffer, clip->format(), clip->scratch.data(),
                     ALsizei(frames * clip->channels() * sizeof(short)), clip->sampleRate());
        alSourceQueueBuffers(source, 1, &buffer);
        queue.push_back({buffer, frames, nextStartsPass});
        nextStartsPass = false;
    }
}
