#include "GenerationFixture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <libnoise/module/perlin.h>
#include <libnoise/module/ridgedmulti.h>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

namespace {

const ClimateParams A1 = { 0, 10, 1.3, 0, 0 }, A2 = { 0, 2, 0.4, 0.1, 0 }, A3 = { 10, 20, 0.1, 0.2, 0 },
                    A4 = { 0, 1, 1.2, 1.4, 0 }, B1 = { 0, 10, 1.2, 0.1, -50 }, B2 = { 100, 20, 0.5, 0.9, 0 };

ClimateParams mix(const ClimateParams& from, const ClimateParams& to, double weight)
{
    ClimateParams result;
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = from[i] * (1.0 - weight) + to[i] * weight;
    return result;
}

// A module set up independently of the generator, to check its wiring.
template <typename Module> Module module(double frequency, int octaves, int seed, bool fast = true)
{
    Module m;
    m.SetFrequency(frequency);
    m.SetOctaveCount(octaves);
    m.SetSeed(seed);
    m.SetNoiseQuality(fast ? noise::QUALITY_FAST : noise::QUALITY_STD);
    return m;
}
using Perlin = noise::module::Perlin;

// Blocks with known contents for seeds 13 and 14: one crossed by the surface at
// mid latitude, one of deep rock and one far above all terrain.
constexpr int SURFACE[3] = { 17, 17, 0 }, DEEP[3] = { 5, 5, 0 }, SKY[3] = { 30, 30, 0 };

} // namespace

class GenerationTest : public GenerationFixture
{
protected:
    datablock block(const int (&at)[3]) { return datablock(&analyzer, "block", at[0], at[1], at[2]); }
    // The voxel at a world position, read, with its material checked against the
    // zone's pick for the given kind, or for any kind when none is given.
    const Voxel& readAndCheck(datablock& b, int x, int y, int z, int kind = -1)
    {
        const Voxel& voxel = *b.getVoxel(x, y, z);
        EXPECT_GE(voxel.density(), -127);
        const ClimateZone& zone = analyzer.zoneFor(nullptr, b.climateAt(x, y, z), x, y, z);
        bool fits = voxel.density() == Voxel::FULLY_AIR && voxel.material() == Voxel::AIR_MATERIAL;
        for (int k = 0; k < 3; ++k)
            fits = fits
                || ((kind < 0 || k == kind) && voxel.material() == zone.pickMaterial(VoxelKind(k), x, y, z));
        EXPECT_TRUE(fits) << "material " << voxel.material() << " at " << x << " " << y << " " << z;
        return voxel;
    }
    // Checks the zone chosen and the parameters blended for climate c and overlay t.
    void expectZone(double c, double t, const ClimateParams& zone, const ClimateParams& params)
    {
        ClimateParams blended;
        const ClimateZone& chosen = analyzer.zoneForValues(&blended, c, t);
        EXPECT_EQ(&chosen, &analyzer.zoneForValues(nullptr, c, t));
        for (std::size_t i = 0; i < params.size(); ++i) {
            EXPECT_DOUBLE_EQ(zone[i], chosen.params()[i]) << "zone at c = " << c << ", t = " << t;
            EXPECT_NEAR(params[i], blended[i], 1e-9) << "parameter " << i << " at c = " << c << ", t = " << t;
        }
    }
};

TEST_F(GenerationTest, EveryModuleHasItsOwnSeedAndSettings)
{
    // Seed arithmetic truncates, never traps and refuses a zero seed2.
    EXPECT_EQ(-6, DatablockAnalyzer::noiseSeeds(-7, 2).hills); // -3 + -3, toward zero
    EXPECT_EQ(1 << 30, DatablockAnalyzer::noiseSeeds(INT_MIN, -1).hills); // INT_MIN / -1 traps in 32 bits
    EXPECT_EQ(INT_MAX - 1, DatablockAnalyzer::noiseSeeds(INT_MAX, INT_MIN).bumps); // wraps
    EXPECT_THROW(DatablockAnalyzer(13, 0), const char*);
    EXPECT_EQ(&analyzer, DatablockAnalyzer::getInstance());
    const auto ridged = module<noise::module::RidgedMulti>(0.005, 2, -15);
    const Perlin hills = module<Perlin>(0.02, 1, 6), bumps = module<Perlin>(0.08, 1, 12),
                 roughness = module<Perlin>(0.16, 2, 15), climate = module<Perlin>(4.0 / 500.0, 4, -1),
                 overlay = module<Perlin>(1.0 / 500.0, 2, 1);
    for (const Vector3& p : { Vector3(123.4, 456.7, -89.1), Vector3(-301.25, 17.5, 388.75) }) {
        // A ground offset equal to the height leaves only the weighted term.
        const double h = planet.heightAt(p);
        auto density = [&](const ClimateParams& params) { return analyzer.densityAt(p.x, p.y, p.z, params); };
        EXPECT_NEAR(0.5 * std::abs(ridged.GetValue(p.x, p.y, p.z)), density({ 0.5, 0, 0, 0, h }), 1e-12);
        EXPECT_NEAR(0.5 * hills.GetValue(p.x, p.y, p.z), density({ 0, 0.5, 0, 0, h }), 1e-12);
        EXPECT_NEAR(0.5 * bumps.GetValue(p.x, p.y, p.z), density({ 0, 0, 0.5, 0, h }), 1e-12);
        EXPECT_NEAR(0.5 * roughness.GetValue(p.x, p.y, p.z), density({ 0, 0, 0, 0.5, h }), 1e-12);
        const double tiny = static_cast<double>(0.0001f); // still counts as zero
        EXPECT_EQ(0.0, density({ tiny, tiny, tiny, tiny, h }));
        // Climate and overlay are read on the surface point above p.
        const Vector3 d = p.normalise(), s = d * 500.0;
        EXPECT_NEAR(std::min(std::abs(d.y + 0.3 * climate.GetValue(s.x, s.y, s.z)), 1.0),
            analyzer.climateValue(p.x, p.y, p.z), 1e-12);
        EXPECT_NEAR(
            (overlay.GetValue(s.x, s.y, s.z) + 1.0) * 0.5, analyzer.overlayValue(p.x, p.y, p.z), 1e-12);
    }
    // At the centre (closer than 1e-5) the direction is zero.
    EXPECT_NEAR(std::abs(0.3 * climate.GetValue(0, 0, 0)), analyzer.climateValue(0.0, 5e-6, 0.0), 1e-12);
    // Zone materials split by weight over the zone noise.
    // A3: top (1, 90), (5, 20); steep (3, 20); buried (5, 1).
    const ClimateZone& a3 = analyzer.zoneForValues(nullptr, 0.5, 0.5);
    const Perlin zoneNoise = module<Perlin>(0.1, 1, 27, false);
    int ones = 0;
    for (int i = 0; i < 400; ++i) {
        const double x = 3.7 * i, y = 0.9 * i - 100.0, z = 50.0 - 1.3 * i;
        const int r
            = static_cast<int>((std::clamp(zoneNoise.GetValue(x, y, z), -1.0, 1.0) + 1.0) * 0.5 * 110.0);
        const int material = a3.pickMaterial(VoxelKind::TopSurface, x, y, z);
        EXPECT_EQ(r <= 90 ? 1 : 5, material) << "r = " << r;
        ones += material == 1;
        EXPECT_EQ(3, a3.pickMaterial(VoxelKind::SteepSurface, x, y, z));
        EXPECT_EQ(5, a3.pickMaterial(VoxelKind::Buried, x, y, z));
    }
    EXPECT_TRUE(ones > 0 && ones < 400);
    // An empty list leaves the voxel ungenerated.
    EXPECT_EQ(0, ClimateZone(27, a3.params(), {}, {}, {}).pickMaterial(VoxelKind::TopSurface, 1.5, 2.5, 3.5));
}

TEST_F(GenerationTest, DensityIsASaturatedDistanceAndZonesBlendBetweenTheirRanges)
{
    // Height, parameters, density; deep rock ignores the parameters, however wild.
    const std::tuple<double, ClimateParams, double> cases[]
        = { { -1.0, {}, 1.0 }, { -0.5, {}, 0.5 }, { 0.25, {}, -0.25 }, { 1.0, {}, -1.0 },
              { 2.5, { 0, 0, 0, 0, 2 }, -0.5 }, { -300.0, { 1e6, 1e6, 1e6, 1e6, -1e9 }, 1.0 } };
    for (const auto& [height, params, density] : cases)
        EXPECT_DOUBLE_EQ(density, analyzer.densityAt(0.0, 0.0, -(500.0 + height), params)) << height;
    const double none = 0.5; // in no overlay zone
    expectZone(0.05, none, A1, A1); // bounds are inclusive
    expectZone(-0.5, none, A1, A1); // clamped into 0..1
    expectZone(3.0, none, A4, A4);
    // 60 % A2 and 40 % A3; A2 is nearer (0.02 against 0.03). Equally far from both: the upper zone.
    expectZone(0.27, none, A2, mix(A2, A3, 0.4));
    expectZone(0.275, none, A3, mix(A2, A3, 0.5));
    expectZone(0.925, none, A4, mix(A3, A4, 0.5));
    const double c = 0.5; // inside A3
    for (double t : { 0.0, 0.3, 0.93, 1.0 }) // bounds are strict
        expectZone(c, t, A3, A3);
    expectZone(c, 0.15, B1, B1);
    // B1 starts at 0 and does not fade there, though the zone stays A3 near the edge;
    // towards 0.3 it fades into the latitude zone.
    expectZone(c, 0.02, A3, B1);
    expectZone(c, 0.2, B1, mix(A3, B1, (0.1 / 0.3) / 0.45));
    expectZone(c, 0.28, A3, mix(A3, B1, (0.02 / 0.3) / 0.45));
    // B2 fades in from 0.93 but not towards 1.
    expectZone(c, 0.94, B2, mix(A3, B2, (0.01 / 0.07) / 0.45));
    expectZone(c, 0.99, B2, B2);
    expectZone(c, 0.995, A3, B2);
}

TEST_F(GenerationTest, BlockCoordinatesBoundsAndCornerClimate)
{
    const int quotients[][2] = { { -41, -3 }, { -40, -2 }, { -21, -2 }, { -20, -1 }, { -1, -1 }, { 0, 0 },
        { 19, 0 }, { 20, 1 }, { INT_MAX, INT_MAX / 20 }, { INT_MIN + 8, -107374182 } };
    for (const auto& q : quotients)
        EXPECT_EQ(q[1], datablock::blockCoordinate(q[0])) << "x = " << q[0];
    datablock b = block(SURFACE);
    Voxel* record = b.getVoxel(343, 344, 5);
    ASSERT_TRUE(record->isGenerated());
    // Reused for new coordinates: x = -1 is local 19 and x = -20 local 0, and the records start afresh.
    b.reinit(-1, 0, 2, "elsewhere");
    EXPECT_EQ("elsewhere", b.filename());
    EXPECT_FALSE(record->isGenerated());
    EXPECT_EQ(Voxel::UNCOMPUTED_DENSITY, record->density());
    EXPECT_EQ(record, b.getVoxel(-20 + 3, 4, 45));
    EXPECT_EQ(&b.localVoxel(19, 0, 0), b.getVoxel(-1, 0, 40));
    EXPECT_EQ(&b.localVoxel(0, 19, 19), b.getVoxel(-20, 19, 59));
    for (const auto& outside : { std::array<int, 3> { -21, 0, 40 }, { 0, 0, 40 }, { -1, -1, 40 },
             { -1, 20, 40 }, { -1, 0, 39 }, { -1, 0, 60 }, { 343, 344, 5 } })
        EXPECT_EQ(nullptr, b.getVoxel(outside[0], outside[1], outside[2]));
    // Corners in the order (min, min, min), (min, min, max), (min, max, min), ... (max, max, max).
    const int xs[2] = { -20, -1 }, ys[2] = { 0, 19 }, zs[2] = { 40, 59 };
    for (int corner = 0; corner < 8; ++corner) {
        const int x = xs[corner >> 2], y = ys[(corner >> 1) & 1], z = zs[corner & 1];
        EXPECT_DOUBLE_EQ(analyzer.climateValue(x, y, z), b.cornerClimate()[corner]);
        EXPECT_DOUBLE_EQ(b.cornerClimate()[corner], b.climateAt(x, y, z));
    }
    const std::array<double, 8>& k = b.cornerClimate();
    EXPECT_DOUBLE_EQ(
        (k[0] + k[1] + k[2] + k[3] + k[4] + k[5] + k[6] + k[7]) / 8.0, b.climateAt(-10.5, 9.5, 49.5));
    EXPECT_DOUBLE_EQ(0.75 * k[0] + 0.25 * k[4], b.climateAt(-20 + 4.75, 0, 40));
}

TEST_F(GenerationTest, PresetDensitiesAreKeptAndClassifiedByTheirNeighbours)
{
    datablock sky = block(SKY);
    const int x = sky.minX(), y = sky.minY(), z = sky.minZ();
    // Alone in the air: a steep surface. With ground on the -x and -y sides, between which up lies: a top
    // one.
    for (const auto& l : { std::array<int, 3> { 4, 5, 6 }, { 14, 5, 6 }, { 13, 5, 6 }, { 14, 4, 6 } })
        sky.localVoxel(l[0], l[1], l[2]).setDensity(42);
    EXPECT_EQ(42, readAndCheck(sky, x + 4, y + 5, z + 6, 1).density());
    EXPECT_EQ(42, readAndCheck(sky, x + 14, y + 5, z + 6, 0).density());
    // Air skips classification, which would have computed the neighbours' densities.
    EXPECT_EQ(Voxel::AIR_MATERIAL, sky.getVoxel(x + 10, y + 10, z + 10)->material());
    EXPECT_EQ(Voxel::UNCOMPUTED_DENSITY, sky.localVoxel(11, 10, 10).density());
    datablock deep = block(DEEP);
    EXPECT_EQ(Voxel::FULLY_SOLID,
        readAndCheck(deep, deep.minX() + 3, deep.minY() + 3, deep.minZ() + 3, 2).density());
    // A neighbour's density computed for classification is kept, not computed again.
    Voxel& neighbour = deep.localVoxel(4, 3, 3);
    EXPECT_TRUE(neighbour.density() == Voxel::FULLY_SOLID && !neighbour.isGenerated());
    neighbour.setDensity(99);
    EXPECT_EQ(99, deep.getVoxel(deep.minX() + 4, deep.minY() + 3, deep.minZ() + 3)->density());
    // Face neighbours outside the block count as ground and as the voxel itself.
    datablock b(&analyzer, "block", 0, 25, 0); // on the +y axis, so up is almost +y
    forEachLocal([&](int x, int y, int z) { b.localVoxel(x, y, z).setDensity(50); });
    auto set = [&](int x, int y, int z, int density) { b.localVoxel(x, y, z).setDensity(density); };
    // In air on a face with ground all around inside the block: buried. Past the +y face lies
    // another block, not the next row of this one.
    set(6, 0, 5, Voxel::FULLY_AIR);
    for (const auto& l : { std::array<int, 3> { 0, 5, 5 }, { 19, 5, 5 }, { 5, 19, 5 } }) {
        set(l[0], l[1], l[2], -50);
        EXPECT_EQ(VoxelKind::Buried, analyzer.AnalyzeVoxel(b, l[0], l[1], l[2], 0.5)) << l[0] << " " << l[1];
    }
    // Air above: the slope across the face is flat (the outside takes the voxel's own
    // density), so the surface faces up. Air beside or below instead: steep.
    set(0, 5, 5, 50);
    for (const auto& [y, z, kind] : { std::tuple { 6, 5, VoxelKind::TopSurface },
             { 5, 6, VoxelKind::SteepSurface }, { 4, 5, VoxelKind::SteepSurface } }) {
        set(0, y, z, Voxel::FULLY_AIR);
        EXPECT_EQ(kind, analyzer.AnalyzeVoxel(b, 0, 5, 5, 0.5)) << y << " " << z;
        set(0, y, z, 50);
    }
}

TEST_F(GenerationTest, EveryGeneratedVoxelHasADensityInRangeAndAMaterialOfItsZone)
{
    // Surface blocks at the equator, at mid latitude, near a pole and below the equator.
    const int blocks[][3] = { { 25, 0, 0 }, { 17, 17, 0 }, { 2, 24, 3 }, { -16, -3, 16 } };
    std::mt19937 random(1314);
    std::uniform_int_distribution<int> local(0, datablock::SIZE - 1);
    for (const auto& at : blocks) {
        datablock b = block(at);
        const int x = b.minX(), y = b.minY(), z = b.minZ();
        // Random reads first, so classification meets neighbours in every state.
        for (int i = 0; i < 1500; ++i)
            readAndCheck(b, x + local(random), y + local(random), z + local(random));
        int air = 0;
        forEachLocal(
            [&](int lx, int ly, int lz) { air += readAndCheck(b, x + lx, y + ly, z + lz).density() < 0; });
        EXPECT_TRUE(air > 0 && air < 8000) << "block " << at[0] << " " << at[1] << " is not at the surface";
    }
}

TEST_F(GenerationTest, EachVoxelIsGeneratedOnceAsTheBlockSaysThoughThreadsReadAtOnce)
{
    datablock b = block(SURFACE);
    const double before = voxelsGenerated();
    // A fresh voxel's density comes from the blended parameters at its interpolated climate.
    const int x = b.minX() + 7, y = b.minY() + 8, z = b.minZ() + 9;
    ClimateParams params;
    analyzer.zoneFor(&params, b.climateAt(x, y, z), x, y, z);
    EXPECT_EQ(static_cast<int>(analyzer.densityAt(x, y, z, params) * 127.0), b.getVoxel(x, y, z)->density());
    EXPECT_EQ(before + 1.0, voxelsGenerated());
    std::vector<std::thread> readers;
    for (int step : { 1, 7, 7999 }) // coprime to 8000: each thread walks the block in its own order
        readers.emplace_back([&b, step] {
            for (int i = 0; i < 8000; ++i) {
                const int index = i * step % 8000;
                b.getVoxel(b.minX() + index / 400, b.minY() + index / 20 % 20, b.minZ() + index % 20);
            }
        });
    for (std::thread& reader : readers)
        reader.join();
    // Air is counted too.
    EXPECT_EQ(before + 8000.0, voxelsGenerated());
}
