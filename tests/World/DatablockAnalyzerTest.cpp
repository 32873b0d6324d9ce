#include "GenerationFixture.h"

#include <climits>
#include <cmath>
#include <cstring>
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

void expectParams(const ClimateParams& expected, const ClimateParams& actual)
{
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(expected[i], actual[i], 1e-9) << "parameter " << i;
}

bool refusesSeed2Zero(void (*attempt)())
{
    try {
        attempt();
    } catch (const char* message) {
        return std::strstr(message, "seed2") != nullptr;
    }
    return false;
}

} // namespace

using DatablockAnalyzerTest = GenerationFixture;

TEST_F(DatablockAnalyzerTest, SeedArithmeticTruncatesAndNeverTraps)
{
    const DatablockAnalyzer::NoiseSeeds seeds = DatablockAnalyzer::noiseSeeds(13, 14);
    EXPECT_EQ(-15, seeds.ridged);
    EXPECT_EQ(6, seeds.hills);
    EXPECT_EQ(12, seeds.bumps);
    EXPECT_EQ(15, seeds.roughness);
    EXPECT_EQ(-1, seeds.climate);
    EXPECT_EQ(1, seeds.overlay);
    EXPECT_EQ(27, seeds.zoneMaterial);

    // -7 / 2 and -7 / 2 both truncate toward zero: -3 + -3.
    EXPECT_EQ(-6, DatablockAnalyzer::noiseSeeds(-7, 2).hills);
    // INT_MIN / -1 would trap in 32 bits; in full precision the sum fits.
    EXPECT_EQ(1 << 30, DatablockAnalyzer::noiseSeeds(INT_MIN, -1).hills);
    EXPECT_EQ(-INT_MAX, DatablockAnalyzer::noiseSeeds(INT_MAX, INT_MAX).ridged);
    // A result beyond 32 bits wraps around.
    EXPECT_EQ(INT_MAX - 1, DatablockAnalyzer::noiseSeeds(INT_MAX, INT_MIN).bumps);

    EXPECT_TRUE(refusesSeed2Zero([] { DatablockAnalyzer::noiseSeeds(13, 0); }));
    EXPECT_TRUE(refusesSeed2Zero([] { DatablockAnalyzer refused(13, 0); }));
    EXPECT_EQ(&analyzer, DatablockAnalyzer::getInstance());
}

TEST_F(DatablockAnalyzerTest, EachDensityTermUsesItsOwnModule)
{
    noise::module::RidgedMulti ridged;
    ridged.SetFrequency(0.005);
    ridged.SetOctaveCount(2);
    ridged.SetNoiseQuality(noise::QUALITY_FAST);
    ridged.SetSeed(-15);
    const noise::module::Perlin hills = perlin(0.02, 1, 6);
    const noise::module::Perlin bumps = perlin(0.08, 1, 12);
    const noise::module::Perlin roughness = perlin(0.16, 2, 15);

    for (const Vector3& p : { Vector3(123.4, 456.7, -89.1), Vector3(-301.25, 17.5, 388.75) }) {
        // A ground offset equal to the height leaves only the weighted term.
        const double h = planet.heightAt(p);
        EXPECT_NEAR(0.5 * std::abs(ridged.GetValue(p.x, p.y, p.z)),
            analyzer.densityAt(p.x, p.y, p.z, { 0.5, 0, 0, 0, h }), 1e-12);
        EXPECT_NEAR(0.5 * hills.GetValue(p.x, p.y, p.z),
            analyzer.densityAt(p.x, p.y, p.z, { 0, 0.5, 0, 0, h }), 1e-12);
        EXPECT_NEAR(0.5 * bumps.GetValue(p.x, p.y, p.z),
            analyzer.densityAt(p.x, p.y, p.z, { 0, 0, 0.5, 0, h }), 1e-12);
        EXPECT_NEAR(0.5 * roughness.GetValue(p.x, p.y, p.z),
            analyzer.densityAt(p.x, p.y, p.z, { 0, 0, 0, 0.5, h }), 1e-12);
        // A weight of single-precision 0.0001 still counts as zero.
        const double tiny = static_cast<double>(0.0001f);
        EXPECT_EQ(0.0, analyzer.densityAt(p.x, p.y, p.z, { tiny, tiny, tiny, tiny, h }));
    }
}

TEST_F(DatablockAnalyzerTest, DensityIsASaturatedDistanceAndSolidDeepDown)
{
    const ClimateParams flat = { 0, 0, 0, 0, 0 };
    auto densityAtHeight = [&](double h, const ClimateParams& params) {
        return analyzer.densityAt(0.0, 0.0, -(500.0 + h), params);
    };
    EXPECT_EQ(1.0, densityAtHeight(-5.0, flat));
    EXPECT_EQ(1.0, densityAtHeight(-1.0, flat));
    EXPECT_DOUBLE_EQ(0.5, densityAtHeight(-0.5, flat));
    EXPECT_DOUBLE_EQ(-0.25, densityAtHeight(0.25, flat));
    EXPECT_EQ(-1.0, densityAtHeight(1.0, flat));
    EXPECT_EQ(-1.0, densityAtHeight(40.0, flat));
    EXPECT_DOUBLE_EQ(-0.5, densityAtHeight(2.5, { 0, 0, 0, 0, 2 }));

    // Deep rock ignores the parameters, however wild.
    const ClimateParams wild = { 1e6, 1e6, 1e6, 1e6, -1e9 };
    EXPECT_EQ(1.0, densityAtHeight(-300.0, wild));
    EXPECT_EQ(1.0, analyzer.densityAt(0.0, 0.0, 0.0, wild));
}

TEST_F(DatablockAnalyzerTest, ClimateFollowsLatitudeShiftedByItsNoise)
{
    const noise::module::Perlin climate = perlin(4.0 / 500.0, 4, -1);
    for (const Vector3& p : { Vector3(321.0, 0.0, 250.0), Vector3(10.0, 700.0, -30.0),
             Vector3(-40.0, -80.0, 60.0), Vector3(0.0, -2000.0, 0.0) }) {
        const Vector3 d = p.normalise();
        const Vector3 s = d * 500.0;
        const double expected = std::min(std::abs(d.y + 0.3 * climate.GetValue(s.x, s.y, s.z)), 1.0);
        EXPECT_NEAR(expected, analyzer.climateValue(p.x, p.y, p.z), 1e-12);
    }
    // At the centre (and closer than 1e-5 to it) the direction is zero.
    const double atCentre = std::abs(0.3 * climate.GetValue(0.0, 0.0, 0.0));
    EXPECT_NEAR(atCentre, analyzer.climateValue(0.0, 0.0, 0.0), 1e-12);
    EXPECT_NEAR(atCentre, analyzer.climateValue(0.0, 5e-6, 0.0), 1e-12);
}

TEST_F(DatablockAnalyzerTest, OverlayValueComesFromTheSurfacePointAbove)
{
    const noise::module::Perlin overlay = perlin(1.0 / 500.0, 2, 1);
    for (const Vector3& p : { Vector3(321.0, 12.0, 250.0), Vector3(-40.0, -80.0, 60.0) }) {
        const Vector3 s = p.normalise() * 500.0;
        EXPECT_NEAR(
            (overlay.GetValue(s.x, s.y, s.z) + 1.0) * 0.5, analyzer.overlayValue(p.x, p.y, p.z), 1e-12);
    }
}

TEST_F(DatablockAnalyzerTest, LatitudeZonesBlendBetweenTheirRanges)
{
    const double noOverlay = 0.5;
    auto zoneAt = [&](double c) { return analyzer.zoneForValues(nullptr, c, noOverlay).params(); };
    auto paramsAt = [&](double c) {
        ClimateParams params;
        analyzer.zoneForValues(&params, c, noOverlay);
        return params;
    };

    expectParams(A1, zoneAt(0.03));
    expectParams(A1, paramsAt(0.03));
    expectParams(A1, zoneAt(0.05)); // bounds are inclusive
    expectParams(A2, paramsAt(0.1));
    expectParams(A1, paramsAt(-0.5)); // clamped into 0..1
    expectParams(A4, paramsAt(3.0));

    // 0.27: 60 % A2 and 40 % A3; A2 is nearer (0.02 against 0.03).
    expectParams(mix(A2, A3, 0.4), paramsAt(0.27));
    expectParams(A2, zoneAt(0.27));
    // 0.275 is as far from both; the tie goes to the upper zone.
    expectParams(A3, zoneAt(0.275));
    expectParams(mix(A3, A4, 0.5), paramsAt(0.925));
    expectParams(A4, zoneAt(0.925));
}

TEST_F(DatablockAnalyzerTest, OverlayZonesReplaceAwayFromTheirEdgesAndFadeOnlyIntoNeighbours)
{
    const double c = 0.5; // inside A3
    auto zoneAt = [&](double t) { return analyzer.zoneForValues(nullptr, c, t).params(); };
    auto paramsAt = [&](double t) {
        ClimateParams params;
        const ClimateZone& withParams = analyzer.zoneForValues(&params, c, t);
        EXPECT_EQ(&withParams, &analyzer.zoneForValues(nullptr, c, t));
        return params;
    };

    // Bounds are strict.
    for (double t : { 0.0, 0.3, 0.93, 1.0, 0.5 }) {
        expectParams(A3, zoneAt(t));
        expectParams(A3, paramsAt(t));
    }
    // Well inside B1 it replaces the zone outright.
    expectParams(B1, zoneAt(0.15));
    expectParams(B1, paramsAt(0.15));
    // B1 starts at 0, so it does not fade there, but near the edge the zone stays.
    expectParams(A3, zoneAt(0.02));
    expectParams(B1, paramsAt(0.02));
    // Towards 0.3 it fades into the latitude zone; the zone changes only at g >= 0.1.
    expectParams(B1, zoneAt(0.2));
    expectParams(mix(A3, B1, (0.1 / 0.3) / 0.45), paramsAt(0.2));
    expectParams(A3, zoneAt(0.28));
    expectParams(mix(A3, B1, (0.02 / 0.3) / 0.45), paramsAt(0.28));
    // B2 fades in from 0.93 but not towards 1.
    expectParams(B2, zoneAt(0.94));
    expectParams(mix(A3, B2, (0.01 / 0.07) / 0.45), paramsAt(0.94));
    expectParams(B2, zoneAt(0.99));
    expectParams(B2, paramsAt(0.99));
    expectParams(A3, zoneAt(0.995));
    expectParams(B2, paramsAt(0.995));
}

TEST_F(DatablockAnalyzerTest, ZoneForTakesTheOverlayFromThePosition)
{
    const Vector3 positions[] = { { 321.0, 12.0, 250.0 }, { -40.0, -80.0, 60.0 }, { 90.0, 480.0, -100.0 } };
    for (const Vector3& p : positions) {
        const double c = analyzer.climateValue(p.x, p.y, p.z);
        ClimateParams fromPosition;
        ClimateParams fromValues;
        const ClimateZone& zone = analyzer.zoneFor(&fromPosition, c, p.x, p.y, p.z);
        EXPECT_EQ(&zone, &analyzer.zoneForValues(&fromValues, c, analyzer.overlayValue(p.x, p.y, p.z)));
        expectParams(fromValues, fromPosition);
    }
}
