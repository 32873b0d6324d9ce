#include "Heightfield.h"
#include "TileableNoise.h"

#include <SFML/Graphics/Image.hpp>
#include <cmath>
#include <gtest/gtest.h>

namespace {
const TileableNoise noise(7);
}

// Every pattern meets itself across both edges, the cell animation loops
// over one phase, and a heightfield wraps like the texture it becomes.
TEST(NoiseTest, PatternsWrapAtTheirEdgesAndLoopInTime)
{
    constexpr double end = 1.0 - 1e-9;
    for (double t : { 0.0, 0.13, 0.5, 0.77 }) {
        EXPECT_NEAR(noise.gradient(end, t, 5), noise.gradient(0.0, t, 5), 1e-6);
        EXPECT_NEAR(noise.gradient(t, end, 5), noise.gradient(t, 0.0, 5), 1e-6);
        EXPECT_NEAR(noise.fbm(end, t, 3, 5), noise.fbm(0.0, t, 3, 5), 1e-6);
        EXPECT_NEAR(noise.ridged(t, end, 4, 3), noise.ridged(t, 0.0, 4, 3), 1e-6);
        EXPECT_NEAR(noise.cellular(end, t, 6).nearest, noise.cellular(0.0, t, 6).nearest, 1e-6);
        EXPECT_NEAR(noise.cellular(t, end, 6).second, noise.cellular(t, 0.0, 6).second, 1e-6);
        const auto start = noise.cellular(t, 0.3, 9, 0.0), last = noise.cellular(t, 0.3, 9, 1.0);
        EXPECT_NEAR(start.nearest, last.nearest, 1e-9);
        EXPECT_EQ(start.id, last.id);
        EXPECT_NE(noise.cellular(t, 0.3, 9, 0.25).nearest, start.nearest);
    }

    Heightfield field(8, 4);
    field.at(7, 3) = 0.5f;
    EXPECT_EQ(field.at(-1, -1), 0.5f);
    EXPECT_EQ(field.at(15, 7), 0.5f);
    // A stroke over the right edge continues at the left one.
    field.stroke(6.0, 1.5, 10.0, 1.5, 1.0, 1.0f);
    EXPECT_EQ(field.at(7, 1), 1.0f);
    EXPECT_EQ(field.at(1, 1), 1.0f);
    EXPECT_EQ(field.at(4, 1), 0.0f);
}

// Gradient noise varies around 0 within its range; distances to feature
// points change no faster than the lookup point moves (a jump means the
// search missed a point).
TEST(NoiseTest, NoiseVariesSmoothlyWithinItsRange)
{
    double sum = 0.0, squares = 0.0, largest = 0.0;
    const int n = 200;
    for (int i = 0; i < n * n; ++i) {
        const double value = noise.fbm((i % n + 0.5) / n, (i / n + 0.5) / n, 4, 4);
        sum += value, squares += value * value;
        largest = std::max(largest, std::fabs(value));
    }
    EXPECT_NEAR(sum / (n * n), 0.0, 0.1);
    EXPECT_GT(std::sqrt(squares / (n * n) - sum * sum / (n * n) / (n * n)), 0.1);
    EXPECT_LT(largest, 1.5);

    const int cells = 7, steps = 4000;
    for (double v : { 0.031, 0.402, 0.9 }) {
        auto previous = noise.cellular(0.0, v, cells, 0.3);
        for (int i = 1; i <= steps; ++i) {
            const auto current = noise.cellular(static_cast<double>(i) / steps, v, cells, 0.3);
            ASSERT_LE(std::fabs(current.nearest - previous.nearest), 1.0 * cells / steps + 1e-9)
                << "at u " << i;
            ASSERT_LE(std::fabs(current.second - previous.second), 1.0 * cells / steps + 1e-9)
                << "at u " << i;
            ASSERT_LE(current.nearest, current.second);
            previous = current;
        }
    }

    Heightfield field = Heightfield::sample(10, 10, [](double u, double v) { return 3.0 + 5.0 * u * v; });
    field.normalize(0.0, 1.0);
    float low = 1.0f, high = 0.0f;
    for (int i = 0; i < 100; ++i)
        low = std::min(low, field.at(i % 10, i / 10)), high = std::max(high, field.at(i % 10, i / 10));
    EXPECT_FLOAT_EQ(low, 0.0f);
    EXPECT_FLOAT_EQ(high, 1.0f);
}

// Normal maps follow OpenGL's conventions: a slope rising to the right leans
// the normal left (red below the middle); rising towards the image's top row
// (texture v grows upwards) leans it down the image (green below the middle).
TEST(NoiseTest, NormalMapsLeanAwayFromTheSlope)
{
    const sf::Color right
        = Heightfield::sample(16, 16, [](double u, double) { return u; }).normalMap(8.0).getPixel(8, 8);
    EXPECT_LT(right.r, 110);
    EXPECT_NEAR(right.g, 128, 1);
    const sf::Color up
        = Heightfield::sample(16, 16, [](double, double v) { return 1.0 - v; }).normalMap(8.0).getPixel(8, 8);
    EXPECT_LT(up.g, 110);
    EXPECT_NEAR(up.r, 128, 1);
    EXPECT_EQ(Heightfield(4, 4).normalMap(8.0).getPixel(1, 1), sf::Color(128, 128, 255));
}
