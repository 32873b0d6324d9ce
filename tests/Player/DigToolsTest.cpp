#include "Player/BasicDigTool.h"
#include "Player/PowerDigTool.h"
#include "Player/SphereDigTool.h"
#include "VoxelWorld.h"

#include <vector>

namespace {

class DigToolsTest : public VoxelWorld
{
protected:
    struct Expected
    {
        int x, y, z, density;
    };
    void setAll(const std::vector<Expected>& voxels, int density, int material)
    {
        for (const Expected& v : voxels)
            set(v.x, v.y, v.z, density, material);
    }
    void expectDensities(const std::vector<Expected>& voxels)
    {
        for (const Expected& v : voxels)
            EXPECT_EQ(density(v.x, v.y, v.z), v.density) << "at " << v.x << ", " << v.y << ", " << v.z;
    }
};

TEST_F(DigToolsTest, BasicDigSpendsItsBudgetNearestFirst)
{
    BasicDigTool tool(&eye, &look);
    EXPECT_EQ(tool.name(), "Basic dig tool");
    EXPECT_DOUBLE_EQ(tool.rate, 0.5);

    for (int x = 810; x <= 812; ++x)
        set(x, 10, 10, 127, 5);
    tool.apply();
    expectDensities({ { 810, 10, 10, -123 }, { 811, 10, 10, 127 }, { 812, 10, 10, 127 } });
    EXPECT_EQ(material(810, 10, 10), 5);

    // What the first voxel cannot give any more, the next one gives.
    set(810, 10, 10, 0, 1);
    set(811, 10, 10, 127, 1);
    tool.apply();
    expectDensities({ { 810, 10, 10, -127 }, { 811, 10, 10, 4 }, { 812, 10, 10, 127 } });
    // The emptied voxel has no material left; dug grass shows its soil.
    EXPECT_EQ(material(810, 10, 10), 0);
    EXPECT_EQ(material(811, 10, 10), 2);

    // Air costs nothing: the whole budget reaches the ground behind it.
    set(810, 10, 10, -127, 10);
    set(811, 10, 10, 127, 5);
    tool.apply();
    expectDensities({ { 810, 10, 10, -127 }, { 811, 10, 10, -123 }, { 812, 10, 10, 127 } });
}

TEST_F(DigToolsTest, PowerDigLowersEveryHitAndItsFaceNeighbours)
{
    PowerDigTool tool(&eye, &look);
    EXPECT_EQ(tool.name(), "Power dig tool");
    EXPECT_DOUBLE_EQ(tool.rate, 15.0);

    // Along +x from 810 the ray meets 810 once, then 811 to 815 twice each
    // (the voxel's distance from the eye counts against the 5-unit reach).
    set(810, 11, 10, -115, 1);
    set(813, 10, 10, 127, 5);
    set(811, 11, 10, 127, 5);
    set(816, 10, 10, 127, 5);
    set(811, 12, 10, 127, 5);
    tool.apply();

    EXPECT_EQ(density(810, 11, 10), -127);
    EXPECT_EQ(material(810, 11, 10), 0);
    // Met twice, and a neighbour of 812 and 814, met twice each: six times 20.
    EXPECT_EQ(density(813, 10, 10), 7);
    // A neighbour of a voxel met twice is lowered twice.
    EXPECT_EQ(density(811, 11, 10), 87);
    EXPECT_EQ(material(811, 11, 10), 5);
    // Past the reach, but a neighbour of the last voxel met.
    EXPECT_EQ(density(816, 10, 10), 87);
    EXPECT_EQ(density(811, 12, 10), 127);
}

TEST_F(DigToolsTest, SphereDigEmptiesEverythingWithinEightOfTheTruncatedEye)
{
    eye = { 10.7, 5.2, -3.9 };
    SphereDigTool tool(&eye, &look);
    EXPECT_EQ(tool.name(), "Sphere dig tool");
    EXPECT_DOUBLE_EQ(tool.rate, 1.0);

    // The centre is (10, 5, -3): truncated, so -3.9 gives -3, not -4.
    const std::vector<Expected> inside = { { 2, 5, -3, -127 }, { 18, 5, -3, -127 }, { 10, -3, -3, -127 },
        { 10, 13, -3, -127 }, { 10, 5, -11, -127 }, { 10, 5, 5, -127 }, { 16, 10, -3, -127 } };
    const std::vector<Expected> outside = { { 1, 5, -3, 127 }, { 19, 5, -3, 127 }, { 10, 5, -12, 127 },
        { 10, 5, 6, 127 }, { 10, 14, -3, 127 }, { 16, 11, -3, 127 } };
    setAll(inside, 127, 3);
    setAll(outside, 127, 3);
    tool.apply();
    expectDensities(inside);
    expectDensities(outside);
    EXPECT_EQ(material(2, 5, -3), 3);
}

TEST_F(DigToolsTest, DiggingAirChangesNothing)
{
    VoxelPosition changed;
    for (int x = 805; x <= 820; ++x)
        Vox(*manager, x, 10, 10).density();
    while (manager->popChangedVoxel(changed)) { }

    eye = { 812.5, 10.5, 10.5 };
    BasicDigTool(&eye, &look).apply();
    PowerDigTool(&eye, &look).apply();
    SphereDigTool(&eye, &look).apply();
    EXPECT_FALSE(manager->popChangedVoxel(changed));
}

TEST(ToolTest, ActivatingAToolWithoutAimEndsTheProgram)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            BasicDigTool tool(nullptr, nullptr);
            tool.setActive(true);
        },
        testing::ExitedWithCode(1), "");
}

} // namespace
