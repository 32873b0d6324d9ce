#pragma once

// Coherent noise on the unit torus: every function of (u, v) takes the same
// value at u = 0 and u = 1 and at v = 0 and v = 1, so images made from it
// tile without seams. Gradient noise is libnoise's lattice gradient noise
// with the lattice wrapped to the tile, which is why frequencies are whole
// numbers; cellular noise uses a wrapped lattice of feature points.
// Thread-safe: the object holds only its seed.
class TileableNoise
{
public:
    explicit TileableNoise(int seed);

    // One octave of gradient noise with `frequency` lattice cells across
    // the tile, roughly in [-1, 1] around 0.
    double gradient(double u, double v, int frequency, int octave = 0) const;
    // Fractal sum of `octaves` gradient octaves, each twice the frequency and
    // `persistence` times the amplitude of the one before.
    double fbm(double u, double v, int frequency, int octaves, double persistence = 0.5) const;
    // Sharp crests where the gradient noise crosses zero, 0 (flat) to 1 (crest).
    double ridged(double u, double v, int frequency, int octaves) const;

    struct Cells
    {
        double nearest; // distance to the nearest feature point, in cell widths
        double second; // distance to the second nearest
        int id; // a stable number of the nearest point's cell
    };
    // Worley noise over `cells` x `cells` cells. With `phase` in [0, 1) every
    // feature point circles its rest position once, so phases 0 and 1 match
    // and an animation over the phase loops.
    Cells cellular(double u, double v, int cells, double phase = 0.0, int layer = 0) const;

private:
    int seed;
};
