#include "AmbientMusic.h"

#include "OutputFolder.h"
#include "Rng.h"
#include "SampleBuffer.h"

#include <array>
#include <cmath>
#include <vector>

namespace {
constexpr unsigned rate = 44100;
constexpr double twoPi = 6.283185307179586;
constexpr double beat = 60.0 / 80.0;
constexpr int beatsPerChord = 8;

struct Chord
{
    int bass;
    std::array<int, 4> pad; // MIDI note numbers
};

// Dmaj9, Bm11, Gmaj7, Asus2: neighbouring voicings share notes, so the
// pads move by small steps.
const Chord progression[] = {
    { 38, { 54, 57, 61, 64 } },
    { 35, { 54, 57, 62, 64 } },
    { 43, { 54, 59, 62, 66 } },
    { 45, { 52, 57, 61, 64 } },
};

double frequencyOf(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// One period of a soft timbre, looked up instead of summing harmonics for
// every sample.
class Wavetable
{
public:
    explicit Wavetable(const std::vector<double>& harmonics)
        : table(4096)
    {
        for (std::size_t i = 0; i < table.size(); ++i)
            for (std::size_t h = 0; h < harmonics.size(); ++h)
                table[i] += harmonics[h] * std::sin(twoPi * (h + 1) * i / table.size());
    }
    double operator()(double phase) const
    {
        return table[static_cast<std::size_t>((phase - std::floor(phase)) * table.size()) % table.size()];
    }

private:
    std::vector<double> table;
};

// Adds a note with an attack, a sustain and a release to both channels,
// placed in the stereo field by `pan` (-1 left to 1 right).
void note(SampleBuffer& out, const Wavetable& wave, double start, double held, double frequency,
    double amplitude, double attack, double release, double pan)
{
    const auto first = static_cast<std::size_t>(start * rate);
    const auto count = static_cast<std::size_t>((held + release) * rate);
    const double left = amplitude * std::sqrt(0.5 * (1.0 - pan)),
                 right = amplitude * std::sqrt(0.5 * (1.0 + pan));
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        double envelope = std::min(1.0, t / attack);
        if (t > held)
            envelope *= std::exp(-(t - held) / (release * 0.25));
        const double sample = envelope * wave(frequency * t);
        out.add(first + i, 0, static_cast<float>(left * sample));
        out.add(first + i, 1, static_cast<float>(right * sample));
    }
}

// A bell: two-operator FM whose brightness fades faster than its body.
void bell(SampleBuffer& out, double start, double frequency, double amplitude, double pan)
{
    const auto first = static_cast<std::size_t>(start * rate);
    const auto count = static_cast<std::size_t>(3.0 * rate);
    const double left = amplitude * std::sqrt(0.5 * (1.0 - pan)),
                 right = amplitude * std::sqrt(0.5 * (1.0 + pan));
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double index = 1.8 * std::exp(-t / 0.25);
        const double sample = std::min(1.0, t / 0.004) * std::exp(-t / 0.7)
            * std::sin(twoPi * frequency * t + index * std::sin(twoPi * 2.0 * frequency * t));
        out.add(first + i, 0, static_cast<float>(left * sample));
        out.add(first + i, 1, static_cast<float>(right * sample));
    }
}

// Ping-pong echoes; the delayed copies wrap round the loop like the notes.
void echo(SampleBuffer& out, double delay, double feedback, int taps)
{
    const SampleBuffer dry = out;
    const auto shift = static_cast<std::size_t>(delay * rate);
    double gain = feedback;
    for (int tap = 1; tap <= taps; ++tap, gain *= feedback) {
        for (std::size_t i = 0; i < dry.frames(); ++i) {
            for (unsigned channel = 0; channel < 2; ++channel) {
                const unsigned from = tap % 2 ? 1 - channel : channel;
                out.add(i + tap * shift, channel, static_cast<float>(gain * dry.at(i, from)));
            }
        }
    }
}

SampleBuffer compose()
{
    const double chordSeconds = beatsPerChord * beat;
    const int chords = sizeof progression / sizeof progression[0];
    SampleBuffer out(2, rate, static_cast<std::size_t>(chords * chordSeconds * rate));
    const Wavetable padWave({ 1.0, 0.35, 0.15, 0.06, 0.03 });
    const Wavetable bassWave({ 1.0, 0.25, 0.05 });
    Rng rng(801);
    for (int c = 0; c < chords; ++c) {
        const Chord& chord = progression[c];
        const double start = c * chordSeconds;
        // Pads: three slightly detuned voices per note give a slow chorus.
        for (std::size_t n = 0; n < chord.pad.size(); ++n) {
            const double pan = -0.6 + 0.4 * n;
            for (double cents : { -6.0, 0.0, 5.0 })
                note(out, padWave, start, chordSeconds,
                    frequencyOf(chord.pad[n]) * std::pow(2.0, cents / 1200.0), 0.05, 1.8, 2.5,
                    pan + cents * 0.05);
        }
        // Bass on the first and fifth beat of every chord.
        for (int b : { 0, 4 })
            note(out, bassWave, start + b * beat, 3.0 * beat, frequencyOf(chord.bass), 0.22, 0.05, 1.2, 0.0);
        // A sparse arpeggio of chord tones an octave up, on the eighths.
        for (int eighth = 0; eighth < beatsPerChord * 2; ++eighth) {
            if (eighth % 4 != 0 && rng.uniform() > 0.38)
                continue;
            const int tone = chord.pad[rng.next() % chord.pad.size()] + 12;
            bell(out, start + eighth * beat / 2, frequencyOf(tone), 0.09, rng.range(-0.7, 0.7));
        }
    }
    echo(out, beat * 0.75, 0.35, 4);
    out.normalize(0.7f);
    return out;
}
}

ResourceJob ambientMusicJob()
{
    return { { "music/mainmusic.ogg" },
        [](const OutputFolder& out) { out.saveSound("music/mainmusic.ogg", compose()); } };
}
