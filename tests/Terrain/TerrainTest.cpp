#include "Terrain/Terrain.h"

#include "Terrain/Daylight.h"
#include "Terrain/ModelInstances.h"
#include "TestFields.h"
#include "World/Planet.h"

#include <cmath>
#include <gtest/gtest.h>

class TerrainTest : public ::testing::Test
{
protected:
    Planet planet { 500.0 };
    // Ground below y = 6.5 everywhere: cells crossing that height have triangles.
    FunctionWorld world { groundBelow(6.5, 2), nowhere };
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

// The edit worker's steps, run here without the thread: fine cells first,
// a moving cell waits, and an edit during a build queues its cell again.
TEST_F(TerrainTest, EditsQueueEveryCellHoldingTheVoxelOnceAndMeshTheFineRingFirst)
{
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    terrain.runPass();
    // (12, 12, 12) is a corner of eight fine cells and inside one coarse cell.
    terrain.markTerrainDirty(12, 12, 12);
    world.changedVoxels.push_back({ 12, 12, 12 });
    terrain.queueEdits();
    EXPECT_EQ(terrain.editsWaiting(), 9);
    // The update thread is moving the coarse cell: it keeps its place in the queue.
    auto cellHolding = [&](bool fine, int x, int y, int z) -> GridCell& {
        return **std::find_if(terrain.cells().begin(), terrain.cells().end(),
            [&](const auto& cell) { return cell->fine == fine && cell->box.contains(x, y, z); });
    };
    GridCell& busy = cellHolding(false, 12, 12, 12);
    busy.moving = true;
    const int fields = world.terrainFields;
    while (terrain.meshNextEdit())
        EXPECT_FALSE(busy.terrain->touched());
    EXPECT_TRUE(terrain.editsWaiting() == 1 && world.terrainFields - fields == 8);
    busy.moving = false;
    EXPECT_TRUE(terrain.meshNextEdit() && busy.terrain->touched() && !terrain.meshNextEdit());
    EXPECT_TRUE(world.terrainFields - fields == 9 && world.waterFields == 468);
    for (const bool fine : { true, false }) {
        const Terrain::EditCount count = terrain.editCount(fine);
        EXPECT_TRUE(count.queued == (fine ? 8 : 1) && count.meshed == count.queued);
    }
    // (6, 6, 6) lies in one fine and one coarse cell; the fine one is edited
    // again while a worker meshes it, and is meshed once more.
    GridCell& edited = cellHolding(true, 6, 6, 6);
    const FunctionField::Function ground = world.terrain;
    std::atomic<bool> reading { false }, editedAgain { false };
    world.terrain = [&](int x, int y, int z) {
        if (!reading.exchange(true))
            waitFor([&] { return editedAgain.load(); });
        return ground(x, y, z);
    };
    terrain.markTerrainDirty(6, 6, 6);
    std::thread worker([&] { EXPECT_TRUE(terrain.meshNextEdit()); });
    EXPECT_TRUE(waitFor([&] { return reading.load(); }));
    terrain.markTerrainDirty(6, 6, 6);
    editedAgain = true;
    worker.join();
    EXPECT_TRUE(edited.terrainQueued && terrain.editsWaiting() == 2 && terrain.editCount(true).queued == 10);
    terrain.meshNextEdit();
    EXPECT_TRUE(!edited.terrainQueued && terrain.editsWaiting() == 1);
    world.changedWater.push_back({ 13, 5, 40 });
    terrain.queueEdits();
    while (terrain.meshNextEdit()) { }
    // Beyond the fine ring (which ends at z = 36), on the plane two coarse cells share.
    EXPECT_TRUE(world.waterFields == 468 + 2 && terrain.editsWaiting() == 0);
    // The ground drops below this ring's cells: they leave the visible lists.
    world.terrain = groundBelow(-300.5, 2);
    for (const auto& cell : terrain.cells())
        terrain.markTerrainDirty(cell->box.x0, cell->box.y0, cell->box.z0);
    while (terrain.meshNextEdit()) { }
    expectRingsAround(terrain, { 6.0, 6.0, 6.0 });
    EXPECT_TRUE(terrain.fineVisible().empty());
}

TEST_F(TerrainTest, TheUpdateThreadFollowsTheViewerAndHandsOnItsFailure)
{
    Terrain terrain(world, { 6.0, 6.0, 6.0 });
    terrain.launch();
    ASSERT_TRUE(waitFor([&] { return terrain.passDone() && terrain.isBuilt(); }));
    // The edit worker wakes for an edit and hands over the nine cells holding
    // it: their blocks wait for the next update's upload.
    world.changedVoxels.push_back({ 12, 12, 12 });
    terrain.queueEdits();
    ASSERT_TRUE(
        waitFor([&] { return terrain.editCount(true).meshed == 8 && terrain.editCount(false).meshed == 1; }));
    for (const auto& cell : terrain.cells())
        EXPECT_EQ(cell->terrain->touched(), cell->box.contains(12, 12, 12));
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

// A viewer on the surface below the planet's centre, whose up is -y: the hour
// follows the sun's height over the viewer's own horizon, and the haze fades
// into the sky dome's horizon colour.
TEST(DaylightTest, NoonSunsetAndMidnightFollowTheViewersHorizon)
{
    const Vector3 eye { 0.0, -500.0, 0.0 }, up { 0.0, -1.0, 0.0 };
    const Daylight noon = Daylight::at({ 0.0, -50000.0, 0.0 }, eye, up);
    const Daylight sunset = Daylight::at({ 50000.0, -500.0, 0.0 }, eye, up);
    const Daylight midnight = Daylight::at({ 0.0, 50000.0, 0.0 }, eye, up);
    auto near = [](const Vector3& a, const Vector3& b) { return (a - b).length() < 1e-6; };
    EXPECT_TRUE(noon.sunColour.x > 0.9 && noon.sunColour.z > 0.8 && near(noon.moonColour, {}));
    EXPECT_TRUE(near(noon.fogColour, { 0.66, 0.81, 0.96 }));
    EXPECT_TRUE(sunset.sunColour.x > 2.0 * sunset.sunColour.z && sunset.sunColour.y < noon.sunColour.y);
    EXPECT_GT(sunset.fogColour.x, sunset.fogColour.z);
    EXPECT_GT(sunset.sunColour.x, 0.0) << "a sun on the horizon still lights the ground a little";
    EXPECT_TRUE(near(midnight.sunColour, {}) && midnight.moonColour.z > 0.1);
    EXPECT_LT(midnight.ambientColour.x + midnight.ambientColour.y + midnight.ambientColour.z, 0.2);
    EXPECT_TRUE(near(midnight.fogColour, { 0.030, 0.055, 0.120 }));
    EXPECT_LT(midnight.fogEnd, 120.0f) << "the haze must hide the edge of the coarse ring";
}

// Looking steeply down along +x: the models stand ahead, not under the
// viewer's feet, each on its own spot, and skip the spots the ground finder
// rejects (a lake beyond x = 12), turning to the sides and behind. Their
// numbers are unique across models, dwarves (drawn first) taking the first,
// and survive the trip through a picking colour; the white background and
// numbers nobody has name nothing.
TEST(ModelInstancesTest, PlacedOnTheGroundInFrontOfTheViewerAndNumbered)
{
    ModelInstances instances;
    instances.picked = 2;
    instances.add("dwarf", { 9.0f, 9.0f, 9.0f });
    const Vector3 eye { 10.0, 1.7, -4.0 };
    Orientation facing;
    facing.forward = Vector3 { 0.3, -0.95, 0.0 }.normalise();
    for (const double shore : { 1e9, 12.0 }) {
        instances.placeAround(eye, facing, [&](const Vector3& p) -> std::optional<Vector3> {
            return p.x > shore ? std::nullopt : std::optional<Vector3>({ p.x, 0.0, p.z });
        });
        EXPECT_EQ(instances.picked, 0);
        EXPECT_TRUE(instances.of("dwarf").size() == 3 && instances.of("forge").size() == 2);
        std::vector<ModelInstances::Position> spots;
        for (const std::string& model : ModelInstances::modelNames())
            for (const ModelInstances::Position& p : instances.of(model)) {
                EXPECT_EQ(p[1], 0.0f) << "stands on the ground the finder returned";
                EXPECT_TRUE(shore < 100 || p[0] - eye.x > 4.0) << model;
                EXPECT_LE(p[0], shore) << model << " stands in the lake";
                EXPECT_LT(std::hypot(p[0] - eye.x, p[2] - eye.z), 17.0) << model;
                EXPECT_EQ(std::count(spots.begin(), spots.end(), p), 0);
                spots.push_back(p);
            }
    }
    const std::tuple<const char*, int, int> numbers[]
        = { { "dwarf", 0, 1 }, { "dwarf", 2, 3 }, { "forge", 0, 4 }, { "forge", 1, 5 } };
    for (const auto& [model, index, number] : numbers) {
        EXPECT_EQ(instances.numberOf(model, index), number);
        EXPECT_EQ(instances.numberFromColour(ModelInstances::colourOf(number)), number);
    }
    EXPECT_EQ(ModelInstances::colourOf(0x123456), (ModelInstances::Colour { 0x12, 0x34, 0x56 }));
    for (const ModelInstances::Colour& colour : { ModelInstances::Colour { 255, 255, 255 }, { 0, 0, 6 } })
        EXPECT_EQ(instances.numberFromColour(colour), 0);
    // Nowhere dry at all: nothing is placed, and nothing is picked.
    instances.placeAround(eye, facing, [](const Vector3&) { return std::optional<Vector3>(); });
    EXPECT_EQ(instances.count(), 0);
    EXPECT_EQ(instances.numberFromColour({ 0, 0, 1 }), 0);
}
