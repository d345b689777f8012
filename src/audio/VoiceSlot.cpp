#include "audio/VoiceSlot.h"

bool VoiceSlot::attach()
{
    alGetError();
    alGenSources(1, &source);
    alGenBuffers(ringSize, ring);
    if (alGetError() != AL_NO_ERROR)
        return false;
    // Game sounds are not placed in space: no panning, no distance attenuation.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    freeBuffers.assign(ring, ring + ringSize);
    if (inUse)
        load(resumeAt);
    return true;
}

void VoiceSlot::detach()
{
    if (inUse && !clip->isStream() && state() == AL_STOPPED && started && !paused)
        end(); // an effect that a lost device cut off is over
    resumeAt = inUse ? positionFrames() : 0;
    clearSource();
    alDeleteSources(1, &source);
    alDeleteBuffers(ringSize, ring);
}

void VoiceSlot::begin(AudioClip* newClip, bool startPaused, std::uint64_t serial)
{
    inUse = true;
    clip = reading = newClip;
    group = nullptr;
    loopCount = -1;
    looping = false;
    paused = startPaused;
    started = !startPaused;
    startSerial = serial;
    onEnd = nullptr;
    follower = Follower();
    load(0);
}

void VoiceSlot::load(long long frame)
{
    if (clip->isStream()) {
        restartStream(frame);
    } else {
        alSourcei(source, AL_BUFFER, ALint(clip->buffer()));
        alSourcei(source, AL_SAMPLE_OFFSET, ALint(frame));
    }
    applyGain();
    if (started && !paused)
        alSourcePlay(source);
}

void VoiceSlot::clearSource()
{
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    freeBuffers.assign(ring, ring + ringSize);
    queue.clear();
}

void VoiceSlot::end()
{
    clearSource();
    inUse = false;
    // The follower's handle was promised the next generation; it must not come alive later.
    generation += 2;
    clip = reading = nullptr;
    group = nullptr;
    onEnd = nullptr;
    follower = Follower();
    feed = Feed::Done;
}

ALint VoiceSlot::state() const
{
    ALint value = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &value);
    return value;
}

VoiceSlot::Service VoiceSlot::service(int marginFrames)
{
    margin = marginFrames;
    applyGain();
    const bool stopped = state() == AL_STOPPED && started && !paused;
    if (!clip->isStream())
        return stopped ? Service::Ended : Service::Playing;
    // Every chunk of the piece has been heard and the follower's first is next, or was heard
    // already when a long frame let the queue run dry.
    const bool pieceStarted = unqueuePlayed() || (!queue.empty() && queue.front().startsPiece);
    if (pieceStarted && follower.clip && reading == follower.clip) {
        if (!queue.empty())
            queue.front().startsPiece = false;
        return Service::HandedOver;
    }
    feedStream();
    // A queue that ran dry before the next chunk came (a long frame) carries on from it.
    if (stopped && !queue.empty())
        alSourcePlay(source);
    return stopped && queue.empty() && feed == Feed::Done ? Service::Ended : Service::Playing;
}

void VoiceSlot::takeOverFollower()
{
    clip = follower.clip;
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

bool VoiceSlot::follow(AudioClip* next, MixGroup* nextGroup, int nextLoopCount)
{
    // One OpenAL queue holds buffers of one format only.
    if (!clip->isStream() || next->format() != clip->format() || next->sampleRate() != clip->sampleRate()
        || reading != clip)
        return false;
    follower = Follower{next, nextGroup, nextLoopCount < -1 ? -1 : nextLoopCount, nullptr, nullptr};
    // A piece that had decided to end may now run on into its follower.
    if (feed == Feed::Done)
        feed = Feed::PassEnd;
    feedStream();
    return true;
}

void VoiceSlot::cancelFollower()
{
    if (follower.clip && reading == follower.clip)
        end();
    follower = Follower();
}

void VoiceSlot::applyGain()
{
    float gain = 1.0f;
    if (group)
        group->volume(&gain);
    alSourcef(source, AL_GAIN, gain);
}

void VoiceSlot::setGroup(MixGroup* newGroup)
{
    group = newGroup;
    applyGain();
}

void VoiceSlot::setLooping(bool loop)
{
    looping = loop;
    setLoopCount(loopCount);
}

void VoiceSlot::setLoopCount(int count)
{
    // Every pass of the piece is queued once its follower is being read: nothing left to decide.
    if (reading != clip || !clip->isStream())
        return;
    loopCount = count < -1 ? -1 : count;
    // A stream that had decided to stop may go on after all, while its last chunk plays.
    if (feed == Feed::Done && looping && loopCount != 0)
        feed = Feed::PassEnd;
    feedStream();
}

void VoiceSlot::setPaused(bool pause)
{
    paused = pause;
    started = started || !pause;
    const bool playing = state() == AL_PLAYING;
    if (pause && playing)
        alSourcePause(source);
    else if (!pause && !playing)
        alSourcePlay(source);
}

void VoiceSlot::setPosition(unsigned milliseconds)
{
    const long long frame = (long long)milliseconds * clip->sampleRate() / 1000;
    if (!clip->isStream()) {
        alSourcei(source, AL_SAMPLE_OFFSET, ALint(frame));
        return;
    }
    // A song starting asks for its start, which begin has just queued: decode it once.
    if (!started && frame == positionFrames())
        return;
    restartStream(frame);
    if (started && !paused)
        alSourcePlay(source);
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
        position = chunk.startsPass ? 0 : position;
        if (remaining < chunk.frames)
            return position + remaining;
        position += chunk.frames;
        remaining -= chunk.frames;
    }
    return position;
}

void VoiceSlot::restartStream(long long frame)
{
    clearSource();
    // Going back into the piece reads the follower again later, from its start. Every pass of
    // the piece had been queued by the time the follower was read.
    loopCount = reading == clip ? loopCount : 0;
    reading = clip;
    feed = clip->seek(frame) ? Feed::Reading : Feed::Done;
    nextStartsPass = frame == 0;
    nextStartsPiece = false;
    playedInPass = frame;
    feedStream();
}

bool VoiceSlot::unqueuePlayed()
{
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    bool pieceStarted = false;
    for (; processed > 0 && !queue.empty(); --processed) {
        Chunk chunk = queue.front();
        queue.pop_front();
        alSourceUnqueueBuffers(source, 1, &chunk.buffer);
        freeBuffers.push_back(chunk.buffer);
        pieceStarted = pieceStarted || chunk.startsPiece;
        playedInPass = (chunk.startsPass ? 0 : playedInPass) + chunk.frames;
    }
    return pieceStarted;
}

void VoiceSlot::feedStream()
{
    while (feed != Feed::Done && !freeBuffers.empty()) {
        if (feed == Feed::PassEnd) {
            // Decided as late as the queue allows, so a loop count set during a pass still
            // ends the sound at the end of that pass.
            long long unplayed = 0;
            for (const Chunk& chunk : queue)
                unplayed += chunk.frames;
            ALint offset = 0;
            alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
            if (unplayed - offset > margin)
                return;
            decideAfterPass();
            continue;
        }
        scratch.resize(size_t(reading->chunkFrames()) * reading->channels());
        const int frames = reading->decode(scratch.data());
        if (frames < reading->chunkFrames())
            feed = Feed::PassEnd;
        // A file that yields nothing from its start would loop on the spot forever.
        if (frames == 0 && nextStartsPass)
            feed = Feed::Done;
        if (frames == 0)
            continue;
        const ALuint buffer = freeBuffers.back();
        freeBuffers.pop_back();
        alBufferData(buffer, reading->format(), scratch.data(), ALsizei(frames * reading->channels() * sizeof(short)),
                     reading->sampleRate());
        alSourceQueueBuffers(source, 1, &buffer);
        queue.push_back({buffer, frames, nextStartsPass, nextStartsPiece});
        nextStartsPass = nextStartsPiece = false;
    }
}

void VoiceSlot::decideAfterPass()
{
    feed = Feed::Reading;
    nextStartsPass = true;
    if (looping && loopCount != 0 && reading->seek(0)) {
        loopCount -= loopCount > 0 ? 1 : 0;
    } else if (follower.clip && reading != follower.clip && follower.clip->seek(0)) {
        reading = follower.clip;
        loopCount = follower.loopCount;
        looping = true;
        nextStartsPiece = true;
    } else {
        feed = Feed::Done;
    }
}
