#pragma once
// A piece of music streamed from disk on the music group. A song never overlaps itself:
// playing it again restarts it from the beginning.

#include "audio/AudioResource.h"
#include "audio/Voice.h"

class Mixer;

class Song : public AudioResource {
public:
    static constexpr unsigned streamChunkBytes = 65536; // bytes of decoded audio per chunk

    // A file that cannot be opened is reported here; the song then plays nothing.
    Song(Mixer* mixer, const char* path, MixGroup* group);

    // loopCount: -1 loops forever, 0 plays once. Returns the new channel (a null handle when
    // the song has no sound).
    Voice play(bool startPaused, int loopCount);
    // Starts on the sample after the song playing on previous ends, without a gap; loopCount
    // as for play. The channel comes alive then. A null handle when it cannot be queued
    // (no sound, previous not playing, another format).
    Voice playAfter(const Voice& previous, int loopCount);
    void stop();
    void release() override;

    // The channel of the last play: null before it and after stop. A song that ended by itself
    // keeps it; the handle is then stale and every call on it does nothing.
    Voice channel() const { return currentChannel; }
    AudioClip* sound() const { return stream; }

private:
    Mixer* mixer;
    MixGroup* group;
    AudioClip* stream = nullptr;
    Voice currentChannel;
};
