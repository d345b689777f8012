#pragma once
// The vocabulary of the game's sound layer: its version, its outputs and the result codes that
// every call returns (0 means success).

// Packed as 0xMMmmpp. The layer started at 5.0.0, above the version the sound code asks for.
constexpr unsigned MIXER_VERSION = 0x050000;

enum MixerOutput {
    MIXER_OUTPUT_AUTO = 0,     // the default playback device; the loopback when there is none
    MIXER_OUTPUT_LOOPBACK = 1, // nothing is heard: the mix is rendered in step with the wall clock
};

enum MixerLoopMode {
    MIXER_LOOP_OFF = 0,
    MIXER_LOOP_ON = 1,
};

enum MixerResult {
    MIXER_OK = 0,
    MIXER_ERR_INVALID_PARAM = 1,   // a null pointer, a value out of range or a clip not ours
    MIXER_ERR_INVALID_HANDLE = 2,  // the voice has ended, been stopped or been reused
    MIXER_ERR_NOT_READY = 3,       // the call needs init first
    MIXER_ERR_ALREADY_STARTED = 4, // the call is only allowed before init
    MIXER_ERR_FILE_NOT_FOUND = 5,
    MIXER_ERR_FILE_UNREADABLE = 6, // not a sound file the decoder knows, or damaged
    MIXER_ERR_FILE_EMPTY = 7,      // a valid file without a single frame
    MIXER_ERR_FORMAT = 8,          // more channels than stereo, or a format that cannot join
    MIXER_ERR_OUTPUT = 9,          // neither a device nor the loopback could be opened
    MIXER_ERR_BACKEND = 11,        // OpenAL refused a request
    MIXER_ERR_READ = 12,           // decoding failed part-way through a file
};

// A sentence describing the code, "Unknown error." for a code this layer never returns.
const char* mixerResultText(int result);
