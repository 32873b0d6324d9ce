#pragma once

#include <cstdint>

// A small seeded generator (SplitMix64) whose sequence is the same on every
// platform and standard library, so generated resources are reproducible.
class Rng
{
public:
    explicit Rng(std::uint64_t seed)
        : state(seed)
    {
    }

    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double low, double high) { return low + (high - low) * uniform(); }

private:
    std::uint64_t state;
};
