#include "Terrain/Terrain.h"

#include "TestFields.h"
#include "World/Planet.h"

#include <gtest/gtest.h>

class TerrainTest : public ::testing::Test
{
protected:
    Planet planet { 500.0 };
    // Ground below y = 6.5 everywhere: cells crossing that height have triangles.
    FunctionWorld world { groundBelow(6.5, 2), nowhere() };
};

// One fine cell along x moves one face of the fine ring, 25 cells; a pass
// without a change of cell does nothing.
TEST_F(TerrainTest, RingsFollowTheViewerRebuildingOnlyTheCellsThatMove)
{
    const std::tuple<double, int, int> cells[]
        = { { -0.5, 12, -1 }, { 0.0, 12, 0 }, { 11.9, 12, 0 }, { -12.0, 12, -2 }, { -40.5, 40, -2 } };
    for (const auto& [at, size, cell] : cells)
        EXPECT_EQ(TerrainRing::cellOf(at, size), cell) << at;
    EXPECT_EQ(TerrainRing(2, 12, 5).boxOf({ -1, 0, 2 }), (VoxelBox { -12, 0, 0, 12, 24, 36 }));

    Terrain terrain(world, { -0.5, 6.0, 30.0 });
    EXPECT_EQ(terrain.firstTerrainBlock(), nullptr);
    terrain.setWireframe(true);
    terrain.runPass();
    EXPECT_TRUE(terrain.isBuilt() && terrain.passDone() && terrain.progress() == 100);
    EXPECT_TRUE(terrain.cells().size() == 468 && world.terrainFields == 468);
    expectRingsAround(terrain, { -0.5, 6.0, 30.0 });
    for (const auto& cell : terrain.cells())
        EXPECT_FALSE(cell->terrain->wireframe) << "switched before the blocks existed";
    EXPECT_FALSE(terrain.fineVisible().empty());
    terrain.setWireframe(true);
    for (const auto& cell : terrain.cells())
        EXPECT_TRUE(cell->terrain->wireframe && cell->water->wireframe);
    terrain.setViewerPosition({ 6.0, 6.0, 30.0 });
    terrain.runPass();
    terrain.setViewerPosition({ 18.0, 6.0, 30.0 });
    for (int pass = 0; pass < 2; ++pass) {
        const int fields = world.terrainFields;
        terrain.runPass();
        EXPECT_EQ(world.terrainFields - fields, pass == 0 ? 25 : 0);
    }
    expectRingsAround(terrain, { 18.0, 6.0, 30.0 });

    for (const Vector3& to : { Vector3(-30.0, -20.0, 7.0), Vector3(-31.0, 40.0, 7.0),
             Vector3(500.0, 6.0, -300.0), Vector3(6.0, 6.0, 6.0) }) {
        terrain.setViewerPosition(to);
        terrain.runPass();
        expectRingsAround(terrain, to);
    }
}

TEST_F(TerrainTest, EditsQueueEveryCellHoldingTheVoxelOnceAndRemeshTwoPerFrame)
{
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    terrain.runPass();
    // (12, 12, 12) is a corner of eight fine cells and inside one coarse cell.
    terrain.markTerrainDirty(12, 12, 12);
    terrain.markTerrainDirty(12, 12, 12);
    world.changedVoxels.push_back({ 12, 12, 12 });
    EXPECT_EQ(terrain.terrainQueueLength(), 9u);
    // The update thread is moving the coarse cell: it keeps its place in the queue.
    GridCell& busy = **std::find_if(terrain.cells().begin(), terrain.cells().end(),
        [](const auto& cell) { return !cell->fine && cell->box.contains(12, 12, 12); });
    busy.moving = true;
    const int fields = world.terrainFields;
    terrain.remeshEdits();
    EXPECT_TRUE(
        terrain.terrainQueueLength() == 7 && world.terrainFields - fields == 2 && world.waterFields == 468);
    for (int frame = 0; frame < 6; ++frame)
        terrain.remeshEdits();
    EXPECT_EQ(terrain.terrainQueueLength(), 1u);
    busy.moving = false;
    terrain.remeshEdits();
    EXPECT_TRUE(terrain.terrainQueueLength() == 0 && world.terrainFields - fields == 9);

    world.changedWater.push_back({ 13, 5, 40 });
    terrain.remeshEdits();
    // Beyond the fine ring (which ends at z = 36), on the plane two coarse cells share.
    EXPECT_TRUE(world.waterFields == 468 + 2 && terrain.waterQueueLength() == 0);

    // The ground drops below this ring's cells: they leave the visible lists.
    world.terrain = groundBelow(-300.5, 2);
    for (const auto& cell : terrain.cells())
        terrain.markTerrainDirty(cell->box.x0, cell->box.y0, cell->box.z0);
    while (terrain.terrainQueueLength() > 0)
        terrain.remeshEdits();
    expectRingsAround(terrain, { 6.0, 6.0, 6.0 });
    EXPECT_TRUE(terrain.fineVisible().empty());
}

TEST_F(TerrainTest, TheUpdateThreadFollowsTheViewerAndHandsOnItsFailure)
{
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    terrain.launch();
    ASSERT_TRUE(waitFor([&] { return terrain.passDone() && terrain.isBuilt(); }));

    // A failing world ends the thread; the main thread gets the message, also from update.
    world.terrain = [](int, int, int) -> VoxelSample { throw "FATAL EXCEPTION"; };
    terrain.setViewerPosition({ 30.0, 6.0, 6.0 });
    auto raised = [](auto call) {
        try {
            call();
        } catch (const char* message) {
            return std::string(message);
        }
        return std::string();
    };
    ASSERT_TRUE(waitFor([&] { return raised([&] { terrain.rethrowFailure(); }) == "FATAL EXCEPTION"; }));
    EXPECT_EQ(raised([&] { terrain.update(0.01); }), "FATAL EXCEPTION");
    terrain.stop();
}
