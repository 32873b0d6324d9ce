#include "World/ClimateZone.h"

#include <algorithm>
#include <numeric>
#include <utility>

ClimateZone::ClimateZone(
    int materialSeed, const ClimateParams& params, MaterialList top, MaterialList steep, MaterialList buried)
    : parameters(params)
{
    materialNoise.SetFrequency(0.1);
    materialNoise.SetOctaveCount(1);
    materialNoise.SetPersistence(0.5);
    materialNoise.SetSeed(materialSeed);

    MaterialList byKind[] = { std::move(top), std::move(steep), std::move(buried) };
    for (std::size_t kind = 0; kind < lists.size(); ++kind) {
        lists[kind].entries = std::move(byKind[kind]);
        lists[kind].totalWeight = std::accumulate(lists[kind].entries.begin(), lists[kind].entries.end(), 0,
            [](int sum, const MaterialWeight& entry) { return sum + entry.weight; });
    }
}

int ClimateZone::pickMaterial(VoxelKind kind, double x, double y, double z) const
{
    const WeightedList& list = lists[static_cast<std::size_t>(kind)];
    if (list.entries.empty())
        return 0;
    const noise::module::Module* varying = materialNoiseFor(kind);
    if (!varying)
        return list.entries.front().material;

    const double n = std::clamp(varying->GetValue(x, y, z), -1.0, 1.0);
    int r = static_cast<int>((n + 1.0) * 0.5 * list.totalWeight);
    for (const MaterialWeight& entry : list.entries) {
        if (r <= entry.weight)
            return entry.material;
        r -= entry.weight;
    }
    return -1;
}

const noise::module::Module* ClimateZone::materialNoiseFor(VoxelKind kind) const
{
    // A single entry needs no noise, which keeps most buried voxels cheap.
    return lists[static_cast<std::size_t>(kind)].entries.size() > 1 ? &materialNoise : nullptr;
}
