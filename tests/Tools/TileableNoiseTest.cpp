#include "TileableNoise.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
const TileableNoise noise(7);
constexpr double justBelowOne = 1.0 - 1e-9;
}

TEST(TileableNoiseTest, EveryPatternMeetsItselfAcrossBothEdges)
{
    for (double t : { 0.0, 0.13, 0.5, 0.77 }) {
        EXPECT_NEAR(noise.gradient(justBelowOne, t, 5), noise.gradient(0.0, t, 5), 1e-6);
        EXPECT_NEAR(noise.gradient(t, justBelowOne, 5), noise.gradient(t, 0.0, 5), 1e-6);
        EXPECT_NEAR(noise.fbm(justBelowOne, t, 3, 5), noise.fbm(0.0, t, 3, 5), 1e-6);
        EXPECT_NEAR(noise.ridged(t, justBelowOne, 4, 3), noise.ridged(t, 0.0, 4, 3), 1e-6);
        EXPECT_NEAR(noise.cellular(justBelowOne, t, 6).nearest, noise.cellular(0.0, t, 6).nearest, 1e-6);
        EXPECT_NEAR(noise.cellular(t, justBelowOne, 6).second, noise.cellular(t, 0.0, 6).second, 1e-6);
    }
}

TEST(TileableNoiseTest, GradientNoiseVariesWithinItsRange)
{
    double sum = 0.0, squares = 0.0, largest = 0.0;
    const int n = 200;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double value = noise.fbm((i + 0.5) / n, (j + 0.5) / n, 4, 4);
            sum += value;
            squares += value * value;
            largest = std::max(largest, std::fabs(value));
        }
    }
    const double mean = sum / (n * n);
    EXPECT_NEAR(mean, 0.0, 0.1);
    EXPECT_GT(std::sqrt(squares / (n * n) - mean * mean), 0.1);
    EXPECT_LT(largest, 1.5);
}

// Distances to feature points change no faster than the lookup point moves;
// a jump means the search missed a point.
TEST(TileableNoiseTest, CellDistancesAreContinuous)
{
    const int cells = 7, steps = 4000;
    for (double v : { 0.031, 0.402, 0.9 }) {
        auto previous = noise.cellular(0.0, v, cells, 0.3);
        for (int i = 1; i <= steps; ++i) {
            const auto current = noise.cellular(static_cast<double>(i) / steps, v, cells, 0.3);
            const double moved = static_cast<double>(cells) / steps;
            ASSERT_LE(std::fabs(current.nearest - previous.nearest), moved + 1e-9) << "at u " << i;
            ASSERT_LE(std::fabs(current.second - previous.second), moved + 1e-9) << "at u " << i;
            ASSERT_LE(current.nearest, current.second);
            previous = current;
        }
    }
}

TEST(TileableNoiseTest, CellAnimationLoopsOverOnePhase)
{
    for (double u : { 0.1, 0.45, 0.8 }) {
        const auto start = noise.cellular(u, 0.3, 9, 0.0);
        const auto end = noise.cellular(u, 0.3, 9, 1.0);
        EXPECT_NEAR(start.nearest, end.nearest, 1e-9);
        EXPECT_EQ(start.id, end.id);
        EXPECT_NE(noise.cellular(u, 0.3, 9, 0.25).nearest, start.nearest);
    }
}
