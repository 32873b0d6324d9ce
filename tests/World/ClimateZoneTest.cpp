#include "GenerationFixture.h"

#include <algorithm>

using ClimateZoneTest = GenerationFixture;

TEST_F(ClimateZoneTest, MaterialsSplitByWeightOverTheZoneNoise)
{
    // A3: kind 0 (1, 90), (5, 20); kind 1 (3, 20); kind 2 (5, 1).
    const ClimateZone& a3 = analyzer.zoneForValues(nullptr, 0.5, 0.5);
    const noise::module::Perlin zoneNoise = perlin(0.1, 1, 27, false);
    int ones = 0;
    for (int i = 0; i < 400; ++i) {
        const double x = 3.7 * i;
        const double y = 0.9 * i - 100.0;
        const double z = 50.0 - 1.3 * i;
        const double t = (std::clamp(zoneNoise.GetValue(x, y, z), -1.0, 1.0) + 1.0) * 0.5;
        const int r = static_cast<int>(t * 110.0);
        const int material = a3.pickMaterial(VoxelKind::TopSurface, x, y, z);
        EXPECT_EQ(r <= 90 ? 1 : 5, material) << "r = " << r;
        ones += material == 1;
        EXPECT_EQ(3, a3.pickMaterial(VoxelKind::SteepSurface, x, y, z));
        EXPECT_EQ(5, a3.pickMaterial(VoxelKind::Buried, x, y, z));
    }
    EXPECT_GT(ones, 0);
    EXPECT_LT(ones, 400);
    // An empty list leaves the voxel ungenerated.
    EXPECT_EQ(0, ClimateZone(27, a3.params(), {}, {}, {}).pickMaterial(VoxelKind::TopSurface, 1.5, 2.5, 3.5));
}
