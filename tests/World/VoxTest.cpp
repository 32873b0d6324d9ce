#include "ManagerFixture.h"
#include "World/WaterVox.h"

class VoxTest : public ManagerFixture
{
};

TEST_F(VoxTest, TerrainHandleReadsGeneratedVoxelsAndClampsDensityWrites)
{
    auto manager = open();
    Vox fresh(*manager, 805, -3, 7);
    EXPECT_EQ(Vector3(805.0, -3.0, 7.0), fresh.getPosition());
    // Far above the ground: generated as air on first read.
    EXPECT_EQ(Voxel::FULLY_AIR, fresh.density());
    EXPECT_EQ(Voxel::AIR_MATERIAL, fresh.material());

    EXPECT_EQ(127, fresh.density(300));
    EXPECT_EQ(-128, fresh.density(-300));
    EXPECT_EQ(44, fresh.material(300));
    EXPECT_EQ(-128, Vox(*manager, 805, -3, 7).density());
    EXPECT_EQ(44, Vox(*manager, 805, -3, 7).material(BaseVox::NO_CHANGE));
}

TEST_F(VoxTest, WritesMarkTheBlockAtOnceAndReadsDoNot)
{
    auto manager = open();
    NodePin node = manager->getNodeAt(805, 0, 0);
    Vox handle(*manager, 805, 0, 0);
    handle.density();
    handle.material();
    EXPECT_FALSE(node->tdb->modified);
    handle.material(3);
    EXPECT_TRUE(node->tdb->modified);
}

TEST_F(VoxTest, WaterHandleHoldsTheValueReadWhenBuilt)
{
    auto manager = open();
    WaterVox above(*manager, 503, 0, 0);
    EXPECT_EQ(WaterDatablock::DRY, above.density());

    manager->getNodeAt(480, 0, 0)->wdb->setWater(40, 480, 0, 0);
    WaterVox deep(*manager, 480, 0, 0);
    manager->getNodeAt(480, 0, 0)->wdb->setWater(90, 480, 0, 0);
    EXPECT_EQ(40, deep.density(5));
    EXPECT_EQ(0, deep.material(5));
    EXPECT_EQ(Vector3(480.0, 0.0, 0.0), deep.getPosition());
    EXPECT_EQ(90, WaterVox(*manager, 480, 0, 0).density());
}
