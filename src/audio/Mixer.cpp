#include "audio/Mixer.h"

#include "core/Clock.h"

#include <AL/al.h>

#include <algorithm>

namespace {

std::vector<Mixer*>& liveMixers()
{
    static std::vector<Mixer*> mixers;
    return mixers;
}

std::uint32_t nextSerial = 1;
MixerFactory mixerFactory = nullptr;

} // namespace

MixerResult createMixer(Mixer** out)
{
    if (!out)
        return MIXER_ERR_INVALID_PARAM;
    *out = mixerFactory ? mixerFactory() : new Mixer();
    return *out ? MIXER_OK : MIXER_ERR_BACKEND;
}

void setMixerFactory(MixerFactory factory)
{
    mixerFactory = factory;
}

Mixer::Mixer() : serial(nextSerial++)
{
    liveMixers().push_back(this);
}

Mixer::~Mixer()
{
    release();
    auto& mixers = liveMixers();
    mixers.erase(std::remove(mixers.begin(), mixers.end(), this), mixers.end());
}

Mixer* Mixer::find(std::uint32_t wanted)
{
    for (Mixer* mixer : liveMixers())
        if (mixer->serial == wanted)
            return mixer;
    return nullptr;
}

VoiceSlot* Mixer::resolve(const Voice& voice)
{
    if (voice.slot < 0 || voice.slot >= int(voices.size()))
        return nullptr;
    VoiceSlot& slot = voices[size_t(voice.slot)];
    if (!slot.inUse || slot.generation != voice.generation)
        return nullptr;
    out.makeCurrent();
    return &slot;
}

MixerResult Mixer::version(unsigned* result)
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    *result = MIXER_VERSION;
    return MIXER_OK;
}

MixerResult Mixer::driverCount(int* result)
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    // The default device is opened once to see that it really works (OpenAL lists ALSA's
    // default even on a machine without a card) and kept for init.
    if (!started && !probedDevice)
        probedDevice = OpenAlOutput::openDefaultDevice();
    bool hasDevice = probedDevice || (started && actualOutput == MIXER_OUTPUT_AUTO);
    *result = hasDevice ? std::max(1, OpenAlOutput::listedDeviceCount()) : 0;
    return MIXER_OK;
}

MixerResult Mixer::driverCaps(int driver, unsigned* caps, MixerSpeakerMode* speakerMode)
{
    int count = 0;
    driverCount(&count);
    if (driver < 0 || driver >= count)
        return MIXER_ERR_INVALID_PARAM;
    // OpenAL Soft always mixes in software at a latency it picks itself, and OpenAL 1.19 tells
    // nothing of the speakers behind a device; stereo is what every device accepts.
    if (caps)
        *caps = 0;
    if (speakerMode)
        *speakerMode = MIXER_SPEAKERS_STEREO;
    return MIXER_OK;
}

MixerResult Mixer::setOutput(MixerOutput output)
{
    if (started)
        return MIXER_ERR_ALREADY_STARTED;
    if (output != MIXER_OUTPUT_AUTO && output != MIXER_OUTPUT_LOOPBACK)
        return MIXER_ERR_INVALID_PARAM;
    requestedOutput = output;
    return MIXER_OK;
}

MixerResult Mixer::setSpeakerMode(MixerSpeakerMode mode)
{
    if (started)
        return MIXER_ERR_ALREADY_STARTED;
    if (mode < MIXER_SPEAKERS_MONO || mode > MIXER_SPEAKERS_7POINT1)
        return MIXER_ERR_INVALID_PARAM;
    speakers = mode;
    return MIXER_OK;
}

MixerResult Mixer::setMixBufferSize(unsigned frames, int count)
{
    if (started)
        return MIXER_ERR_ALREADY_STARTED;
    if (frames == 0 || count < 1)
        return MIXER_ERR_INVALID_PARAM;
    mixBufferFrames = frames;
    mixBufferCount = count;
    mixBufferChosen = true;
    return MIXER_OK;
}

MixerResult Mixer::init(int maxVoices, unsigned)
{
    if (started)
        return MIXER_ERR_ALREADY_STARTED;
    if (maxVoices < 1)
        return MIXER_ERR_INVALID_PARAM;

    MixerResult result = MIXER_OK;
    bool onDevice = false;
    if (requestedOutput == MIXER_OUTPUT_AUTO) {
        ALCdevice* device = probedDevice ? probedDevice : OpenAlOutput::openDefaultDevice();
        probedDevice = nullptr;
        if (device) {
            if (speakers != MIXER_SPEAKERS_STEREO) {
                probedDevice = device; // kept for a retry in stereo
                return MIXER_ERR_SPEAKER_MODE;
            }
            result = out.startDevice(device, mixBufferChosen ? int(mixBufferFrames) : 0, maxVoices);
            if (result != MIXER_OK)
                return result;
            actualOutput = MIXER_OUTPUT_AUTO;
            onDevice = true;
        }
    }
    // No device at all: mix on the loopback, as if a speaker were there.
    if (!onDevice) {
        result = out.startLoopback(loopbackRate, speakers, maxVoices);
        if (result != MIXER_OK)
            return result;
        actualOutput = MIXER_OUTPUT_LOOPBACK;
    }

    alGetError();
    voices.resize(size_t(maxVoices));
    for (size_t i = 0; i < voices.size(); ++i) {
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) {
            // OpenAL Soft has a source limit of its own; fewer voices are still usable.
            voices.resize(i);
            break;
        }
        // Game sounds are not placed in space: no panning, no distance attenuation.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        voices[i].source = source;
    }
    if (voices.empty()) {
        out.close();
        return MIXER_ERR_BACKEND;
    }
    clockAnchor = clockNow();
    renderedFrames = 0;
    started = true;
    return MIXER_OK;
}

MixerResult Mixer::update()
{
    if (!started)
        return MIXER_ERR_NOT_READY;
    // An end callback that pumps the mixer itself is already inside this update.
    if (inUpdate)
        return MIXER_OK;
    inUpdate = true;
    out.makeCurrent();
    adaptMargin();
    if (out.isLoopback())
        renderLoopback();
    else
        serviceVoices();
    inUpdate = false;
    return MIXER_OK;
}

void Mixer::adaptMargin()
{
    // A device plays on between two updates; the next pass or piece must be queued before
    // the queue runs dry, so the decision comes earlier the longer the frames take. The
    // longest recent gap counts, forgotten slowly once frames come quicker again.
    const double now = clockNow();
    if (lastUpdateAt > 0.0 && now > lastUpdateAt)
        updateGap = std::max(now - lastUpdateAt, updateGap * 0.98);
    lastUpdateAt = now;
    const double seconds = std::min(std::max(loopDecisionSeconds, updateGap * 2.5), maxDecisionSeconds);
    for (VoiceSlot& slot : voices)
        if (slot.inUse && slot.clip->isStream())
            slot.setMargin(int(seconds * slot.clip->sampleRate()));
}

MixerResult Mixer::playAfter(AudioClip* clip, const Voice& previous, MixGroup* group, int loopCount, Voice* result)
{
    if (result)
        *result = Voice();
    if (!started)
        return MIXER_ERR_NOT_READY;
    auto owned = std::find_if(clips.begin(), clips.end(),
                              [clip](const std::unique_ptr<AudioClip>& c) { return c.get() == clip; });
    if (!clip || owned == clips.end() || !clip->isStream())
        return MIXER_ERR_INVALID_PARAM;
    if (previous.mixerSerial != serial)
        return MIXER_ERR_INVALID_HANDLE;
    VoiceSlot* slot = resolve(previous);
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    if (slot->clip == clip)
        return MIXER_ERR_INVALID_PARAM;
    if (clip->streamVoice >= 0 && &voices[size_t(clip->streamVoice)] != slot)
        voices[size_t(clip->streamVoice)].end();
    if (!slot->follow(clip, group, loopCount))
        return MIXER_ERR_FORMAT;
    if (result)
        *result = Voice(serial, previous.slot, slot->generation + 1);
    return MIXER_OK;
}

Follower* Mixer::resolveFollower(const Voice& voice)
{
    if (voice.slot < 0 || voice.slot >= int(voices.size()))
        return nullptr;
    VoiceSlot& slot = voices[size_t(voice.slot)];
    if (!slot.inUse || !slot.follower.clip || slot.generation + 1 != voice.generation)
        return nullptr;
    return &slot.follower;
}

void Mixer::cancelFollower(const Voice& voice)
{
    if (resolveFollower(voice))
        voices[size_t(voice.slot)].cancelFollower();
}

void Mixer::renderLoopback()
{
    const int rate = out.rate();
    double now = clockNow();
    long long target = (long long)((now - clockAnchor) * rate);
    if (target < renderedFrames) {
        // The clock went back (a new clock was installed): carry on from here.
        clockAnchor = now - double(renderedFrames) / rate;
        target = renderedFrames;
    }
    long long maxBehind = (long long)(maxCatchUpSeconds * rate);
    if (target - renderedFrames > maxBehind)
        renderedFrames = target - maxBehind;

    // Streams refill and ends are seen after every block, so a sound ending inside a long
    // update calls back at its own time, not at the end of the update.
    serviceVoices();
    while (renderedFrames < target) {
        int frames = int(std::min<long long>(mixBufferFrames, target - renderedFrames));
        out.render(frames);
        renderedFrames += frames;
        serviceVoices();
    }
}

void Mixer::serviceVoices()
{
    struct Ended {
        VoiceEndCallback callback;
        Voice voice;
    };
    std::vector<Ended> ended;
    for (size_t i = 0; i < voices.size(); ++i) {
        VoiceSlot& slot = voices[i];
        if (!slot.inUse)
            continue;
        VoiceService service = slot.service();
        if (service == VOICE_PLAYING)
            continue;
        Voice handle(serial, int(i), slot.generation);
        VoiceEndCallback callback = std::move(slot.onEnd);
        if (service == VOICE_HANDED_OVER)
            slot.takeOverFollower();
        else
            slot.end();
        if (callback)
            ended.push_back({std::move(callback), handle});
    }
    // Called once the pool is settled: a callback may well start the next sound.
    for (Ended& entry : ended)
        entry.callback(entry.voice);
}

MixerResult Mixer::release()
{
    out.makeCurrent();
    for (VoiceSlot& slot : voices) {
        if (slot.inUse)
            slot.end();
        if (slot.source)
            alDeleteSources(1, &slot.source);
    }
    voices.clear();
    clips.clear();
    groups.clear();
    out.close();
    if (probedDevice) {
        alcCloseDevice(probedDevice);
        probedDevice = nullptr;
    }
    started = false;
    return MIXER_OK;
}

MixerResult Mixer::output(MixerOutput* result) const
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    *result = started ? actualOutput : requestedOutput;
    return MIXER_OK;
}

MixerResult Mixer::speakerMode(MixerSpeakerMode* result) const
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    *result = speakers;
    return MIXER_OK;
}

MixerResult Mixer::setStreamBufferSize(unsigned size, MixerTimeUnit unit)
{
    if (size == 0 || (unit != MIXER_UNIT_MS && unit != MIXER_UNIT_FRAMES && unit != MIXER_UNIT_BYTES))
        return MIXER_ERR_INVALID_PARAM;
    streamBufferSize = size;
    streamBufferUnit = unit;
    return MIXER_OK;
}

MixerResult Mixer::createStream(const char* path, unsigned mode, AudioClip** result)
{
    return openClip(path, mode, true, result);
}

MixerResult Mixer::createSample(const char* path, unsigned mode, AudioClip** result)
{
    return openClip(path, mode, false, result);
}

MixerResult Mixer::openClip(const char* path, unsigned mode, bool stream, AudioClip** result)
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    *result = nullptr;
    if (!path)
        return MIXER_ERR_INVALID_PARAM;
    if (!started)
        return MIXER_ERR_NOT_READY;
    out.makeCurrent();
    std::unique_ptr<AudioClip> clip(new AudioClip(this, mode));
    MixerResult opened = stream ? clip->openStream(path, streamBufferSize, streamBufferUnit) : clip->loadSample(path);
    if (opened != MIXER_OK)
        return opened;
    *result = clip.get();
    clips.push_back(std::move(clip));
    return MIXER_OK;
}

MixerResult Mixer::play(AudioClip* clip, bool paused, Voice* result)
{
    if (result)
        *result = Voice();
    if (!started)
        return MIXER_ERR_NOT_READY;
    // Compared by address only, so a clip released earlier is refused without being touched.
    auto owned = std::find_if(clips.begin(), clips.end(),
                              [clip](const std::unique_ptr<AudioClip>& c) { return c.get() == clip; });
    if (!clip || owned == clips.end())
        return MIXER_ERR_INVALID_PARAM;
    out.makeCurrent();

    if (clip->isStream() && clip->streamVoice >= 0)
        voices[size_t(clip->streamVoice)].end();
    // A free voice if there is one; otherwise the oldest effect gives way, and music only
    // when nothing but music is playing.
    auto givesWayBefore = [](const VoiceSlot& a, const VoiceSlot& b) {
        bool aStream = a.clip->isStream();
        bool bStream = b.clip->isStream();
        return aStream != bStream ? !aStream : a.startSerial < b.startSerial;
    };
    size_t chosen = voices.size();
    for (size_t i = 0; i < voices.size(); ++i) {
        if (!voices[i].inUse) {
            chosen = i;
            break;
        }
        if (chosen == voices.size() || givesWayBefore(voices[i], voices[chosen]))
            chosen = i;
    }
    VoiceSlot& slot = voices[chosen];
    if (slot.inUse)
        slot.end();

    alGetError();
    slot.startSerial = ++playSerial;
    slot.begin(clip, paused, int(chosen), int(loopDecisionSeconds * clip->sampleRate()));
    if (alGetError() != AL_NO_ERROR) {
        slot.end();
        return MIXER_ERR_BACKEND;
    }
    if (result)
        *result = Voice(serial, int(chosen), slot.generation);
    return MIXER_OK;
}

MixerResult Mixer::releaseClip(AudioClip* clip)
{
    auto owned = std::find_if(clips.begin(), clips.end(),
                              [clip](const std::unique_ptr<AudioClip>& c) { return c.get() == clip; });
    if (owned == clips.end())
        return MIXER_ERR_INVALID_PARAM;
    out.makeCurrent();
    // A voice may hold the clip as its follower, or buffers of it already queued: it ends too,
    // so nothing reaches the clip once it is gone.
    for (VoiceSlot& slot : voices)
        if (slot.inUse && slot.uses(clip))
            slot.end();
    clips.erase(owned);
    return MIXER_OK;
}

MixerResult Mixer::createGroup(MixGroup** result)
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    groups.push_back(std::unique_ptr<MixGroup>(new MixGroup(this)));
    *result = groups.back().get();
    return MIXER_OK;
}

void Mixer::applyGroupVolume(MixGroup* group)
{
    out.makeCurrent();
    for (VoiceSlot& slot : voices)
        if (slot.inUse && slot.group == group)
            slot.applyGain();
}

MixerResult Mixer::voicesPlaying(int* result) const
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    *result = int(std::count_if(voices.begin(), voices.end(), [](const VoiceSlot& s) { return s.inUse; }));
    return MIXER_OK;
}
