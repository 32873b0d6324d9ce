#include "Heightfield.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

TEST(HeightfieldTest, NormalMapFollowsOpenGLConventions)
{
    // Rising to the right: the normal leans left, so red is below middle.
    Heightfield right = Heightfield::sample(16, 16, [](double u, double) { return u; });
    const sf::Color towardsRight = right.normalMap(8.0).getPixel(8, 8);
    EXPECT_LT(towardsRight.r, 110);
    EXPECT_NEAR(towardsRight.g, 128, 1);

    // Rising towards the image's top row (texture v grows upwards): the
    // normal leans down the image, so green is below middle.
    Heightfield up = Heightfield::sample(16, 16, [](double, double v) { return 1.0 - v; });
    const sf::Color towardsTop = up.normalMap(8.0).getPixel(8, 8);
    EXPECT_LT(towardsTop.g, 110);
    EXPECT_NEAR(towardsTop.r, 128, 1);

    const sf::Color flat = Heightfield(4, 4).normalMap(8.0).getPixel(1, 1);
    EXPECT_EQ(flat, sf::Color(128, 128, 255));
}

TEST(HeightfieldTest, EdgesWrapLikeATilingTexture)
{
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

TEST(HeightfieldTest, NormalizeStretchesToTheUnitRange)
{
    Heightfield field = Heightfield::sample(10, 10, [](double u, double v) { return 3.0 + 5.0 * u * v; });
    field.normalize(0.0, 1.0);
    float low = 1.0f, high = 0.0f;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            low = std::min(low, field.at(x, y));
            high = std::max(high, field.at(x, y));
        }
    EXPECT_FLOAT_EQ(low, 0.0f);
    EXPECT_FLOAT_EQ(high, 1.0f);
}
