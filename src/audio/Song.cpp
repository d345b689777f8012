#include "audio/Song.h"

#include "audio/Mixer.h"
#include "core/Trace.h"

Song::Song(Mixer* mixer, const char* path, MixGroup* group) : AudioResource(path), mixer(mixer), group(group)
{
    mixer->setStreamBufferSize(streamChunkBytes);
    const MixerResult result = mixer->createStream(path, &stream);
    reportLoad(result, stream, path);
}

Voice Song::play(bool startPaused, int loopCount)
{
    // Nothing was loaded: the failure was reported when the song was created.
    if (!stream)
        return Voice();
    stop();
    MixerResult result = mixer->play(stream, true, &currentChannel);
    checkResult(result);
    // The channel calls below fail harmlessly on a null handle when play failed.
    currentChannel.setGroup(group);
    currentChannel.setLoopCount(loopCount);
    currentChannel.setLoopMode(MIXER_LOOP_ON);
    currentChannel.setPosition(0);
    if (!startPaused)
        currentChannel.setPaused(false);
    if (result == MIXER_OK)
        traceEvent("sound", name());
    return currentChannel;
}

Voice Song::playAfter(const Voice& previous, int loopCount)
{
    if (!stream)
        return Voice();
    stop();
    // Not reported: a piece that cannot join is started from the end callback instead.
    if (mixer->playAfter(stream, previous, group, loopCount, &currentChannel) != MIXER_OK)
        return currentChannel = Voice();
    const std::string traced = name();
    currentChannel.setStartCallback([traced] { traceEvent("sound", traced); });
    return currentChannel;
}

void Song::stop()
{
    currentChannel.stop();
    currentChannel = Voice();
}

void Song::release()
{
    if (!stream)
        return;
    stop();
    mixer->releaseClip(stream);
    stream = nullptr;
}
