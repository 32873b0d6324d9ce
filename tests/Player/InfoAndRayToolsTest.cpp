#include "Graphics/DebugShapes.h"
#include "Player/InfoTool.h"
#include "Player/TexturePaintTool.h"
#include "Player/VoxelRayTool.h"
#include "VoxelWorld.h"

namespace {

class InspectionToolsTest : public VoxelWorld
{
};

const Colour grass { 0.12f, 0.5f, 0.12f };
const Colour water { 0.0f, 0.0f, 0.6f };
const Colour unlisted { 1.0f, 0.5f, 0.7f };

TEST_F(InspectionToolsTest, PaintPrintsOncePerVoxelItChanges)
{
    TexturePaintTool tool(&eye, &look);
    EXPECT_EQ(tool.name(), "Texture paint tool");
    EXPECT_DOUBLE_EQ(tool.rate, 10.0);
    // Before any material key: grass, never the "not generated" material 0.
    EXPECT_EQ(tool.paintMaterial, 1);

    // The 3-unit ray from 810 meets 810 once and 811 to 813 twice each.
    set(810, 10, 10, 127, 2);
    set(811, 10, 10, 127, 5);
    set(812, 10, 10, 60, 1);
    tool.paintMaterial = 2;
    testing::internal::CaptureStdout();
    tool.apply();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
        "Setting material: 2\nSetting material: 2\nSetting material: 2\n");
    for (int x = 810; x <= 813; ++x)
        EXPECT_EQ(material(x, 10, 10), 2) << x;
    EXPECT_EQ(density(812, 10, 10), 60);
    EXPECT_EQ(density(813, 10, 10), -127);

    VoxelPosition changed;
    while (manager->popChangedVoxel(changed)) { }
    testing::internal::CaptureStdout();
    tool.apply();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(manager->popChangedVoxel(changed));
}

TEST_F(InspectionToolsTest, InfoToolShowsTheVoxelsAroundTheFarthestHit)
{
    InfoTool tool(&eye, &look);
    EXPECT_EQ(tool.name(), "Info tool");
    EXPECT_TRUE(tool.marks().empty());

    set(812, 10, 10, 127, 1);
    set(813, 10, 10, -127, 10);
    manager->getNodeAt(813, 10, 10)->wdb->setWater(100, 813, 10, 10);

    // The 2-unit ray meets 810, 811 (twice) and 812 last.
    tool.apply();
    ASSERT_TRUE(tool.selection());
    EXPECT_EQ(*tool.selection(), (VoxelPosition { 812, 10, 10 }));

    const std::vector<VoxelMark> marks = tool.marks();
    ASSERT_EQ(marks.size(), 13u * 13u * 13u);
    // x outermost, z innermost, from 6 below the selection to 6 above.
    const auto at = [&](int dx, int dy, int dz) { return marks[((dx + 6) * 13 + dy + 6) * 13 + dz + 6]; };
    EXPECT_EQ(at(-6, -6, -6).position, Vector3(806, 4, 4));
    EXPECT_EQ(at(6, 6, 6).position, Vector3(818, 16, 16));
    EXPECT_FLOAT_EQ(at(0, 0, 0).size, 0.3f);
    EXPECT_EQ(at(0, 0, 0).colour, grass);
    EXPECT_FLOAT_EQ(at(1, 0, 0).size, 0.1f);
    EXPECT_EQ(at(1, 0, 0).colour, water);
    // Dry air: small, in the colour of a material without one of its own.
    EXPECT_FLOAT_EQ(at(0, 1, 0).size, 0.046f);
    EXPECT_EQ(at(0, 1, 0).colour, unlisted);

    // Nothing in memory along the ray keeps the selection.
    eye = { 5000.0, 10.0, 10.0 };
    tool.apply();
    EXPECT_EQ(*tool.selection(), (VoxelPosition { 812, 10, 10 }));

    tool.secondaryAction();
    EXPECT_FALSE(tool.selection());
    EXPECT_TRUE(tool.marks().empty());
}

TEST_F(InspectionToolsTest, RayToolShowsEveryVoxelMetAndAnEightUnitLine)
{
    VoxelRayTool tool(&eye, &look);
    EXPECT_EQ(tool.name(), "Voxel Ray tool");
    set(811, 10, 10, 127, 1);

    for (const Vector3& direction :
        { Vector3(1.0, 0.0, 0.0), Vector3(0.0, 0.0, 0.25), Vector3(0.0, 3.0, 4.0) }) {
        look = direction;
        tool.apply();
        EXPECT_EQ(tool.getRayStart(), eye);
        const Vector3 ray = tool.getRayEnd() - tool.getRayStart();
        EXPECT_NEAR(ray.length(), 8.0, 1e-12);
        EXPECT_NEAR(ray.normalise().dot(direction.normalise()), 1.0, 1e-12);
    }

    look = { 1.0, 0.0, 0.0 };
    tool.apply();
    const std::vector<VoxelMark> marks = tool.marks();
    ASSERT_EQ(marks.size(), manager->castVoxelRay(eye, look, 8.0).size());
    EXPECT_EQ(marks[1].position, Vector3(811, 10, 10));
    EXPECT_FLOAT_EQ(marks[1].size, 0.1f);
    EXPECT_EQ(marks[1].colour, grass);

    DebugShapes& shapes = DebugShapes::getInstance();
    const std::size_t cubes = shapes.queuedCubes();
    const std::size_t lines = shapes.queuedLines();
    tool.draw();
    EXPECT_EQ(shapes.queuedCubes(), cubes + marks.size());
    EXPECT_EQ(shapes.queuedLines(), lines + 1);
}

} // namespace
