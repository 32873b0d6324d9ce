#include "GenerationFixture.h"

#include <climits>
#include <cmath>
#include <libnoise/module/ridgedmulti.h>

namespace {

const ClimateParams A1 = { 0, 10, 1.3, 0, 0 };
const ClimateParams A2 = { 0, 2, 0.4, 0.1, 0 };
const ClimateParams A3 = { 10, 20, 0.1, 0.2, 0 };
const ClimateParams A4 = { 0, 1, 1.2, 1.4, 0 };
const ClimateParams B1 = { 0, 10, 1.2, 0.1, -50 };
const ClimateParams B2 = { 100, 20, 0.5, 0.9, 0 };

ClimateParams mix(const ClimateParams& from, const ClimateParams& to, double weight)
{
    ClimateParams result;
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = from[i] * (1.0 - weight) + to[i] * weight;
    return result;
}

} // namespace

class DatablockAnalyzerTest : public GenerationFixture
{
protected:
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

TEST_F(DatablockAnalyzerTest, SeedArithmeticTruncatesNeverTrapsAndRefusesSeed2Zero)
{
    const DatablockAnalyzer::NoiseSeeds seeds = DatablockAnalyzer::noiseSeeds(13, 14);
    EXPECT_EQ(-15, seeds.ridged);
    EXPECT_EQ(6, seeds.hills);
    EXPECT_EQ(12, seeds.bumps);
    EXPECT_EQ(15, seeds.roughness);
    EXPECT_EQ(-1, seeds.climate);
    EXPECT_EQ(1, seeds.overlay);
    EXPECT_EQ(27, seeds.zoneMaterial);

    EXPECT_EQ(-6, DatablockAnalyzer::noiseSeeds(-7, 2).hills); // -3 + -3, toward zero
    EXPECT_EQ(1 << 30, DatablockAnalyzer::noiseSeeds(INT_MIN, -1).hills); // INT_MIN / -1 traps in 32 bits
    EXPECT_EQ(INT_MAX - 1, DatablockAnalyzer::noiseSeeds(INT_MAX, INT_MIN).bumps); // wraps

    EXPECT_THROW(DatablockAnalyzer(13, 0), const char*);
    EXPECT_EQ(&analyzer, DatablockAnalyzer::getInstance());
}

TEST_F(DatablockAnalyzerTest, EveryModuleHasItsOwnSeedAndSettings)
{
    noise::module::RidgedMulti ridged;
    ridged.SetFrequency(0.005);
    ridged.SetOctaveCount(2);
    ridged.SetNoiseQuality(noise::QUALITY_FAST);
    ridged.SetSeed(-15);
    const noise::module::Perlin hills = perlin(0.02, 1, 6);
    const noise::module::Perlin bumps = perlin(0.08, 1, 12);
    const noise::module::Perlin roughness = perlin(0.16, 2, 15);
    const noise::module::Perlin climate = perlin(4.0 / 500.0, 4, -1);
    const noise::module::Perlin overlay = perlin(1.0 / 500.0, 2, 1);

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
        const Vector3 d = p.normalise();
        const Vector3 s = d * 500.0;
        EXPECT_NEAR(std::min(std::abs(d.y + 0.3 * climate.GetValue(s.x, s.y, s.z)), 1.0),
            analyzer.climateValue(p.x, p.y, p.z), 1e-12);
        EXPECT_NEAR(
            (overlay.GetValue(s.x, s.y, s.z) + 1.0) * 0.5, analyzer.overlayValue(p.x, p.y, p.z), 1e-12);
    }
    // At the centre (closer than 1e-5) the direction is zero.
    EXPECT_NEAR(std::abs(0.3 * climate.GetValue(0, 0, 0)), analyzer.climateValue(0.0, 5e-6, 0.0), 1e-12);
}

TEST_F(DatablockAnalyzerTest, DensityIsASaturatedDistanceAndSolidDeepDown)
{
    auto atHeight = [&](double h, const ClimateParams& params) {
        return analyzer.densityAt(0.0, 0.0, -(500.0 + h), params);
    };
    const ClimateParams flat = { 0, 0, 0, 0, 0 };
    EXPECT_EQ(1.0, atHeight(-1.0, flat));
    EXPECT_DOUBLE_EQ(0.5, atHeight(-0.5, flat));
    EXPECT_DOUBLE_EQ(-0.25, atHeight(0.25, flat));
    EXPECT_EQ(-1.0, atHeight(1.0, flat));
    EXPECT_DOUBLE_EQ(-0.5, atHeight(2.5, { 0, 0, 0, 0, 2 }));
    // Deep rock ignores the parameters, however wild.
    EXPECT_EQ(1.0, atHeight(-300.0, { 1e6, 1e6, 1e6, 1e6, -1e9 }));
}

TEST_F(DatablockAnalyzerTest, LatitudeZonesBlendBetweenTheirRanges)
{
    const double none = 0.5; // in no overlay zone
    expectZone(0.05, none, A1, A1); // bounds are inclusive
    expectZone(-0.5, none, A1, A1); // clamped into 0..1
    expectZone(3.0, none, A4, A4);
    // 60 % A2 and 40 % A3; A2 is nearer (0.02 against 0.03).
    expectZone(0.27, none, A2, mix(A2, A3, 0.4));
    // Equally far from both: the tie goes to the upper zone.
    expectZone(0.275, none, A3, mix(A2, A3, 0.5));
    expectZone(0.925, none, A4, mix(A3, A4, 0.5));
}

TEST_F(DatablockAnalyzerTest, OverlayZonesReplaceAwayFromTheirEdgesAndFadeOnlyIntoNeighbours)
{
    const double c = 0.5; // inside A3
    for (double t : { 0.0, 0.3, 0.93, 1.0 }) // bounds are strict
        expectZone(c, t, A3, A3);
    expectZone(c, 0.15, B1, B1);
    // B1 starts at 0 and does not fade there, though the zone stays A3 near the edge.
    expectZone(c, 0.02, A3, B1);
    // Towards 0.3 it fades into the latitude zone.
    expectZone(c, 0.2, B1, mix(A3, B1, (0.1 / 0.3) / 0.45));
    expectZone(c, 0.28, A3, mix(A3, B1, (0.02 / 0.3) / 0.45));
    // B2 fades in from 0.93 but not towards 1.
    expectZone(c, 0.94, B2, mix(A3, B2, (0.01 / 0.07) / 0.45));
    expectZone(c, 0.99, B2, B2);
    expectZone(c, 0.995, A3, B2);
}
