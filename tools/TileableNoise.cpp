#include "TileableNoise.h"

#include "Rng.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <libnoise/interp.h>
#include <libnoise/noisegen.h>
#include <utility>
#include <vector>

namespace {
constexpr double twoPi = 6.283185307179586;

// A lattice hash in [0, 1). libnoise's own integer hash is not used: the
// packaged build returns negative values from it.
double hash01(int x, int y, int z, int seed)
{
    const auto key = [](int value) { return static_cast<std::uint64_t>(static_cast<std::uint32_t>(value)); };
    return Rng((key(x) << 32 | key(y)) ^ (key(z) << 16 | key(seed)) * 0x9E3779B97F4A7C15ull).uniform();
}

int wrap(int i, int n)
{
    return ((i % n) + n) % n;
}
}

TileableNoise::TileableNoise(int seed)
    : seed(seed)
{
}

double TileableNoise::gradient(double u, double v, int frequency, int octave) const
{
    const double x = (u - std::floor(u)) * frequency, y = (v - std::floor(v)) * frequency;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const int octaveSeed = seed + 101 * octave;
    // The gradient is the one of the wrapped lattice point, the offset the
    // one from the true corner: libnoise measures the offset from the index
    // it hashes, so the position is moved along with the index.
    const auto corner = [&](int cx, int cy) {
        const int wx = wrap(cx, frequency), wy = wrap(cy, frequency);
        return noise::GradientNoise3D(x - cx + wx, y - cy + wy, 0.0, wx, wy, 0, octaveSeed);
    };
    const double sx = noise::SCurve5(x - x0), sy = noise::SCurve5(y - y0);
    const double bottom = noise::LinearInterp(corner(x0, y0), corner(x0 + 1, y0), sx);
    const double top = noise::LinearInterp(corner(x0, y0 + 1), corner(x0 + 1, y0 + 1), sx);
    return noise::LinearInterp(bottom, top, sy);
}

double TileableNoise::fbm(double u, double v, int frequency, int octaves, double persistence) const
{
    double total = 0.0, amplitude = 1.0, norm = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        total += amplitude * gradient(u, v, frequency, octave);
        norm += amplitude * amplitude;
        amplitude *= persistence;
        frequency *= 2;
    }
    return total / std::sqrt(norm);
}

double TileableNoise::ridged(double u, double v, int frequency, int octaves) const
{
    // Each octave's crests are weighted by the crest strength of the octave
    // before, so fine cracks follow the coarse ones as in ridged multifractals.
    double total = 0.0, weight = 1.0, amplitude = 1.0, norm = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        double crest = 1.0 - std::fabs(gradient(u, v, frequency, octave)) * 2.0;
        crest = crest < 0.0 ? 0.0 : crest * crest;
        total += crest * weight * amplitude;
        norm += amplitude;
        weight = crest;
        amplitude *= 0.5;
        frequency *= 2;
    }
    return total / norm;
}

TileableNoise::Cells TileableNoise::cellular(double u, double v, int cells, double phase, int layer) const
{
    const double x = (u - std::floor(u)) * cells, y = (v - std::floor(v)) * cells;
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    // Rest positions keep a margin inside the cell so the circling points
    // never leave it. The second nearest point can lie two cells away, so
    // the outer ring is searched too, skipping cells whose box is farther
    // than the second nearest point found so far.
    static const auto offsets = [] {
        std::vector<std::pair<int, int>> order;
        for (int ring = 0; ring <= 2; ++ring)
            for (int dy = -ring; dy <= ring; ++dy)
                for (int dx = -ring; dx <= ring; ++dx)
                    if (std::max(std::abs(dx), std::abs(dy)) == ring)
                        order.emplace_back(dx, dy);
        return order;
    }();
    double nearest = 1e18, second = 1e18;
    int id = 0;
    for (const auto& [dx, dy] : offsets) {
        const double gapX = std::max({ cx + dx - x, x - (cx + dx + 1), 0.0 });
        const double gapY = std::max({ cy + dy - y, y - (cy + dy + 1), 0.0 });
        if (gapX * gapX + gapY * gapY >= second)
            continue;
        const int ix = wrap(cx + dx, cells), iy = wrap(cy + dy, cells);
        const double angle = twoPi * (phase + hash01(ix, iy, layer * 4 + 2, seed));
        const double radius = 0.18 * hash01(ix, iy, layer * 4 + 3, seed);
        const double px = cx + dx + 0.2 + 0.6 * hash01(ix, iy, layer * 4, seed) + radius * std::cos(angle);
        const double py
            = cy + dy + 0.2 + 0.6 * hash01(ix, iy, layer * 4 + 1, seed) + radius * std::sin(angle);
        const double squared = (px - x) * (px - x) + (py - y) * (py - y);
        if (squared < nearest) {
            second = nearest;
            nearest = squared;
            id = iy * cells + ix;
        } else if (squared < second) {
            second = squared;
        }
    }
    return { std::sqrt(nearest), std::sqrt(second), id };
}
