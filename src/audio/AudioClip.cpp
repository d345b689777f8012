#include "audio/AudioClip.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int minChunkFrames = 256;           // frames; shorter chunks would starve the queue
constexpr long long sampleReadFrames = 65536; // frames decoded at a time into a sample
// Frames one byte of a file can give: 8-bit mono PCM gives one, 4-bit ADPCM two; more room is
// left for other compressed formats.
constexpr long long maxFramesPerByte = 8;

} // namespace

MixerResult AudioClip::open(const char* path, bool stream, unsigned chunkBytes, std::unique_ptr<AudioClip>* out)
{
    std::unique_ptr<AudioClip> clip(new AudioClip());
    MixerResult result = clip->readHeader(path);
    if (result == MIXER_OK && stream)
        clip->chunkLength = std::max(minChunkFrames, int(chunkBytes / (clip->channelCount * sizeof(short))));
    else if (result == MIXER_OK)
        result = clip->readSample(path);
    if (result == MIXER_OK)
        *out = std::move(clip);
    return result;
}

AudioClip::~AudioClip()
{
    unload();
    if (file)
        sf_close(file);
}

MixerResult AudioClip::readHeader(const char* path)
{
    // libsndfile reports a missing file and a damaged one alike; the player deserves to know which.
    if (access(path, F_OK) != 0)
        return MIXER_ERR_FILE_NOT_FOUND;
    SF_INFO info = {};
    file = sf_open(path, SFM_READ, &info);
    if (!file)
        return MIXER_ERR_FILE_UNREADABLE;
    if (info.channels < 1 || info.channels > 2 || info.samplerate <= 0)
        return info.channels > 2 ? MIXER_ERR_FORMAT : MIXER_ERR_FILE_UNREADABLE;
    if (info.frames <= 0)
        return MIXER_ERR_FILE_EMPTY;
    // libsndfile plays a cut file up to where it ends and notes in its log that a chunk is
    // shorter than its header says ("data : 37044 (should be 18500)").
    char log[2048] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
    truncated = std::strstr(log, "(should be") != nullptr;
    channelCount = info.channels;
    rate = info.samplerate;
    frameCount = info.frames;
    return MIXER_OK;
}

MixerResult AudioClip::readSample(const char* path)
{
    // The header's frame count may be damaged and ask for gigabytes: the sound grows as it is
    // decoded, never past what the file's bytes can hold.
    struct stat status = {};
    const long long fileBytes = stat(path, &status) == 0 ? (long long)status.st_size : 0;
    const long long wanted = std::min(frameCount, fileBytes * maxFramesPerByte / channelCount);
    long long read = 0;
    for (sf_count_t got = 1; read < wanted && got > 0; read += std::max<sf_count_t>(got, 0)) {
        pcm.resize(size_t(std::min(read + sampleReadFrames, wanted)) * channelCount);
        got = sf_readf_short(file, pcm.data() + read * channelCount, std::min(sampleReadFrames, wanted - read));
    }
    sf_close(file);
    file = nullptr;
    if (read <= 0)
        return MIXER_ERR_READ;
    truncated = truncated || read < frameCount;
    frameCount = read;
    pcm.resize(size_t(read) * channelCount);
    upload();
    return sampleBuffer ? MIXER_OK : MIXER_ERR_BACKEND;
}

void AudioClip::upload()
{
    if (isStream())
        return;
    alGetError();
    alGenBuffers(1, &sampleBuffer);
    if (alGetError() == AL_NO_ERROR)
        alBufferData(sampleBuffer, format(), pcm.data(), ALsizei(pcm.size() * sizeof(short)), rate);
    if (alGetError() != AL_NO_ERROR)
        unload();
}

void AudioClip::unload()
{
    if (sampleBuffer)
        alDeleteBuffers(1, &sampleBuffer);
    sampleBuffer = 0;
}
