#include "audio/MixerResult.h"

const char* mixerResultText(int result)
{
    static const char* const texts[] = {
        "No errors.",
        "An invalid parameter was passed to the sound layer.",
        "The voice has ended or was reused for another sound.",
        "The sound output has not been started.",
        "This setting can only be changed before the output starts.",
        "File not found.",
        "The file is not a sound file that can be read, or it is damaged.",
        "The sound file holds no audio.",
        "Only mono and stereo sound files are supported.",
        "No sound output could be opened.",
        nullptr, // no longer used
        "OpenAL refused the request.",
        "Decoding stopped part-way through the sound file.",
    };
    const bool known = result >= 0 && result < int(sizeof texts / sizeof texts[0]) && texts[result];
    return known ? texts[result] : "Unknown error.";
}
