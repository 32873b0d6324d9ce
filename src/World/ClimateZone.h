#pragma once

#include <array>
#include <libnoise/module/perlin.h>
#include <vector>

// Generation parameters of a zone: the weights of the ridged, hills, bumps and
// roughness terms of the density, then the ground offset in world units.
using ClimateParams = std::array<double, 5>;

// How a generated voxel sits in the terrain; each kind has its own material list.
enum class VoxelKind
{
    TopSurface = 0,
    SteepSurface = 1,
    Buried = 2,
};

// One climate zone of the planet: its generation parameters and, for each
// voxel kind, a weighted list of materials chosen by the zone's own noise.
//
// Threads: immutable after construction, so any thread may use it without a lock.
class ClimateZone
{
public:
    struct MaterialWeight
    {
        int material;
        int weight;
    };
    using MaterialList = std::vector<MaterialWeight>;

    ClimateZone(int materialSeed, const ClimateParams& params, MaterialList top, MaterialList steep,
        MaterialList buried);
    ClimateZone(const ClimateZone&) = delete;
    ClimateZone& operator=(const ClimateZone&) = delete;

    const ClimateParams& params() const { return parameters; }
    // 0 for an empty list; otherwise a member of the kind's list, picked by the
    // zone's material noise at (x, y, z) in proportion to the weights.
    int pickMaterial(VoxelKind kind, double x, double y, double z) const;
    // The noise pickMaterial evaluates for the kind; null when the list has at most one entry.
    const noise::module::Module* materialNoiseFor(VoxelKind kind) const;

private:
    struct WeightedList
    {
        MaterialList entries;
        int totalWeight = 0;
    };

    ClimateParams parameters;
    noise::module::Perlin materialNoise;
    std::array<WeightedList, 3> lists;
};
