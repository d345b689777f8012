#pragma once
// One sound file the mixer opened: a sample decoded whole into memory and one OpenAL buffer, or
// a stream that a voice decodes chunk by chunk while it plays. A clip knows nothing of voices.

#include "audio/MixerResult.h"

#include <AL/al.h>
#include <sndfile.h>

#include <memory>
#include <vector>

class AudioClip {
public:
    // Opens path as a stream (chunks of chunkBytes of decoded audio) or as a sample.
    static MixerResult open(const char* path, bool stream, unsigned chunkBytes, std::unique_ptr<AudioClip>* out);
    ~AudioClip();

    bool isStream() const { return file != nullptr; }
    int channels() const { return channelCount; }
    int sampleRate() const { return rate; }
    long long frames() const { return frameCount; }
    double lengthSeconds() const { return double(frameCount) / rate; }
    // True when the file holds less sound than its header promises (a copy cut short); the
    // clip then plays what is there.
    bool cutShort() const { return truncated; }
    ALenum format() const { return channelCount == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16; }

    // Streams: decodes up to chunkFrames into samples and returns the frames read.
    int chunkFrames() const { return chunkLength; }
    int decode(short* samples) { return int(std::max<sf_count_t>(0, sf_readf_short(file, samples, chunkLength))); }
    bool seek(long long frame) { return sf_seek(file, frame, SEEK_SET) >= 0; }

    // Samples: the buffer on the current output. The mixer unloads and uploads again whenever
    // its output changes.
    ALuint buffer() const { return sampleBuffer; }
    void upload();
    void unload();

private:
    AudioClip() = default;
    MixerResult readHeader(const char* path);
    MixerResult readSample(const char* path);

    SNDFILE* file = nullptr; // streams only
    int channelCount = 0;
    int rate = 0;
    long long frameCount = 0;
    bool truncated = false;
    int chunkLength = 0;
    std::vector<short> pcm; // samples only, kept for the next output
    ALuint sampleBuffer = 0;
};
