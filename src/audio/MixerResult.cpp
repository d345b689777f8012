#include "audio/MixerResult.h"

const char* mixerResultText(int result)
{
    switch (result) {
    case MIXER_OK:
        return "No errors.";
    case MIXER_ERR_INVALID_PARAM:
        return "An invalid parameter was passed to the sound layer.";
    case MIXER_ERR_INVALID_HANDLE:
        return "The voice has ended or was reused for another sound.";
    case MIXER_ERR_NOT_READY:
        return "The sound output has not been started.";
    case MIXER_ERR_ALREADY_STARTED:
        return "This setting can only be changed before the output starts.";
    case MIXER_ERR_FILE_NOT_FOUND:
        return "File not found.";
    case MIXER_ERR_FILE_UNREADABLE:
        return "The file is not a sound file that can be read, or it is damaged.";
    case MIXER_ERR_FILE_EMPTY:
        return "The sound file holds no audio.";
    case MIXER_ERR_FORMAT:
        return "Only mono and stereo sound files are supported.";
    case MIXER_ERR_OUTPUT:
        return "No sound output could be opened.";
    case MIXER_ERR_BACKEND:
        return "OpenAL refused the request.";
    case MIXER_ERR_READ:
        return "Decoding stopped part-way through the sound file.";
    }
    return "Unknown error.";
}
