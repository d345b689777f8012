#pragma once
// A stretch of music being assembled: rendered notes are mixed into a dry stereo bus and
// two effect sends at sample-exact positions. The buffers run past the nominal length so
// that release tails are kept; a loop folds them back onto its start, and the next piece
// in the chain can pick them up instead.

#include <vector>

namespace sound {

struct Stereo {
    explicit Stereo(int frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    int frames() const { return static_cast<int>(left.size()); }
    // Adds source into this buffer starting at frame offset; whatever does not fit is dropped.
    void mix(const Stereo& source, int offset, float gain = 1.0f);
    std::vector<float> interleaved() const;

    std::vector<float> left;
    std::vector<float> right;
};

class Score {
public:
    // lengthFrames: the piece itself; tailFrames: room for notes ringing past its end.
    Score(int lengthFrames, int tailFrames);

    // Mixes a mono note at startFrame. pan -1 (left) to 1 (right), constant power; the sends
    // are the extra amounts fed to the reverb and to the echo.
    void place(const std::vector<float>& note, int startFrame, float gain, float pan, float reverb, float echo);

    int length() const { return lengthFrames; }

    Stereo dry;
    Stereo reverbSend;
    Stereo echoSend;

private:
    int lengthFrames;
};

// The first `length` frames with everything past them wrapped around onto the start, so the
// result loops without cutting off the tails of its last notes.
Stereo foldLoop(const Stereo& source, int length);

// Everything past `length` frames: the tails that ring on into the following piece.
Stereo tailAfter(const Stereo& source, int length);

// The first `length` frames, dropping anything past them.
Stereo truncated(const Stereo& source, int length);

} // namespace sound
