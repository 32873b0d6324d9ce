#include "Graphics/SkyDome.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(SkyDomeMeshTest, FifteenDegreeDomeHas1152VerticesFromThePoleDown)
{
    const std::vector<SkyVertex> dome = SkyDome::generate(15.0f, 15.0f);
    ASSERT_EQ(dome.size(), 1152u) << "12 rows x 24 columns x 4";

    EXPECT_NEAR(dome[0].x, 0.0f, 1e-6);
    EXPECT_NEAR(dome[0].y, 20.0f, 1e-6);
    EXPECT_NEAR(dome[0].z, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(dome[0].v, 1.0f);

    for (const SkyVertex& v : dome)
        EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 20.0f, 1e-4);

    // Row 6 starts at φ = 90°: its first vertex is θ = 0 on the horizon.
    const SkyVertex& horizon = dome[6 * 24 * 4];
    EXPECT_NEAR(horizon.x, 20.0f, 1e-4);
    EXPECT_NEAR(horizon.y, 0.0f, 1e-4);
    EXPECT_NEAR(horizon.u, 0.75f, 1e-6);
    EXPECT_NEAR(horizon.v, 0.5f, 1e-6);

    // The last cell reaches the bottom pole.
    EXPECT_NEAR(dome.back().y, -20.0f, 1e-4);
}

TEST(SkyDomeMeshTest, OtherStepsCoverTheSphereAndNeverLoopForever)
{
    EXPECT_EQ(SkyDome::generate(30.0f, 30.0f).size(), 12u * 6u * 4u);
    // 7 does not divide 360 or 180: the columns stop at 357 - 7 = 350.
    EXPECT_EQ(SkyDome::generate(7.0f, 7.0f).size(), 51u * 25u * 4u);
    // A step under a whole degree would never advance; it counts as one.
    EXPECT_EQ(SkyDome::generate(0.0f, 90.0f).size(), 360u * 2u * 4u);
}

} // namespace
