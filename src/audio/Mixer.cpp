#include "audio/Mixer.h"

#include "audio/VoiceSlot.h"
#include "core/Clock.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

Mixer* (*mixerFactory)() = nullptr;

} // namespace

MixerResult createMixer(Mixer** out)
{
    if (!out)
        return MIXER_ERR_INVALID_PARAM;
    *out = mixerFactory ? mixerFactory() : new Mixer();
    return MIXER_OK;
}

void setMixerFactory(Mixer* (*factory)())
{
    mixerFactory = factory;
}

Mixer::~Mixer()
{
    release();
}

MixerResult Mixer::version(unsigned* result) const
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
    // Opened once to see that it really works (OpenAL lists ALSA's default even on a machine
    // without a card), and kept for init.
    if (!started && !probed)
        probed = OpenAlOutput::openDefaultDevice();
    *result = probed || (started && !out.isLoopback()) ? 1 : 0;
    return MIXER_OK;
}

MixerResult Mixer::setOutput(MixerOutput output)
{
    if (started)
        return MIXER_ERR_ALREADY_STARTED;
    if (output != MIXER_OUTPUT_AUTO && output != MIXER_OUTPUT_LOOPBACK)
        return MIXER_ERR_INVALID_PARAM;
    requested = output;
    return MIXER_OK;
}

MixerResult Mixer::init(int maxVoices)
{
    if (started)
        return MIXER_ERR_ALREADY_STARTED;
    if (maxVoices < 1)
        return MIXER_ERR_INVALID_PARAM;
    ALCdevice* opened = std::exchange(probed, nullptr);
    if (requested == MIXER_OUTPUT_AUTO && !opened)
        opened = OpenAlOutput::openDefaultDevice();
    if (requested == MIXER_OUTPUT_LOOPBACK && opened) {
        alcCloseDevice(opened);
        opened = nullptr;
    }
    out = opened ? OpenAlOutput::onDevice(opened, maxVoices) : OpenAlOutput::onLoopback(loopbackRate, maxVoices);
    if (!out.isOpen())
        return opened ? MIXER_ERR_BACKEND : MIXER_ERR_OUTPUT;
    deviceWanted = !out.isLoopback();
    if (deviceWanted)
        device = out.name();
    out.makeCurrent();
    for (int i = 0; i < maxVoices; ++i) {
        auto slot = std::make_shared<VoiceSlot>();
        // OpenAL Soft has a source limit of its own; fewer voices are still usable.
        if (!slot->attach())
            break;
        voices.push_back(std::move(slot));
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
    watchDevice();
    adaptDecisionTime();
    if (out.isLoopback())
        renderLoopback();
    else
        serviceVoices();
    inUpdate = false;
    return MIXER_OK;
}

void Mixer::watchDevice()
{
    if (!out.isLoopback()) {
        if (out.connected())
            return;
        // Playing on silently keeps the music's place, its chain and every callback on time.
        moveTo(OpenAlOutput::onLoopback(loopbackRate, int(voices.size())));
        news = DeviceNews::LOST;
        nextSearchAt = clockNow() + searchSeconds;
        return;
    }
    if (!deviceWanted)
        return;
    if (search.valid()) {
        if (search.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        OpenAlOutput found = search.get();
        if (found.isOpen()) {
            moveTo(std::move(found));
            news = DeviceNews::BACK;
        }
        nextSearchAt = clockNow() + searchSeconds;
    } else if (clockNow() >= nextSearchAt) {
        const int sources = int(voices.size());
        search = std::async(std::launch::async,
                            [sources] { return OpenAlOutput::onDevice(OpenAlOutput::openDefaultDevice(), sources); });
    }
}

void Mixer::moveTo(OpenAlOutput next)
{
    for (auto& slot : voices)
        slot->detach();
    for (auto& clip : clips)
        clip->unload();
    out = std::move(next);
    out.makeCurrent();
    for (auto& clip : clips)
        clip->upload();
    for (auto& slot : voices)
        slot->attach();
    if (!out.isLoopback())
        device = out.name();
    clockAnchor = clockNow();
    renderedFrames = 0;
}

Mixer::DeviceNews Mixer::takeDeviceNews()
{
    return std::exchange(news, DeviceNews::NONE);
}

void Mixer::adaptDecisionTime()
{
    // A device plays on between two updates; the next pass or piece must be queued before the
    // queue runs dry, so the decision comes earlier the longer the frames take. The longest
    // recent gap counts, forgotten slowly once frames come quicker again.
    const double now = clockNow();
    if (lastUpdateAt > 0.0 && now > lastUpdateAt)
        updateGap = std::max(now - lastUpdateAt, updateGap * 0.98);
    lastUpdateAt = now;
    decisionSeconds = std::min(std::max(loopDecisionSeconds, updateGap * 2.5), maxDecisionSeconds);
}

void Mixer::renderLoopback()
{
    const int rate = out.rate();
    const double now = clockNow();
    long long target = (long long)((now - clockAnchor) * rate);
    if (target < renderedFrames) {
        // The clock went back (a new clock was installed): carry on from here.
        clockAnchor = now - double(renderedFrames) / rate;
        target = renderedFrames;
    }
    renderedFrames = std::max(renderedFrames, target - (long long)(maxCatchUpSeconds * rate));

    // Streams refill and ends are seen after every block, so a sound ending inside a long
    // update calls back at its own time, not at the end of the update.
    serviceVoices();
    while (renderedFrames < target) {
        const int frames = int(std::min<long long>(mixBlockFrames, target - renderedFrames));
        block.resize(size_t(frames) * 2);
        out.render(block.data(), frames);
        if (tap)
            tap(block.data(), frames, 2);
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
    for (auto& slot : voices) {
        if (!slot->inUse)
            continue;
        const VoiceSlot::Service service = slot->service(int(decisionSeconds * slot->clip->sampleRate()));
        if (service == VoiceSlot::Service::Playing)
            continue;
        Voice handle(slot, slot->generation);
        VoiceEndCallback callback = std::move(slot->onEnd);
        if (service == VoiceSlot::Service::HandedOver)
            slot->takeOverFollower();
        else
            slot->end();
        if (callback)
            ended.push_back({std::move(callback), handle});
    }
    // Called once the pool is settled: a callback may well start the next sound.
    for (Ended& entry : ended)
        entry.callback(entry.voice);
}

MixerResult Mixer::release()
{
    if (search.valid())
        search.get(); // a device it found closes with it
    out.makeCurrent();
    for (auto& slot : voices) {
        slot->end();
        slot->detach();
    }
    voices.clear();
    clips.clear();
    groups.clear();
    out.close();
    if (probed)
        alcCloseDevice(std::exchange(probed, nullptr));
    started = false;
    deviceWanted = false;
    return MIXER_OK;
}

MixerResult Mixer::output(MixerOutput* result) const
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    *result = !started ? requested : out.isLoopback() ? MIXER_OUTPUT_LOOPBACK : MIXER_OUTPUT_AUTO;
    return MIXER_OK;
}

MixerResult Mixer::setStreamBufferSize(unsigned bytes)
{
    if (bytes == 0)
        return MIXER_ERR_INVALID_PARAM;
    streamChunkBytes = bytes;
    return MIXER_OK;
}

MixerResult Mixer::createStream(const char* path, AudioClip** result)
{
    return openClip(path, true, result);
}

MixerResult Mixer::createSample(const char* path, AudioClip** result)
{
    return openClip(path, false, result);
}

MixerResult Mixer::openClip(const char* path, bool stream, AudioClip** result)
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    *result = nullptr;
    if (!path)
        return MIXER_ERR_INVALID_PARAM;
    if (!started)
        return MIXER_ERR_NOT_READY;
    out.makeCurrent();
    std::unique_ptr<AudioClip> clip;
    const MixerResult opened = AudioClip::open(path, stream, streamChunkBytes, &clip);
    if (opened != MIXER_OK)
        return opened;
    *result = clip.get();
    clips.push_back(std::move(clip));
    return MIXER_OK;
}

bool Mixer::owns(const AudioClip* clip) const
{
    // Compared by address only, so a clip released earlier is refused without being touched.
    return clip && std::any_of(clips.begin(), clips.end(), [clip](const auto& owned) { return owned.get() == clip; });
}

void Mixer::endVoicesUsing(const AudioClip* clip, const VoiceSlot* except)
{
    for (auto& slot : voices)
        if (slot.get() != except && slot->inUse && slot->uses(clip))
            slot->end();
}

MixerResult Mixer::releaseClip(AudioClip* clip)
{
    if (!owns(clip))
        return MIXER_ERR_INVALID_PARAM;
    out.makeCurrent();
    endVoicesUsing(clip);
    clips.erase(std::find_if(clips.begin(), clips.end(), [clip](const auto& owned) { return owned.get() == clip; }));
    return MIXER_OK;
}

MixerResult Mixer::play(AudioClip* clip, bool paused, Voice* result)
{
    if (result)
        *result = Voice();
    if (!started)
        return MIXER_ERR_NOT_READY;
    if (!owns(clip))
        return MIXER_ERR_INVALID_PARAM;
    out.makeCurrent();
    // A stream has one decoder, so it plays on one voice at a time.
    if (clip->isStream())
        endVoicesUsing(clip);
    // A free voice if there is one; otherwise the oldest effect gives way, and music only
    // when nothing but music is playing.
    auto givesWayBefore = [](const VoiceSlot& a, const VoiceSlot& b) {
        const bool aStream = a.clip->isStream();
        return aStream != b.clip->isStream() ? !aStream : a.startSerial < b.startSerial;
    };
    std::shared_ptr<VoiceSlot> chosen;
    for (auto& slot : voices) {
        if (!slot->inUse) {
            chosen = slot;
            break;
        }
        if (!chosen || givesWayBefore(*slot, *chosen))
            chosen = slot;
    }
    if (chosen->inUse)
        chosen->end();
    alGetError();
    chosen->begin(clip, paused, ++playSerial);
    if (alGetError() != AL_NO_ERROR) {
        chosen->end();
        return MIXER_ERR_BACKEND;
    }
    if (result)
        *result = Voice(chosen, chosen->generation);
    return MIXER_OK;
}

MixerResult Mixer::playAfter(AudioClip* clip, const Voice& previous, MixGroup* group, int loopCount, Voice* result)
{
    if (result)
        *result = Voice();
    if (!started)
        return MIXER_ERR_NOT_READY;
    if (!owns(clip) || !clip->isStream())
        return MIXER_ERR_INVALID_PARAM;
    VoiceSlot* slot = previous.live();
    if (!slot || std::none_of(voices.begin(), voices.end(), [slot](const auto& own) { return own.get() == slot; }))
        return MIXER_ERR_INVALID_HANDLE;
    if (slot->clip == clip)
        return MIXER_ERR_INVALID_PARAM;
    out.makeCurrent();
    endVoicesUsing(clip, slot);
    if (!slot->follow(clip, group, loopCount))
        return MIXER_ERR_FORMAT;
    if (result)
        *result = Voice(previous.slot, slot->generation + 1);
    return MIXER_OK;
}

MixerResult Mixer::createGroup(MixGroup** result)
{
    if (!result)
        return MIXER_ERR_INVALID_PARAM;
    groups.push_back(std::make_unique<MixGroup>());
    *result = groups.back().get();
    return MIXER_OK;
}

int Mixer::voicesPlaying() const
{
    return int(std::count_if(voices.begin(), voices.end(), [](const auto& slot) { return slot->inUse; }));
}
