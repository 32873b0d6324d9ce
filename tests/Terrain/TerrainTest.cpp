#include "Terrain/Terrain.h"

#include "Graphics/Camera.h"
#include "TestFields.h"
#include "World/Planet.h"

#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>

namespace {

using Coordinates = TerrainRing::Coordinates;

class TerrainTest : public ::testing::Test
{
protected:
    Planet planet { 500.0 };
    // Ground below y = 6.5 everywhere: cells crossing that height have triangles.
    FunctionWorld world { groundBelow(6.5, 2), nowhere() };

    static std::set<Coordinates> ringCoordinates(const std::vector<GridCell*>& cells)
    {
        std::set<Coordinates> coordinates;
        for (const GridCell* cell : cells)
            coordinates.insert({ cell->ringX, cell->ringY, cell->ringZ });
        return coordinates;
    }
    static std::set<Coordinates> window(const Coordinates& centre, int count)
    {
        std::set<Coordinates> coordinates;
        for (int a = -count / 2; a <= count / 2; ++a)
            for (int b = -count / 2; b <= count / 2; ++b)
                for (int c = -count / 2; c <= count / 2; ++c)
                    coordinates.insert({ centre[0] + a, centre[1] + b, centre[2] + c });
        return coordinates;
    }
    // Each ring's visible list holds exactly its cells with triangles, each once.
    static void expectVisibleListsMatchMeshes(Terrain& terrain)
    {
        std::lock_guard<std::mutex> guard(terrain.lock());
        for (bool fine : { true, false }) {
            const auto& visible = fine ? terrain.fineVisible() : terrain.coarseVisible();
            const std::set<GridCell*> unique(visible.begin(), visible.end());
            EXPECT_EQ(unique.size(), visible.size());
            std::set<GridCell*> meshed;
            for (const auto& cell : terrain.cells())
                if (cell->fine == fine && cell->hasTriangles())
                    meshed.insert(cell.get());
            EXPECT_EQ(unique, meshed);
        }
    }
    static std::vector<GridCell*> ringCells(Terrain& terrain, bool fine)
    {
        std::vector<GridCell*> cells;
        for (const auto& cell : terrain.cells())
            if (cell->fine == fine)
                cells.push_back(cell.get());
        return cells;
    }
};

} // namespace

TEST_F(TerrainTest, RingCellsAndBoxes)
{
    EXPECT_EQ(TerrainRing::cellOf(-0.5, 12), -1);
    EXPECT_EQ(TerrainRing::cellOf(0.0, 12), 0);
    EXPECT_EQ(TerrainRing::cellOf(11.9, 12), 0);
    EXPECT_EQ(TerrainRing::cellOf(-12.0, 12), -2);
    EXPECT_EQ(TerrainRing::cellOf(-40.5, 40), -2);
    const TerrainRing ring(2, 12, 5);
    EXPECT_EQ(ring.boxOf({ -1, 0, 2 }), (VoxelBox { -12, 0, 0, 12, 24, 36 }));

    // The refill order visits every slot of the window once, nearest shell first.
    for (int count : { 5, 7 }) {
        const TerrainRing sized(2, 12, count);
        std::set<Coordinates> seen;
        int lastShell = 0;
        for (const auto& slot : sized.refillOrder()) {
            seen.insert(slot.offset);
            const int shell
                = std::max({ std::abs(slot.offset[0]), std::abs(slot.offset[1]), std::abs(slot.offset[2]) });
            EXPECT_GE(shell, lastShell);
            lastShell = shell;
        }
        EXPECT_EQ(seen, window({ 0, 0, 0 }, count));
        EXPECT_EQ(sized.refillOrder().size(), seen.size());
    }
}

TEST_F(TerrainTest, TheFirstPassBuildsBothRingsAroundTheViewer)
{
    Terrain terrain(world, { -0.5, 6.0, 30.0 });
    EXPECT_EQ(terrain.firstTerrainBlock(), nullptr);
    terrain.runPass();
    EXPECT_TRUE(terrain.isBuilt());
    EXPECT_TRUE(terrain.passDone());
    EXPECT_EQ(terrain.progress(), 100);
    EXPECT_EQ(ringCoordinates(ringCells(terrain, true)), window({ -1, 0, 2 }, 5));
    EXPECT_EQ(ringCoordinates(ringCells(terrain, false)), window({ -1, 0, 0 }, 7));
    EXPECT_EQ(terrain.cells().size(), 468u);
    EXPECT_EQ(world.terrainFields, 468);
    for (const auto& cell : terrain.cells()) {
        const TerrainRing ring = cell->fine ? TerrainRing(2, 12, 5) : TerrainRing(4, 40, 7);
        EXPECT_EQ(cell->box, ring.boxOf({ cell->ringX, cell->ringY, cell->ringZ }));
        EXPECT_EQ(cell->terrain->box(), cell->box);
        EXPECT_EQ(cell->terrain->step(), ring.step);
        EXPECT_EQ(cell->water->cellX, cell->ringX);
    }
    EXPECT_FALSE(terrain.fineVisible().empty());
    expectVisibleListsMatchMeshes(terrain);
}

TEST_F(TerrainTest, OneStepAlongXMovesOneFaceOfTheFineRing)
{
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    terrain.runPass();
    std::map<GridCell*, VoxelBox> before;
    for (const auto& cell : terrain.cells())
        before[cell.get()] = cell->box;
    const int fields = world.terrainFields;

    terrain.setViewerPosition({ 18.0, 6.0, 6.0 });
    terrain.runPass();
    EXPECT_EQ(world.terrainFields - fields, 25);
    int moved = 0;
    for (const auto& cell : terrain.cells())
        if (cell->box != before[cell.get()]) {
            ++moved;
            EXPECT_TRUE(cell->fine);
            EXPECT_EQ(cell->ringX, 3);
        }
    EXPECT_EQ(moved, 25);
    EXPECT_EQ(ringCoordinates(ringCells(terrain, true)), window({ 1, 0, 0 }, 5));
    expectVisibleListsMatchMeshes(terrain);

    // A pass without a change of cell does nothing.
    terrain.runPass();
    EXPECT_EQ(world.terrainFields - fields, 25);
}

TEST_F(TerrainTest, CellsFollowLongJumpsAndShowOnlyWhenMeshed)
{
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    terrain.runPass();
    for (const Vector3& to : { Vector3(-30.0, -20.0, 7.0), Vector3(-31.0, 40.0, 7.0),
             Vector3(500.0, 6.0, -300.0), Vector3(6.0, 6.0, 6.0) }) {
        terrain.setViewerPosition(to);
        terrain.runPass();
        const Coordinates fineCentre { TerrainRing::cellOf(to.x, 12), TerrainRing::cellOf(to.y, 12),
            TerrainRing::cellOf(to.z, 12) };
        const Coordinates coarseCentre { TerrainRing::cellOf(to.x, 40), TerrainRing::cellOf(to.y, 40),
            TerrainRing::cellOf(to.z, 40) };
        EXPECT_EQ(ringCoordinates(ringCells(terrain, true)), window(fineCentre, 5));
        EXPECT_EQ(ringCoordinates(ringCells(terrain, false)), window(coarseCentre, 7));
        expectVisibleListsMatchMeshes(terrain);
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

    const int fields = world.terrainFields;
    terrain.remeshEdits();
    EXPECT_EQ(terrain.terrainQueueLength(), 7u);
    EXPECT_EQ(world.terrainFields - fields, 2);
    EXPECT_EQ(world.waterFields, 468);
    while (terrain.terrainQueueLength() > 0)
        terrain.remeshEdits();
    EXPECT_EQ(world.terrainFields - fields, 9);

    world.changedWater.push_back({ 13, 5, 40 });
    terrain.remeshEdits();
    // Beyond the fine ring (which ends at z = 36), on the plane two coarse cells share.
    EXPECT_EQ(world.waterFields, 468 + 2);
    EXPECT_EQ(terrain.waterQueueLength(), 0u);

    // The ground drops below this ring's cells: they leave the visible lists.
    world.terrain = groundBelow(-300.5, 2);
    for (const auto& cell : terrain.cells())
        terrain.markTerrainDirty(cell->box.x0, cell->box.y0, cell->box.z0);
    while (terrain.terrainQueueLength() > 0)
        terrain.remeshEdits();
    expectVisibleListsMatchMeshes(terrain);
    EXPECT_TRUE(terrain.fineVisible().empty());
}

TEST_F(TerrainTest, TheUpdateThreadFollowsTheViewerAndHandsOnItsFailure)
{
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    auto waitFor = [](auto condition) {
        for (int i = 0; i < 2000 && !condition(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return condition();
    };
    terrain.launch();
    ASSERT_TRUE(waitFor([&] { return terrain.passDone(); }));
    EXPECT_TRUE(terrain.isBuilt());

    // A failing world ends the thread; the main thread gets the message.
    world.terrain = [](int, int, int) -> VoxelSample { throw "FATAL EXCEPTION"; };
    terrain.setViewerPosition({ 30.0, 6.0, 6.0 });
    ASSERT_TRUE(waitFor([&] {
        try {
            terrain.rethrowFailure();
            return false;
        } catch (const char*) {
            return true;
        }
    }));
    try {
        terrain.update(0.01);
        ADD_FAILURE() << "update went on after the update thread failed";
    } catch (const char* message) {
        EXPECT_STREQ(message, "FATAL EXCEPTION");
    }
    terrain.stop();
}

TEST_F(TerrainTest, WireframeCoversEveryBlockOnceBuilt)
{
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    terrain.setWireframe(true);
    terrain.runPass();
    ASSERT_NE(terrain.firstTerrainBlock(), nullptr);
    EXPECT_FALSE(terrain.firstTerrainBlock()->wireframe);
    terrain.setWireframe(true);
    for (const auto& cell : terrain.cells())
        EXPECT_TRUE(cell->terrain->wireframe && cell->water->wireframe);
    terrain.setWireframe(false);
    EXPECT_FALSE(terrain.cells().back()->water->wireframe);
}

TEST_F(TerrainTest, ConsoleCommands)
{
    Camera camera;
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    int reloads = 0;
    terrain.reloadShaders = [&] { ++reloads; };
    EXPECT_EQ(terrain.handleCommand({}), "Terrain commands: \n reloadShaders \n addModel");
    EXPECT_EQ(terrain.handleCommand({ "reloadShaders" }), "Shaders reloaded.");
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(terrain.handleCommand({ "addModel" }), "Terrain: unknown command: \"addModel\"");
}
