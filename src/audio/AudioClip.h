#pragma once
// One sound file opened by the mixer: a sample decoded whole into one OpenAL buffer, or a
// stream decoded chunk by chunk into a small ring of buffers while it plays. A stream plays on
// one voice at a time; a sample on as many as are asked for.

#include "audio/MixerResult.h"
#include "audio/MixerTypes.h"

#include <AL/al.h>
#include <sndfile.h>

#include <string>
#include <vector>

class Mixer;

class AudioClip {
public:
    ~AudioClip();
    AudioClip(const AudioClip&) = delete;
    AudioClip& operator=(const AudioClip&) = delete;

    // Stops every voice playing this clip and frees it; the pointer is gone afterwards.
    MixerResult release();

    bool isStream() const { return file != nullptr; }
    int channels() const { return channelCount; }
    int sampleRate() const { return rate; }
    long long frames() const { return frameCount; }
    double lengthSeconds() const { return rate > 0 ? double(frameCount) / rate : 0.0; }
    const std::string& path() const { return filePath; }
    // True when the file holds less sound than its header promises (a copy cut short); the
    // clip then plays what is there.
    bool cutShort() const { return truncated; }

private:
    friend class Mixer;
    friend class VoiceSlot;

    static constexpr int streamBufferCount = 4;
    static constexpr int minChunkFrames = 256;           // frames; shorter chunks would starve the queue
    static constexpr long long sampleReadFrames = 65536; // frames decoded at a time into a sample
    // Frames one byte of a file can give: 8-bit mono PCM gives one, 4-bit ADPCM two; more
    // room is left for other compressed formats.
    static constexpr long long maxFramesPerByte = 8;

    AudioClip(Mixer* mixer, unsigned mode) : mixer(mixer), mode(mode) {}
    // Opens the file and reads its format; shared by both kinds.
    MixerResult open(const char* path, SNDFILE** fileOut);
    MixerResult loadSample(const char* path);
    // size and unit give the chunk length, as set with Mixer::setStreamBufferSize.
    MixerResult openStream(const char* path, unsigned size, MixerTimeUnit unit);

    ALenum format() const;
    // Decodes up to chunkFrames into the scratch area; returns the frames read.
    int decodeChunk();
    bool seekFrame(long long frame);

    Mixer* mixer;
    unsigned mode;
    std::string filePath;
    int channelCount = 0;
    int rate = 0;
    long long frameCount = 0;
    bool truncated = false;

    ALuint sampleBuffer = 0; // samples only

    SNDFILE* file = nullptr; // streams only
    int chunkFrames = 0;
    std::vector<ALuint> streamBuffers;
    std::vector<ALuint> freeBuffers;
    std::vector<short> scratch;
    int streamVoice = -1; // the slot playing this stream, -1 when none
};
