#include "audio/Mixer.h"

#include "core/Clock.h"

#include <algorithm>
#include <chrono>

namespace {

Mixer* (*mixerFactory)() = nullptr;

} // namespace

MixerResult createMixer(Mixer** out)
{
    *out = mixerFactory ? mixerFactory() : new Mixer();
    return MIXER_OK;
}

void setMixerFactory(Mixer* (*factory)())
{
    mixerFactory = factory;
}

MixerResult Mixer::driverCount(int* count)
{
    // Opened once to see that it really works (OpenAL lists ALSA's default even on a machine
    // without a card), and kept for init.
    if (!started && !probed)
        probed = OpenAlOutput::openDefaultDevice();
    *count = probed || (started && !out.isLoopback()) ? 1 : 0;
    return MIXER_OK;
}

MixerResult Mixer::init(int maxVoices)
{
    if (started)
        return MIXER_ERR_ALREADY_STARTED;
    ALCdevice* opened = std::exchange(probed, nullptr);
    if (requested == MIXER_OUTPUT_AUTO && !opened)
        opened = OpenAlOutput::openDefaultDevice();
    if (requested == MIXER_OUTPUT_LOOPBACK && opened)
        alcCloseDevice(std::exchange(opened, nullptr));
    out = opened ? OpenAlOutput::onDevice(opened, maxVoices) : OpenAlOutput::onLoopback(loopbackRate, maxVoices);
    if (!out.isOpen())
        return opened ? MIXER_ERR_BACKEND : MIXER_ERR_OUTPUT;
    out.makeCurrent();
    // OpenAL Soft has a source limit of its own; fewer voices are still usable.
    for (int i = 0; i < maxVoices; ++i) {
        voices.push_back(std::make_shared<VoiceSlot>());
        if (!voices.back()->attach()) {
            voices.pop_back();
            break;
        }
    }
    if (voices.empty()) {
        out.close();
        return MIXER_ERR_BACKEND;
    }
    deviceWanted = !out.isLoopback();
    device = deviceWanted ? out.name() : "";
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
    // A device plays on between two updates, so what follows a stream's pass must be queued
    // before the queue runs dry: the decision comes earlier the longer the frames take. The
    // longest recent gap counts, forgotten slowly once frames come quicker again.
    const double now = clockNow();
    if (lastUpdateAt > 0.0 && now > lastUpdateAt)
        updateGap = std::max(now - lastUpdateAt, updateGap * 0.98);
    lastUpdateAt = now;
    decisionSeconds = std::min(std::max(loopDecisionSeconds, updateGap * 2.5), maxDecisionSeconds);
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
    } else if (search.valid() && search.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        OpenAlOutput found = search.get();
        if (found.isOpen()) {
            moveTo(std::move(found));
            news = DeviceNews::BACK;
        }
        nextSearchAt = clockNow() + searchSeconds;
    } else if (deviceWanted && !search.valid() && clockNow() >= nextSearchAt) {
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
    device = out.isLoopback() ? device : out.name();
    clockAnchor = clockNow();
    renderedFrames = 0;
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
    std::vector<std::pair<VoiceEndCallback, Voice>> ended;
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
            ended.emplace_back(std::move(callback), handle);
    }
    // Called once the pool is settled: a callback may well start the next sound.
    for (auto& [callback, voice] : ended)
        callback(voice);
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
    started = deviceWanted = false;
    return MIXER_OK;
}

MixerResult Mixer::openClip(const char* path, bool stream, AudioClip** result)
{
    *result = nullptr;
    if (!started)
        return MIXER_ERR_NOT_READY;
    out.makeCurrent();
    std::unique_ptr<AudioClip> clip;
    const MixerResult opened = path ? AudioClip::open(path, stream, streamChunkBytes, &clip) : MIXER_ERR_INVALID_PARAM;
    if (clip)
        *result = clips.emplace_back(std::move(clip)).get();
    return opened;
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
        if (!chosen || !slot->inUse || (chosen->inUse && givesWayBefore(*slot, *chosen)))
            chosen = slot;
        if (!chosen->inUse)
            break;
    }
    if (chosen->inUse)
        chosen->end();
    alGetError();
    chosen->begin(clip, paused, ++playSerial);
    if (alGetError() != AL_NO_ERROR) {
        chosen->end();
        return MIXER_ERR_BACKEND;
    }
    *result = Voice(chosen, chosen->generation);
    return MIXER_OK;
}

MixerResult Mixer::playAfter(AudioClip* clip, const Voice& previous, MixGroup* group, int loopCount, Voice* result)
{
    *result = Voice();
    if (!started)
        return MIXER_ERR_NOT_READY;
    VoiceSlot* slot = previous.live();
    if (!slot)
        return MIXER_ERR_INVALID_HANDLE;
    if (!owns(clip) || !clip->isStream() || slot->clip == clip)
        return MIXER_ERR_INVALID_PARAM;
    out.makeCurrent();
    endVoicesUsing(clip, slot);
    if (!slot->follow(clip, group, loopCount))
        return MIXER_ERR_FORMAT;
    *result = Voice(previous.slot, slot->generation + 1);
    return MIXER_OK;
}

MixerResult Mixer::createGroup(MixGroup** result)
{
    *result = groups.emplace_back(std::make_unique<MixGroup>()).get();
    return MIXER_OK;
}

void Mixer::applyVolumes()
{
    out.makeCurrent();
    for (auto& slot : voices)
        if (slot->inUse)
            slot->applyGain();
}

int Mixer::voicesPlaying() const
{
    return int(std::count_if(voices.begin(), voices.end(), [](const auto& slot) { return slot->inUse; }));
}
