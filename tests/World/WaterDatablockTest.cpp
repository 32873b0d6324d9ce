#include "World/WaterDatablock.h"

#include "GenerationFixture.h"
#include "TempFolder.h"

class WaterDatablockTest : public GenerationFixture
{
protected:
    TempFolder temp;
};

TEST_F(WaterDatablockTest, NaturalWaterFollowsTheHeightBelowTheSea)
{
    const struct
    {
        double height;
        int value;
    } cases[] = { { -10.0, 127 }, { -6.0, 127 }, { -5.5, 63 }, { -5.0, 0 }, { -4.5, -63 }, { -4.0, -127 },
        { -3.9, -127 }, { 3.0, -127 } };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, WaterDatablock::naturalValue(planet, 0.0, 0.0, 500.0 + c.height)) << c.height;
        EXPECT_EQ(c.value, WaterDatablock::naturalValue(planet, 0.0, -500.0 - c.height, 0.0)) << c.height;
    }
}

TEST_F(WaterDatablockTest, ValuesAreComputedOnFirstReadFromHeightAndRock)
{
    // Block 24, 0, 0 reaches from 20 units below the radius to its surface, near the equator.
    datablock terrain(&analyzer, "", 24, 0, 0);
    WaterDatablock water(&terrain, 24, 0, 0, temp.path + "24.0.0.w");
    EXPECT_EQ(WaterDatablock::NOT_COMPUTED, water.localValue(10, 0, 0));

    // Height -10 inside rock: water could stand there, but rock holds none.
    ASSERT_EQ(Voxel::FULLY_SOLID, terrain.getVoxel(490, 0, 0)->density());
    EXPECT_EQ(WaterDatablock::IN_ROCK, water.getWater(490, 0, 0));
    // Above the sea even rock is simply dry, and the rock need not be generated to know it.
    EXPECT_EQ(WaterDatablock::DRY, water.getWater(499, 5, 5));
    EXPECT_FALSE(terrain.localVoxel(19, 5, 5).isGenerated());
    // Kept once computed, even if the rock is dug later: the data manager clears the water then.
    terrain.getVoxel(490, 0, 0)->setDensity(-127);
    EXPECT_EQ(WaterDatablock::IN_ROCK, water.getWater(490, 0, 0));
    // Outside the block: nothing, silently.
    EXPECT_EQ(WaterDatablock::NOT_COMPUTED, water.getWater(500, 0, 0));
    EXPECT_FALSE(water.modified);
}

TEST_F(WaterDatablockTest, WritesAreClampedAndReportedOutsideTheBlock)
{
    datablock terrain(&analyzer, "", 24, 0, 0);
    WaterDatablock water(&terrain, 24, 0, 0, temp.path + "24.0.0.w");
    testing::internal::CaptureStdout();
    water.setWater(-200, 485, 1, 2);
    water.setWater(500, 486, 1, 2);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ(-127, water.getWater(485, 1, 2));
    EXPECT_EQ(127, water.getWater(486, 1, 2));
    EXPECT_TRUE(water.modified);

    water.modified = false;
    testing::internal::CaptureStdout();
    water.setWater(5, 479, 1, 2);
    EXPECT_EQ(
        "non fatal error: water set density index out of bounds\n", testing::internal::GetCapturedStdout());
    EXPECT_FALSE(water.modified);
}

TEST_F(WaterDatablockTest, NullTerrainIsFatal)
{
    testing::internal::CaptureStdout();
    EXPECT_THROW(WaterDatablock(nullptr, 0, 0, 0, "x.w"), const char*);
    EXPECT_EQ("Error: Cannot init Water Datablock with null datablock pointer!\n",
        testing::internal::GetCapturedStdout());
}

TEST_F(WaterDatablockTest, ReuseSavesTheOldBlockAndFollowsTheNewCoordinates)
{
    datablock terrain(&analyzer, "", 24, 0, 0);
    WaterDatablock water(&terrain, 24, 0, 0, temp.path + "24.0.0.w");
    water.setWater(100, 485, 1, 2);

    terrain.reinit(-25, 0, 0, "");
    water.reinit(&terrain, -25, 0, 0, temp.path + "-25.0.0.w");
    EXPECT_FALSE(water.modified);
    EXPECT_EQ(8000u, TempFolder::read(temp.path + "24.0.0.w").size());
    EXPECT_EQ(WaterDatablock::NOT_COMPUTED, water.getWater(485, 1, 2));
    EXPECT_EQ(WaterDatablock::NOT_COMPUTED, water.localValue(5, 1, 2));
    EXPECT_EQ(WaterDatablock::naturalValue(planet, -495, 1, 2), water.getWater(-495, 1, 2));

    // Back at the old coordinates, the saved value is read from the file.
    terrain.reinit(24, 0, 0, "");
    water.reinit(&terrain, 24, 0, 0, temp.path + "24.0.0.w");
    EXPECT_EQ(100, water.getWater(485, 1, 2));
}
