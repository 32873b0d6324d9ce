#include "GenerationFixture.h"

#include <algorithm>
#include <cmath>

using ClimateZoneTest = GenerationFixture;

TEST_F(ClimateZoneTest, MaterialsSplitByWeightOverTheZoneNoise)
{
    // The A3 zone; its kind 0 list is (1, 90), (5, 20).
    const ClimateZone& a3 = analyzer.zoneForValues(nullptr, 0.5, 0.5);
    const noise::module::Perlin zoneNoise = perlin(0.1, 1, 27, false);
    int ones = 0;
    int fives = 0;
    for (int i = 0; i < 400; ++i) {
        const double x = 3.7 * i;
        const double y = 0.9 * i - 100.0;
        const double z = 50.0 - 1.3 * i;
        const double t = (std::clamp(zoneNoise.GetValue(x, y, z), -1.0, 1.0) + 1.0) * 0.5;
        const int r = static_cast<int>(t * 110.0);
        const int material = a3.pickMaterial(VoxelKind::TopSurface, x, y, z);
        EXPECT_EQ(r <= 90 ? 1 : 5, material) << "r = " << r;
        (material == 1 ? ones : fives)++;
        // Single-entry lists need no noise.
        EXPECT_EQ(3, a3.pickMaterial(VoxelKind::SteepSurface, x, y, z));
        EXPECT_EQ(5, a3.pickMaterial(VoxelKind::Buried, x, y, z));
    }
    EXPECT_GT(ones, 0);
    EXPECT_GT(fives, 0);
}

TEST(ClimateZoneListTest, EdgesOfTheWeightedWalk)
{
    const ClimateParams params = { 0, 0, 0, 0, 0 };
    const ClimateZone zone(27, params, {}, { { 6, 0 }, { 9, 0 } }, { { 2, 1 }, { 8, 3 } });
    // An empty list leaves the voxel ungenerated.
    EXPECT_EQ(0, zone.pickMaterial(VoxelKind::TopSurface, 1.5, 2.5, 3.5));
    // Zero weights: r is 0, and 0 <= 0 takes the first entry.
    EXPECT_EQ(6, zone.pickMaterial(VoxelKind::SteepSurface, 1.5, 2.5, 3.5));
    for (int i = 0; i < 200; ++i) {
        const int material = zone.pickMaterial(VoxelKind::Buried, 0.77 * i, -1.1 * i, 2.3 * i);
        EXPECT_TRUE(material == 2 || material == 8) << material;
    }
}
