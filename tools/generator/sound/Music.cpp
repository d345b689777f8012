#include "Music.h"

#include "Drums.h"
#include "Dsp.h"
#include "Instruments.h"
#include "Score.h"
#include "SendEffects.h"
#include "WavFile.h"

#include <algorithm>
#include <cmath>

namespace sound {

namespace {

static_assert(SAMPLE_RATE * 60 % MUSIC_BPM == 0, "a beat must be a whole number of samples");
constexpr int FRAMES_PER_BEAT = SAMPLE_RATE * 60 / MUSIC_BPM;
constexpr int FRAMES_PER_BAR = FRAMES_PER_BEAT * BEATS_PER_BAR;
static_assert(FRAMES_PER_BEAT % 4 == 0, "sixteenth notes must land on whole samples");
constexpr int TAIL_FRAMES = 5 * SAMPLE_RATE;         // longest release we keep, 5 s
constexpr int ECHO_FRAMES = FRAMES_PER_BEAT * 3 / 4; // a dotted eighth

using Instrument = std::vector<float> (*)(const Note&);

struct Chord {
    int bassRoot; // MIDI note, octave 2
    int tones[3]; // close voicing around middle C
};

// A natural minor: i - VI - III - VII, then i - VI - VII - V to lead back home.
constexpr Chord CHORD_AM{45, {57, 60, 64}};
constexpr Chord CHORD_F{41, {57, 60, 65}};
constexpr Chord CHORD_C{48, {55, 60, 64}};
constexpr Chord CHORD_G{43, {55, 59, 62}};
constexpr Chord CHORD_E{40, {56, 59, 64}};
const Chord PROGRESSION[8] = {CHORD_AM, CHORD_F, CHORD_C, CHORD_G, CHORD_AM, CHORD_F, CHORD_G, CHORD_E};

struct MelodyNote {
    int bar;
    float beat;
    float beats;
    int midi;
};

// The tune both loops share: the calm intro sings it on a bell, the flight on a saw lead.
const MelodyNote THEME[] = {
    {0, 0.0f, 1.5f, 76}, {0, 1.5f, 0.5f, 74}, {0, 2.0f, 1.0f, 72}, {0, 3.0f, 1.0f, 76}, {1, 0.0f, 1.5f, 81},
    {1, 1.5f, 0.5f, 79}, {1, 2.0f, 1.0f, 77}, {1, 3.0f, 1.0f, 72}, {2, 0.0f, 1.5f, 76}, {2, 1.5f, 0.5f, 74},
    {2, 2.0f, 1.0f, 72}, {2, 3.0f, 1.0f, 79}, {3, 0.0f, 2.0f, 74}, {3, 2.0f, 1.0f, 71}, {3, 3.0f, 1.0f, 74},
    {4, 0.0f, 1.5f, 76}, {4, 1.5f, 0.5f, 74}, {4, 2.0f, 1.0f, 72}, {4, 3.0f, 1.0f, 76}, {5, 0.0f, 1.5f, 81},
    {5, 1.5f, 0.5f, 83}, {5, 2.0f, 1.0f, 84}, {5, 3.0f, 1.0f, 81}, {6, 0.0f, 1.5f, 83}, {6, 1.5f, 0.5f, 81},
    {6, 2.0f, 1.0f, 79}, {6, 3.0f, 1.0f, 74}, {7, 0.0f, 1.5f, 80}, {7, 1.5f, 0.5f, 76}, {7, 2.0f, 2.0f, 71},
};

int frameAt(int bar, float beat)
{
    return static_cast<int>(std::lround((bar * BEATS_PER_BAR + beat) * FRAMES_PER_BEAT));
}

float beatsToSeconds(float beats)
{
    return beats * 60.0f / MUSIC_BPM;
}

// Places notes and drum hits on a Score by bar and beat.
class Arranger {
public:
    explicit Arranger(Score& target) : score(target) {}

    struct Mix {
        float gain;
        float pan;
        float reverb;
        float echo;
    };

    void note(Instrument instrument, int bar, float beat, float beats, float midi, float velocity, const Mix& mix)
    {
        Note played{midi, beatsToSeconds(beats), velocity, nextSeed++};
        score.place(instrument(played), frameAt(bar, beat), mix.gain, mix.pan, mix.reverb, mix.echo);
    }

    void hit(const std::vector<float>& sound, int bar, float beat, const Mix& mix)
    {
        score.place(sound, frameAt(bar, beat), mix.gain, mix.pan, mix.reverb, mix.echo);
    }

    uint32_t seed() { return nextSeed++; }

private:
    Score& score;
    uint32_t nextSeed = 1000;
};

void writeIntro(Score& score)
{
    Arranger a(score);
    const Arranger::Mix padLeft{0.30f, -0.55f, 0.5f, 0.0f};
    const Arranger::Mix padRight{0.30f, 0.55f, 0.5f, 0.0f};
    const Arranger::Mix arp{0.40f, 0.35f, 0.3f, 0.25f};
    const Arranger::Mix melody{0.42f, -0.15f, 0.35f, 0.22f};
    const Arranger::Mix bass{0.45f, 0.0f, 0.05f, 0.0f};
    const Arranger::Mix rim{0.22f, 0.15f, 0.3f, 0.0f};
    const Arranger::Mix shaker{0.10f, -0.3f, 0.15f, 0.0f};
    const Arranger::Mix kick{0.45f, 0.0f, 0.05f, 0.0f};

    constexpr int arpPattern[8] = {0, 2, 1, 2, 3, 2, 1, 2}; // index 3 is the root an octave up
    for (int bar = 0; bar < INTRO_BARS; ++bar) {
        const Chord& chord = PROGRESSION[bar];
        for (int tone : chord.tones) {
            a.note(warmPad, bar, 0.0f, 3.9f, tone, 0.6f, padLeft);
            a.note(warmPad, bar, 0.0f, 3.9f, tone + 0.04f, 0.6f, padRight);
        }
        for (int step = 0; step < 8; ++step) {
            const int index = arpPattern[step];
            const int midi = (index == 3 ? chord.tones[0] + 12 : chord.tones[index]) + 12;
            a.note(pluckedString, bar, step * 0.5f, 0.45f, midi, step % 2 == 0 ? 0.75f : 0.5f, arp);
        }
        a.note(roundBass, bar, 0.0f, 2.4f, chord.bassRoot, 0.9f, bass);
        a.note(roundBass, bar, 2.5f, 1.4f, chord.bassRoot, 0.75f, bass);

        a.hit(rimClick(0.8f), bar, 1.0f, rim);
        a.hit(rimClick(0.9f), bar, 3.0f, rim);
        for (int step = 0; step < 8; ++step)
            a.hit(hiHat(step % 2 ? 0.8f : 0.45f, false, a.seed()), bar, step * 0.5f, shaker);
        // The second half gains a soft heartbeat.
        if (bar >= 4) {
            a.hit(kickDrum(0.8f), bar, 0.0f, kick);
            a.hit(kickDrum(0.6f), bar, 2.5f, kick);
        }
    }
    for (const MelodyNote& n : THEME)
        a.note(bell, n.bar, n.beat, n.beats * 0.92f, n.midi, 0.8f, melody);
}

void writeBridge(Score& score)
{
    Arranger a(score);
    const Arranger::Mix pad{0.28f, 0.0f, 0.45f, 0.0f};
    const Arranger::Mix stab{0.2f, 0.0f, 0.3f, 0.1f};
    const Arranger::Mix bass{0.45f, 0.0f, 0.05f, 0.0f};
    const Arranger::Mix arp{0.26f, 0.35f, 0.3f, 0.2f};
    const Arranger::Mix lead{0.26f, -0.1f, 0.3f, 0.25f};
    const Arranger::Mix snare{0.3f, 0.05f, 0.3f, 0.0f};
    const Arranger::Mix kick{0.75f, 0.0f, 0.05f, 0.0f};
    const Arranger::Mix riser{0.25f, 0.0f, 0.35f, 0.0f};

    // F, G, then a bar of E that wants to resolve to the flight's A minor.
    struct Half {
        int bar;
        float beat;
        float beats;
        const Chord* chord;
    };
    const Half halves[] = {{0, 0.0f, 2.0f, &CHORD_F}, {0, 2.0f, 2.0f, &CHORD_G}, {1, 0.0f, 3.5f, &CHORD_E}};
    for (const Half& h : halves) {
        for (int tone : h.chord->tones)
            a.note(warmPad, h.bar, h.beat, h.beats - 0.1f, tone, 0.7f + 0.15f * h.bar, pad);
        for (float b = 0.0f; b < h.beats; b += 0.5f) {
            const float rise = (h.bar * 4 + h.beat + b) / 8.0f;
            const int midi = static_cast<int>(b * 2) % 2 ? h.chord->bassRoot + 12 : h.chord->bassRoot;
            a.note(synthBass, h.bar, h.beat + b, 0.4f, midi, 0.7f + 0.3f * rise, bass);
            for (int tone : h.chord->tones)
                a.note(sawStab, h.bar, h.beat + b, 0.2f, tone + 12, 0.35f + 0.45f * rise, stab);
        }
    }
    // The arpeggio climbs: eighths over F and G, then sixteenths up through E major.
    constexpr int climbF[4] = {57, 60, 65, 69};
    constexpr int climbG[4] = {59, 62, 67, 71};
    for (int i = 0; i < 4; ++i) {
        a.note(pluckedString, 0, i * 0.5f, 0.4f, climbF[i] + 12, 0.6f, arp);
        a.note(pluckedString, 0, 2.0f + i * 0.5f, 0.4f, climbG[i] + 12, 0.65f, arp);
    }
    constexpr int climbE[14] = {56, 59, 64, 68, 59, 64, 68, 71, 64, 68, 71, 76, 68, 71};
    for (int i = 0; i < 14; ++i)
        a.note(pluckedString, 1, i * 0.25f, 0.2f, climbE[i] + 12, 0.6f + 0.03f * i, arp);

    const MelodyNote line[] = {{0, 0.0f, 1.0f, 69}, {0, 1.0f, 1.0f, 72}, {0, 2.0f, 1.0f, 74}, {0, 3.0f, 1.0f, 76},
                               {1, 0.0f, 1.0f, 76}, {1, 1.0f, 1.0f, 80}, {1, 2.0f, 1.0f, 83}, {1, 3.0f, 0.5f, 86}};
    for (const MelodyNote& n : line)
        a.note(sawLead, n.bar, n.beat, n.beats * 0.9f, n.midi, 0.75f, lead);

    // Drums tighten from quarters to a sixteenth roll, then hold a breath before the drop.
    for (int beat = 0; beat < 4; ++beat)
        a.hit(kickDrum(0.9f), 0, static_cast<float>(beat), kick);
    for (int eighth = 0; eighth < 7; ++eighth)
        a.hit(kickDrum(0.9f), 1, eighth * 0.5f, kick);
    for (int eighth = 0; eighth < 8; ++eighth)
        a.hit(snareDrum(0.35f + 0.04f * eighth, a.seed()), 0, eighth * 0.5f, snare);
    for (int sixteenth = 0; sixteenth < 14; ++sixteenth)
        a.hit(snareDrum(0.6f + 0.028f * sixteenth, a.seed()), 1, sixteenth * 0.25f, snare);
    a.hit(noiseRiser(beatsToSeconds(7.5f), a.seed()), 0, 0.0f, riser);
}

void writeFlight(Score& score)
{
    Arranger a(score);
    const Arranger::Mix kick{0.7f, 0.0f, 0.04f, 0.0f};
    const Arranger::Mix snare{0.55f, 0.05f, 0.25f, 0.0f};
    const Arranger::Mix hat{0.3f, 0.3f, 0.08f, 0.0f};
    const Arranger::Mix openHat{0.2f, 0.3f, 0.15f, 0.0f};
    const Arranger::Mix crash{0.12f, -0.3f, 0.2f, 0.0f};
    const Arranger::Mix bass{0.4f, 0.0f, 0.03f, 0.0f};
    const Arranger::Mix stab{0.26f, 0.0f, 0.3f, 0.12f};
    const Arranger::Mix pad{0.13f, -0.4f, 0.4f, 0.0f};
    const Arranger::Mix lead{0.48f, 0.0f, 0.22f, 0.28f};
    const Arranger::Mix arp{0.22f, 0.45f, 0.2f, 0.15f};

    constexpr float hatAccent[4] = {0.45f, 0.25f, 0.8f, 0.3f}; // the offbeat eighth leans forward
    constexpr int arpPattern[4] = {0, 1, 2, 1};
    for (int bar = 0; bar < FLIGHT_BARS; ++bar) {
        const Chord& chord = PROGRESSION[bar];
        for (int beat = 0; beat < 4; ++beat)
            a.hit(kickDrum(1.0f), bar, static_cast<float>(beat), kick);
        a.hit(snareDrum(0.9f, a.seed()), bar, 1.0f, snare);
        a.hit(snareDrum(0.95f, a.seed()), bar, 3.0f, snare);
        for (int sixteenth = 0; sixteenth < 16; ++sixteenth) {
            const bool open = bar % 2 == 1 && sixteenth == 14;
            if (open)
                a.hit(hiHat(0.8f, true, a.seed()), bar, sixteenth * 0.25f, openHat);
            else
                a.hit(hiHat(hatAccent[sixteenth % 4], false, a.seed()), bar, sixteenth * 0.25f, hat);
        }
        if (bar % 4 == 0)
            a.hit(crashCymbal(0.9f, a.seed()), bar, 0.0f, crash);

        // Driving eighths, the offbeats an octave up.
        for (int eighth = 0; eighth < 8; ++eighth) {
            const int midi = chord.bassRoot + (eighth % 2 ? 12 : 0);
            a.note(synthBass, bar, eighth * 0.5f, 0.38f, midi, eighth % 2 ? 0.8f : 1.0f, bass);
        }
        for (float beat : {0.5f, 1.5f, 2.5f, 3.5f})
            for (int tone : chord.tones)
                a.note(sawStab, bar, beat, 0.22f, tone + 12, 0.7f, stab);
        for (int tone : chord.tones)
            a.note(warmPad, bar, 0.0f, 3.9f, tone, 0.6f, pad);
        for (int sixteenth = 0; sixteenth < 16; ++sixteenth) {
            const int midi = chord.tones[arpPattern[sixteenth % 4]] + 24;
            a.note(pluckedString, bar, sixteenth * 0.25f, 0.2f, midi, sixteenth % 4 == 0 ? 0.7f : 0.45f, arp);
        }
    }
    // A snare fill into the top of the loop.
    for (int sixteenth = 0; sixteenth < 3; ++sixteenth)
        a.hit(snareDrum(0.6f + 0.1f * sixteenth, a.seed()), FLIGHT_BARS - 1, 3.25f + sixteenth * 0.25f, snare);

    for (const MelodyNote& n : THEME)
        a.note(sawLead, n.bar, n.beat, n.beats * 0.85f, n.midi, 0.85f, lead);
}

// A loop's sound once it has been repeating: the effects run over it once to fill their
// tails, and the second pass is kept, so its end flows into its start.
Stereo renderLoop(const Score& score, SendEffects& effects)
{
    const int length = score.length();
    const Stereo reverbLoop = foldLoop(score.reverbSend, length);
    const Stereo echoLoop = foldLoop(score.echoSend, length);
    Stereo settle(length);
    effects.run(reverbLoop, echoLoop, settle);
    Stereo out = foldLoop(score.dry, length);
    effects.run(reverbLoop, echoLoop, out);
    return out;
}

// Blends the last `frames` of `piece` into the last `frames` of `next`'s loop, which are
// what leads into `next`'s first sample.
void crossfadeEnd(Stereo& piece, const Stereo& next, int frames)
{
    const int pieceStart = piece.frames() - frames;
    const int nextStart = next.frames() - frames;
    for (int i = 0; i < frames; ++i) {
        const float w = 0.5f - 0.5f * std::cos(PI * (i + 1) / frames);
        piece.left[pieceStart + i] = piece.left[pieceStart + i] * (1.0f - w) + next.left[nextStart + i] * w;
        piece.right[pieceStart + i] = piece.right[pieceStart + i] * (1.0f - w) + next.right[nextStart + i] * w;
    }
}

// The mean of one channel of an interleaved stereo piece.
float channelMean(const std::vector<float>& piece, int channel)
{
    double sum = 0.0;
    for (size_t i = channel; i < piece.size(); i += 2)
        sum += piece[i];
    return piece.size() < 2 ? 0.0f : float(sum / (piece.size() / 2));
}

// Takes the steady offset out of the chain (kicks and pulses are lopsided) without breaking a
// join: the loops lose their own constant mean, so each still wraps onto itself, and the
// bridge loses a correction that starts at the intro's and ends at the flight's, bowed in
// between so that the bridge's own mean goes too.
void removeOffsets(MusicChain& chain)
{
    for (int channel = 0; channel < 2; ++channel) {
        const float intro = channelMean(chain.intro, channel);
        const float flight = channelMean(chain.flight, channel);
        const float bridge = channelMean(chain.inbetween, channel);
        for (size_t i = channel; i < chain.intro.size(); i += 2)
            chain.intro[i] -= intro;
        for (size_t i = channel; i < chain.flight.size(); i += 2)
            chain.flight[i] -= flight;
        const size_t frames = chain.inbetween.size() / 2;
        // A half sine has a mean of 2 / pi: its height makes up the rest of the bridge's mean.
        const float bow = (bridge - 0.5f * (intro + flight)) * PI / 2.0f;
        for (size_t frame = 0; frame < frames; ++frame) {
            const float u = frames > 1 ? float(frame) / float(frames - 1) : 0.0f;
            chain.inbetween[frame * 2 + channel] -= intro + (flight - intro) * u + bow * std::sin(PI * u);
        }
    }
}

} // namespace

MusicChain composeMusicChain()
{
    Score intro(INTRO_BARS * FRAMES_PER_BAR, TAIL_FRAMES);
    Score bridge(INBETWEEN_BARS * FRAMES_PER_BAR, TAIL_FRAMES);
    Score flight(FLIGHT_BARS * FRAMES_PER_BAR, TAIL_FRAMES);
    writeIntro(intro);
    writeBridge(bridge);
    writeFlight(flight);

    SendEffects introEffects(ECHO_FRAMES);
    const Stereo introOut = renderLoop(intro, introEffects);

    // The bridge follows the intro's last pass: the intro's ringing notes and its reverb
    // carry on into it instead of stopping dead.
    const int bridgeLength = bridge.length();
    Stereo bridgeOut = truncated(bridge.dry, bridgeLength);
    Stereo bridgeReverb = truncated(bridge.reverbSend, bridgeLength);
    Stereo bridgeEcho = truncated(bridge.echoSend, bridgeLength);
    bridgeOut.mix(tailAfter(intro.dry, intro.length()), 0);
    bridgeReverb.mix(tailAfter(intro.reverbSend, intro.length()), 0);
    bridgeEcho.mix(tailAfter(intro.echoSend, intro.length()), 0);
    introEffects.run(bridgeReverb, bridgeEcho, bridgeOut);

    SendEffects flightEffects(ECHO_FRAMES);
    const Stereo flightOut = renderLoop(flight, flightEffects);
    // The flight starts with the tails of its own last bar; the bridge's last moments fade
    // into that same sound, so the flight follows without a step.
    crossfadeEnd(bridgeOut, flightOut, secondsToSamples(0.01));

    MusicChain chain{introOut.interleaved(), bridgeOut.interleaved(), flightOut.interleaved()};
    removeOffsets(chain);
    // One gain for the three pieces, so the chain does not jump in level between them.
    const float peak = std::max({peakOf(chain.intro), peakOf(chain.inbetween), peakOf(chain.flight)});
    const float gain = peak > 0.0f ? TARGET_PEAK / peak : 1.0f;
    for (std::vector<float>* piece : {&chain.intro, &chain.inbetween, &chain.flight})
        for (float& s : *piece)
            s *= gain;
    return chain;
}

} // namespace sound
