#include "Graphics/TerrainTextureRegistry.h"
#include "Interface/StatsManager.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/WaterBlock.h"
#include "TestFields.h"
#include "World/Planet.h"

#include <gtest/gtest.h>

namespace {

const VoxelBox cellBox { 0, 12, 0, 12, 0, 12 };

} // namespace

// Only a new box fades in; an edit shows at once. A mesh beyond 16-bit indices
// is cut at the limit, not wrapped, dropping the triangles that do not fit.
TEST(VisualBlockTest, SetRangeRebuildsForANewBoxOrStepAndOnlyANewBoxFadesIn)
{
    FunctionWorld world(groundBelow(6.5, 2), nowhere());
    TerrainBlock block(cellBox, &world, 0);
    EXPECT_EQ(block.step(), 1) << "steps below one sample every voxel";
    EXPECT_TRUE(block.hasTriangles() && block.needsUpload() && block.fade() == 0.0);
    EXPECT_FALSE(block.setRange(cellBox, 1));
    EXPECT_EQ(world.terrainFields, 1);
    EXPECT_TRUE(block.setRange(cellBox, 2));
    EXPECT_TRUE(world.terrainFields == 2 && block.fade() == 1.0);
    const VoxelBox moved { 12, 24, 0, 12, 0, 12 };
    EXPECT_TRUE(block.setRange(moved, 2));
    EXPECT_TRUE(block.box() == moved && block.fade() == 0.0);
    EXPECT_TRUE(block.tryRebuildForEdit());
    EXPECT_TRUE(block.touched && block.fade() == 1.0);
    // A move into empty air leaves no triangles and keeps the fade.
    EXPECT_TRUE(block.setRange({ 0, 12, 24, 36, 0, 12 }, 1));
    EXPECT_TRUE(!block.hasTriangles() && block.fade() == 1.0);
    EXPECT_FALSE(TerrainBlock(cellBox, nullptr, 2).hasTriangles());

    world.terrain = randomField(11);
    EXPECT_TRUE(block.setRange({ 0, 36, 0, 36, 0, 36 }, 1));
    EXPECT_TRUE(block.builtVertexCount() == 65536 && block.builtTriangleCount() > 0);
    Mesh mesh { std::vector<MeshVertex>(6),
        { { { 0, 1, 2 } }, { { 2, 3, 4 } }, { { 3, 4, 5 } }, { { 1, 2, 3 } } } };
    EXPECT_EQ(mesh.keepVertices(4), 2u);
    EXPECT_TRUE(mesh.vertices.size() == 4 && mesh.triangles.size() == 2 && mesh.triangles[1].index[0] == 1);
    EXPECT_EQ(mesh.keepVertices(4), 0u);
}

// On top of the planet, up is +y: only triangles facing up are kept.
TEST(WaterBlockTest, MeshesTheWaterValuesKeepingTrianglesFacingUp)
{
    Planet planet(500.0);
    const VoxelBox top { 0, 12, 490, 502, 0, 12 };
    FunctionWorld world(groundBelow(500.5, 2), nowhere());
    EXPECT_FALSE(WaterBlock(top, &world, 2).hasTriangles());
    world.water = groundBelow(496.5, 0);
    EXPECT_TRUE(WaterBlock(top, &world, 2).hasTriangles());
    EXPECT_TRUE(world.waterFields == 2 && world.terrainFields == 0);

    struct Exposed : WaterBlock
    {
        using WaterBlock::acceptTriangle;
        using WaterBlock::WaterBlock;
    } block({ 0, 1, 0, 1, 0, 1 }, nullptr, 1);
    const MeshVertex a = vertexAt({ 0, 500, 0 }), b = vertexAt({ 1, 500, 0 }), c = vertexAt({ 1, 500, -1 });
    EXPECT_TRUE(block.acceptTriangle(a, b, c) && !block.acceptTriangle(c, b, a));
    EXPECT_TRUE(WaterBlock::facesUp({ 0, 1, 0 }, { 0.3, 0.1, 0.2 }));
    EXPECT_FALSE(WaterBlock::facesUp({ 0, 1, 0 }, { 0.3, std::nextafter(0.1, 0.0), 0.2 }));
}

// Grass is worked out again on every rebuild, also one that finds no surface,
// and the statistic follows it until the block goes.
TEST(TerrainBlockTest, GrassAndItsStatisticFollowRebuilds)
{
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    auto stat = [] { return StatsManager::getInstance().getStat("Vegetation points"); };
    const double before = stat();
    FunctionWorld world(groundBelow(6.5, 1), nowhere());
    auto block = std::make_unique<TerrainBlock>(cellBox, &world, 2);
    const int points = block->vegetationPointCount();
    EXPECT_TRUE(points > 0 && stat() == before + points);
    const std::pair<FunctionField::Function, int> rebuilds[] = { { groundBelow(6.5, 2), 0 },
        { groundBelow(6.5, 1), points }, { nowhere(), 0 }, { groundBelow(6.5, 1), points } };
    for (const auto& [terrain, expected] : rebuilds) {
        world.terrain = terrain;
        block->rebuild();
        EXPECT_TRUE(block->vegetationPointCount() == expected && stat() == before + expected);
    }
    block.reset();
    EXPECT_EQ(stat(), before);
}
