#include "SoundEffects.h"

#include "OutputFolder.h"
#include "Rng.h"
#include "SampleBuffer.h"

#include <cmath>

namespace {
constexpr unsigned rate = 44100;
constexpr double twoPi = 6.283185307179586;

// A decaying sine starting at `start` seconds, with a 1 ms fade-in so the
// onset does not click.
void ring(SampleBuffer& out, double start, double frequency, double amplitude, double decay, double length)
{
    const auto first = static_cast<std::size_t>(start * rate);
    const auto count = static_cast<std::size_t>(length * rate);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double envelope = std::min(1.0, t / 0.001) * std::exp(-t / decay);
        out.add(first + i, 0, static_cast<float>(amplitude * envelope * std::sin(twoPi * frequency * t)));
    }
}

// Noise through a one-pole low-pass, decaying from `start`: the crunch of
// broken rock or the blast of a chisel blow.
void burst(SampleBuffer& out, Rng& rng, double start, double amplitude, double decay, double smoothing,
    double length)
{
    const auto first = static_cast<std::size_t>(start * rate);
    const auto count = static_cast<std::size_t>(length * rate);
    double filtered = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        filtered += (rng.range(-1.0, 1.0) - filtered) * smoothing;
        const double envelope = std::min(1.0, t / 0.0005) * std::exp(-t / decay);
        out.add(first + i, 0, static_cast<float>(amplitude * envelope * filtered));
    }
}

SampleBuffer pickaxe()
{
    SampleBuffer out(1, rate, rate);
    Rng rng(601);
    // The steel point rings at inharmonic partials like a struck bar.
    const double partials[][3]
        = { { 2480, 1.0, 0.11 }, { 3960, 0.6, 0.07 }, { 5310, 0.4, 0.045 }, { 7150, 0.25, 0.03 } };
    for (const auto& p : partials)
        ring(out, 0.0, p[0], p[1] * 0.5, p[2], 1.0);
    ring(out, 0.0, 120, 0.5, 0.05, 0.3);
    burst(out, rng, 0.0, 0.9, 0.04, 0.5, 0.3);
    // Chips of rock pattering down after the blow.
    for (int chip = 0; chip < 14; ++chip)
        burst(out, rng, rng.range(0.05, 0.45), rng.range(0.05, 0.25), 0.004, 0.7, 0.03);
    out.normalize(0.8f);
    return out;
}

SampleBuffer jackhammer()
{
    // 25 blows a second; twelve of them make a loop whose length is a whole
    // number of periods of every steady component, so it joins seamlessly.
    const int blows = 12;
    const double period = 1.0 / 25.0;
    SampleBuffer out(1, rate, static_cast<std::size_t>(blows * period * rate));
    Rng rng(701);
    for (int blow = 0; blow < blows; ++blow) {
        const double start = blow * period, strength = rng.range(0.85, 1.0);
        burst(out, rng, start, 0.8 * strength, 0.008, 0.35, period);
        ring(out, start, 1380, 0.25 * strength, 0.012, period);
        ring(out, start, 72, 0.6 * strength, 0.02, period);
    }
    // The compressor's hum and rumble: partials of the loop's own frequency.
    const double loopSeconds = blows * period;
    for (int k = 1; k <= 140; ++k) {
        const double frequency = k / loopSeconds;
        if (frequency < 30)
            continue;
        const double amplitude = (k % blows == 0 ? 0.08 : 0.02) * rng.uniform() * 100.0 / (frequency + 100.0);
        const double phase = rng.range(0, twoPi);
        for (std::size_t i = 0; i < out.frames(); ++i)
            out.add(i, 0, static_cast<float>(amplitude * std::sin(twoPi * frequency * i / rate + phase)));
    }
    out.normalize(0.8f);
    return out;
}
}

std::vector<ResourceJob> soundEffectJobs()
{
    return {
        { { "sounds/pickaxe.wav" },
            [](const OutputFolder& out) { out.saveSound("sounds/pickaxe.wav", pickaxe()); } },
        { { "sounds/jackhammer.wav" },
            [](const OutputFolder& out) { out.saveSound("sounds/jackhammer.wav", jackhammer()); } },
    };
}
