#pragma once
// The small vocabulary of the game's sound layer: versions, outputs, speaker layouts, units.

// Packed as 0xMMmmpp. The layer started at 5.0.0, above the version the sound code asks for.
constexpr unsigned MIXER_VERSION = 0x050000;

enum MixerOutput {
    MIXER_OUTPUT_AUTO = 0,     // the default playback device; the loopback when there is none
    MIXER_OUTPUT_LOOPBACK = 1, // nothing is heard: the mix is rendered in step with the wall clock
};

enum MixerSpeakerMode {
    MIXER_SPEAKERS_MONO = 1,
    MIXER_SPEAKERS_STEREO = 2,
    MIXER_SPEAKERS_QUAD = 3,
    MIXER_SPEAKERS_5POINT1 = 4,
    MIXER_SPEAKERS_7POINT1 = 5,
};

// Driver capability bits.
enum : unsigned {
    // The driver mixes through an emulation layer with a long latency and wants a larger mix buffer.
    MIXER_DRIVER_EMULATED = 0x1,
};

enum : unsigned {
    MIXER_INIT_DEFAULT = 0,
};

// Mode bits for new streams and samples.
enum : unsigned {
    MIXER_MODE_DEFAULT = 0,
    MIXER_MODE_LOOP = 0x1, // voices of this clip start with looping on
};

enum MixerLoopMode {
    MIXER_LOOP_OFF = 0,
    MIXER_LOOP_ON = 1,
};

enum MixerTimeUnit {
    MIXER_UNIT_MS = 0,     // milliseconds
    MIXER_UNIT_FRAMES = 1, // sample frames of the clip
    MIXER_UNIT_BYTES = 2,  // bytes of decoded 16-bit audio
};
