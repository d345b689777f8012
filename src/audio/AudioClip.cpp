#include "audio/AudioClip.h"

#include "audio/Mixer.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

AudioClip::~AudioClip()
{
    if (sampleBuffer)
        alDeleteBuffers(1, &sampleBuffer);
    if (!streamBuffers.empty())
        alDeleteBuffers(ALsizei(streamBuffers.size()), streamBuffers.data());
    if (file)
        sf_close(file);
}

MixerResult AudioClip::release()
{
    return mixer->releaseClip(this);
}

MixerResult AudioClip::open(const char* path, SNDFILE** fileOut)
{
    filePath = path;
    // libsndfile reports a missing file and a damaged one alike; the player deserves to know which.
    if (access(path, F_OK) != 0)
        return MIXER_ERR_FILE_NOT_FOUND;
    SF_INFO info = {};
    SNDFILE* opened = sf_open(path, SFM_READ, &info);
    if (!opened)
        return MIXER_ERR_FILE_UNREADABLE;
    if (info.channels < 1 || info.channels > 2 || info.samplerate <= 0) {
        sf_close(opened);
        return info.channels > 2 ? MIXER_ERR_FORMAT : MIXER_ERR_FILE_UNREADABLE;
    }
    if (info.frames <= 0) {
        sf_close(opened);
        return MIXER_ERR_FILE_EMPTY;
    }
    // libsndfile plays a cut file up to where it ends and notes in its log that a chunk is
    // shorter than its header says ("data : 37044 (should be 18500)").
    char log[2048] = {};
    sf_command(opened, SFC_GET_LOG_INFO, log, sizeof log);
    truncated = std::strstr(log, "(should be") != nullptr;
    channelCount = info.channels;
    rate = info.samplerate;
    frameCount = info.frames;
    *fileOut = opened;
    return MIXER_OK;
}

ALenum AudioClip::format() const
{
    return channelCount == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
}

MixerResult AudioClip::loadSample(const char* path)
{
    SNDFILE* opened = nullptr;
    MixerResult result = open(path, &opened);
    if (result != MIXER_OK)
        return result;
    // The header's frame count may be damaged and ask for gigabytes: the sound grows as it is
    // decoded, never past what the file's bytes can hold.
    struct stat status = {};
    const long long fileBytes = stat(path, &status) == 0 ? (long long)status.st_size : 0;
    const long long wanted = std::min<long long>(frameCount, fileBytes * maxFramesPerByte / channelCount);
    std::vector<short> pcm;
    long long read = 0;
    while (read < wanted) {
        const long long chunk = std::min<long long>(sampleReadFrames, wanted - read);
        pcm.resize(size_t(read + chunk) * channelCount);
        sf_count_t got = sf_readf_short(opened, pcm.data() + read * channelCount, chunk);
        if (got <= 0)
            break;
        read += got;
    }
    sf_close(opened);
    if (read <= 0)
        return MIXER_ERR_READ;
    if (read < frameCount)
        truncated = true;
    frameCount = read;

    alGetError();
    alGenBuffers(1, &sampleBuffer);
    if (alGetError() != AL_NO_ERROR) {
        sampleBuffer = 0;
        return MIXER_ERR_BACKEND;
    }
    alBufferData(sampleBuffer, format(), pcm.data(), ALsizei(read * channelCount * sizeof(short)), rate);
    return alGetError() == AL_NO_ERROR ? MIXER_OK : MIXER_ERR_BACKEND;
}

MixerResult AudioClip::openStream(const char* path, unsigned size, MixerTimeUnit unit)
{
    SNDFILE* opened = nullptr;
    MixerResult result = open(path, &opened);
    if (result != MIXER_OK)
        return result;
    file = opened;
    long long frames = size;
    if (unit == MIXER_UNIT_BYTES)
        frames = size / (channelCount * sizeof(short));
    else if (unit == MIXER_UNIT_MS)
        frames = (long long)size * rate / 1000;
    chunkFrames = int(frames < minChunkFrames ? minChunkFrames : frames);
    scratch.resize(size_t(chunkFrames) * channelCount);

    alGetError();
    streamBuffers.resize(streamBufferCount);
    alGenBuffers(streamBufferCount, streamBuffers.data());
    if (alGetError() != AL_NO_ERROR) {
        streamBuffers.clear();
        return MIXER_ERR_BACKEND;
    }
    freeBuffers = streamBuffers;
    return MIXER_OK;
}

int AudioClip::decodeChunk()
{
    sf_count_t read = sf_readf_short(file, scratch.data(), chunkFrames);
    return read > 0 ? int(read) : 0;
}

bool AudioClip::seekFrame(long long frame)
{
    return sf_seek(file, frame, SEEK_SET) >= 0;
}
