#include "ManagerFixture.h"
#include "World/Planet.h"
#include "World/WaterVox.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <map>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

namespace {

// Blocks from x = 800 on lie far above the ground: all air, cheap to generate.
constexpr int SKY = 40;
using Positions = std::vector<VoxelPosition>;

Positions drain(TerrainDataManager& manager, bool (TerrainDataManager::*pop)(VoxelPosition&))
{
    Positions all;
    for (VoxelPosition p; (manager.*pop)(p);)
        all.push_back(p);
    return all;
}

template <typename Condition> bool eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

} // namespace

using TerrainDataManagerTest = ManagerFixture;

TEST_F(TerrainDataManagerTest, LeastRecentlyUsedPairIsReusedAndBlocksSharingABucketAreToldApart)
{
    auto manager = open(2);
    DataNode* a = manager->getNode(SKY, 0, 0).get();
    DataNode* b = manager->getNode(SKY + 1, 0, 0).get();
    // A, B, A, C: B was used least recently, so C takes its node and A keeps its own.
    EXPECT_EQ(a, manager->getNode(SKY, 0, 0).get());
    DataNode* c = manager->getNode(SKY + 2, 0, 0).get();
    // Its new file names are checked by the restart test, whose edits outnumber the nodes.
    EXPECT_TRUE(b == c && c->wdb->bx() == SKY + 2 && c->wdb->terrainBlock() == c->tdb.get());
    EXPECT_TRUE(a == manager->findNode(SKY, 0, 0).get() && !manager->findNode(SKY + 1, 0, 0));
    EXPECT_EQ(2, manager->nodeCount());
    manager.reset();
    manager = open();
    const int before = manager->nodeCount();
    // 31 buckets on |bx|: all fall into bucket 3.
    const int blocks[][3] = { { 3, 0, 40 }, { -3, 5, 40 }, { 34, 0, 40 }, { 3, 0, 41 } };
    for (int pass = 0; pass < 2; ++pass) // found again, not made twice: the node count stays
        for (const auto& at : blocks) {
            const datablock& t = *manager->getNode(at[0], at[1], at[2])->tdb;
            EXPECT_TRUE(t.bx() == at[0] && t.by() == at[1] && t.bz() == at[2]) << at[0];
        }
    EXPECT_EQ(before + 4, manager->nodeCount());
    EXPECT_EQ(-3, manager->getNodeAt(-41, 100, 819)->tdb->bx());
}

TEST_F(TerrainDataManagerTest, ReusedPairIsSavedUnderItsOldCoordinatesFirstAndHeldPairsAreNeverReused)
{
    auto manager = open(1);
    // An edit the renderer has not consumed yet.
    Vox(*manager, 800, 0, 1).density(50);
    manager->getNode(SKY + 1, 0, 0);
    const std::string saved = TempFolder::read(blockFile(SKY, 0, 0));
    EXPECT_TRUE(saved.size() == 16000u && saved[2] == 50);
    EXPECT_FALSE(std::filesystem::exists(blockFile(SKY, 0, 0) + ".w"));
    // Consuming it brings the block back from its file, marks both halves and dries the voxel.
    EXPECT_EQ(1u, drain(*manager, &TerrainDataManager::popChangedVoxel).size());
    manager->getNode(SKY + 1, 0, 0);
    EXPECT_EQ(static_cast<char>(WaterDatablock::DRY), TempFolder::read(blockFile(SKY, 0, 0) + ".w").at(1));
    // While held, the only pair stays: the cache grows instead, and unheld pairs are still reused.
    Vox held(*manager, 800, 0, 1);
    DataNode* other = manager->getNode(SKY + 1, 0, 0).get();
    EXPECT_EQ(50, held.density());
    held.density(33);
    EXPECT_TRUE(other == manager->getNode(SKY + 2, 0, 0).get() && manager->nodeCount() == 2);
    EXPECT_EQ(33, Vox(*manager, 800, 0, 1).density());
}

TEST_F(TerrainDataManagerTest, HandlesAndTheChangeQueues)
{
    auto manager = open();
    NodePin pair = manager->getNodeAt(805, 3, 4);
    {
        Vox handle(*manager, 805, 3, 4);
        EXPECT_TRUE(handle.density() == Voxel::FULLY_AIR && handle.material() == Voxel::AIR_MATERIAL);
        EXPECT_FALSE(pair->tdb->modified);
        // Clamped into a signed byte; materials wrap.
        EXPECT_TRUE(handle.density(300) == 127 && handle.density(-300) == -128 && handle.material(300) == 44);
        EXPECT_TRUE(pair->tdb->modified);
        handle.material(4);
        Vox(*manager, 806, 3, 4).density(1);
    }
    EXPECT_TRUE(Vox(*manager, 805, 3, 4).density() == -128 && Vox(*manager, 805, 3, 4).material() == 4);
    pair->tdb->modified = false;
    // Density writes queue a position once until consumed, material writes every time.
    EXPECT_EQ((Positions { { 805, 3, 4 }, { 805, 3, 4 }, { 805, 3, 4 }, { 806, 3, 4 } }),
        drain(*manager, &TerrainDataManager::popChangedVoxel));
    // Consuming marks both halves, dries the voxel and hands its 26 neighbours to the flow.
    EXPECT_TRUE(pair->tdb->modified && pair->wdb->modified);
    EXPECT_TRUE(
        pair->wdb->localValue(5, 3, 4) == WaterDatablock::DRY && manager->waterFlowBacklog() == 4u * 26u);
    Vox(*manager, 805, 3, 4).density(30);
    EXPECT_EQ(1u, drain(*manager, &TerrainDataManager::popChangedVoxel).size());
    // Dry neighbours give and take nothing; a pass handles at most 10 of them.
    EXPECT_TRUE(manager->waterFlowPass() == 10 && manager->waterFlowBacklog() == 5u * 26u - 10u);
    // Water changes are queued once until popped, and mark only the water half.
    pair->wdb->modified = pair->tdb->modified = false;
    for (int z : { 3, 4, 3 })
        manager->queueWaterChange(801, 2, z);
    EXPECT_EQ(
        (Positions { { 801, 2, 3 }, { 801, 2, 4 } }), drain(*manager, &TerrainDataManager::popChangedWater));
    manager->queueWaterChange(801, 2, 3);
    EXPECT_EQ(1u, drain(*manager, &TerrainDataManager::popChangedWater).size());
    EXPECT_TRUE(pair->wdb->modified && !pair->tdb->modified);
    // A water handle keeps the value it read when built and writes nothing.
    manager->getNodeAt(480, 0, 0)->wdb->setWater(40, 480, 0, 0);
    WaterVox water(*manager, 480, 0, 0);
    manager->getNodeAt(480, 0, 0)->wdb->setWater(90, 480, 0, 0);
    EXPECT_TRUE(water.density(5) == 40 && water.material(5) == 0);
    EXPECT_EQ(90, WaterVox(*manager, 480, 0, 0).density());
}

TEST_F(TerrainDataManagerTest, WaterFlowsBackIntoHollowsBelowTheSeaOnly)
{
    auto manager = open(1000, true);
    // Along (0, 1, 1) the sea floor lies about 18 units below the radius.
    int k = 0;
    while (k < 20 && Vox(*manager, 0, 348 - k, 348 - k).density() < 0)
        ++k;
    const VoxelPosition seabed { 0, 348 - k, 348 - k }, shore { 503, 0, 0 };
    ASSERT_LT(manager->planet().heightAt(seabed.x, seabed.y, seabed.z), -8.0);
    Vox(*manager, seabed.x, seabed.y, seabed.z).density(-127);
    Vox(*manager, shore.x, shore.y, shore.z).density(-127);
    for (const VoxelPosition& p : drain(*manager, &TerrainDataManager::popChangedVoxel))
        EXPECT_EQ(WaterDatablock::DRY, WaterVox(*manager, p.x, p.y, p.z).density());
    EXPECT_TRUE(
        eventually([&] { return WaterVox(*manager, seabed.x, seabed.y, seabed.z).density() == 127; }));
    EXPECT_TRUE(eventually([&] { return manager->waterFlowBacklog() == 0; }));
    EXPECT_EQ(WaterDatablock::DRY, WaterVox(*manager, shore.x, shore.y, shore.z).density());
    // The renderer hears of the refill.
    const Positions refilled = drain(*manager, &TerrainDataManager::popChangedWater);
    EXPECT_NE(std::find(refilled.begin(), refilled.end(), seabed), refilled.end());
}

TEST_F(TerrainDataManagerTest, FailedSaveOnAWorkerThreadKeepsTheBlockAndReachesTheMainLoop)
{
    auto manager = open(1);
    Vox(*manager, 800, 0, 0).density(50);
    // Block 40, 0, 0 lives in data/15; a plain file there makes it unwritable even for root.
    const std::string folder = temp.path + "World/data/15";
    std::filesystem::remove_all(folder);
    TempFolder::write(folder, "not a folder");
    testing::internal::CaptureStdout();
    std::thread([&] { Vox(*manager, 820, 0, 0).density(); }).join();
    testing::internal::GetCapturedStdout();
    EXPECT_THROW(manager->rethrowFailure(), const char*);
    // The block keeps its data and its place; the cache grew instead.
    EXPECT_EQ(2, manager->nodeCount());
    ASSERT_TRUE(manager->findNode(SKY, 0, 0));
    EXPECT_TRUE(manager->findNode(SKY, 0, 0)->tdb->modified);
    // The shutdown saves what it can.
    std::filesystem::remove(folder);
    std::filesystem::create_directory(folder);
    manager.reset();
    EXPECT_EQ(50, TempFolder::read(blockFile(SKY, 0, 0)).at(0));
}

TEST_F(TerrainDataManagerTest, SurfaceQueriesAndVoxelRays)
{
    auto manager = open();
    auto d = [&](int x, int y, int z) { return static_cast<double>(Vox(*manager, x, y, z).density()); };
    // Near the surface at negative coordinates, where the voxels differ.
    ASSERT_NE(d(-500, -1, 0), d(-499, -1, 0));
    EXPECT_EQ(d(-500, -1, 0), manager->sampleDensity(-500.0, -1.0, 0.0));
    EXPECT_DOUBLE_EQ((d(-500, -1, 0) + d(-499, -1, 0) + d(-500, 0, 0) + d(-499, 0, 0)) / 4.0,
        manager->sampleDensity(-499.5, -0.5, 0.0));
    // Searches from above and from below meet at the same surface (the normal itself is
    // compared with an independent field's by the terrain tests).
    const Vector3 surface = manager->findSurface({ 0.0, 0.0, -530.0 });
    EXPECT_NEAR(surface.z, manager->findSurface({ 0.0, 0.0, -470.0 }).z, 0.2);
    EXPECT_TRUE(surface.x == 0.0 && surface.y == 0.0);
    const Vector3 normal = manager->surfaceNormal(surface);
    // Pushed out of the ground to just above the surface; points in air stay; deep rock refuses the move.
    const Vector3 buried = surface - normal * 0.3;
    const Vector3 pushed = manager->pushOutOfGround(buried + normal, buried);
    EXPECT_TRUE((pushed - surface).length() < 0.2 && manager->sampleDensity(pushed) < 0.0);
    EXPECT_EQ(Vector3(0, 0, -520), manager->pushOutOfGround({ 0.0, 0.0, -521.0 }, { 0.0, 0.0, -520.0 }));
    testing::internal::CaptureStdout();
    EXPECT_EQ(Vector3(300, 0, 0), manager->pushOutOfGround({ 300.0, 0.0, 0.0 }, { 300.5, 0.0, 0.0 }));
    testing::internal::GetCapturedStdout();
    // Rays sample every half unit, ties going to the first voxel visited, and stop where the
    // blocks in memory end.
    manager->getNode(SKY, 0, 0);
    const int nodes = manager->nodeCount();
    std::vector<double> xs;
    for (const Vox& hit : manager->castVoxelRay({ 801.0, 10.0, 10.0 }, { 1.0, 0.0, 0.0 }, 8.0))
        xs.push_back(hit.getPosition().x);
    EXPECT_EQ((std::vector<double> {
                  801, 802, 802, 803, 803, 804, 804, 805, 805, 806, 806, 807, 807, 808, 808, 809, 809 }),
        xs);
    std::vector<Vox> hits = manager->castVoxelRay({ 815.2, 10.3, 10.1 }, { 1.0, 0.0, 0.0 }, 30.0);
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(819.0, hits.back().getPosition().x);
    EXPECT_EQ(nodes, manager->nodeCount());
    hits.front().density(12);
    EXPECT_EQ(12, Vox(*manager, 816, 10, 10).density());
    EXPECT_TRUE(manager->castVoxelRay({ 801.0, 10.0, 10.0 }, { 0.0, 0.0, 0.0 }, 8.0).empty());
}

// Writers, readers and a main loop at once on a cache far too small for them: every write must land
// in its own voxel and survive reuse and restart, as must the viewer and edits the renderer never saw.
// Among hundreds of cached blocks, the periodic save finds the edited one at once.
TEST_F(TerrainDataManagerTest, PeriodicSavesFindTheEditedBlockAmongManyCachedOnes)
{
    auto manager = open();
    for (int b = 0; b < 200; ++b)
        Vox(*manager, 2000 + 20 * b, 0, 0).density();
    Vox(*manager, 2000 + 20 * 199, 0, 0).density(5);
    manager->saveTick(0.016);
    EXPECT_TRUE(std::filesystem::exists(blockFile(299, 0, 0)));
}

TEST_F(TerrainDataManagerTest, ConcurrentEditsReadsAndReuseKeepEveryBlockWholeAcrossARestart)
{
    auto manager = open(6, true);
    constexpr int WRITERS = 3;
    std::atomic<bool> stop { false };
    std::atomic<int> writes { 0 };
    std::atomic<int> mismatches { 0 };
    std::vector<std::map<std::array<int, 3>, int>> written(WRITERS);
    auto writer = [&](int id) {
        std::mt19937 random(id + 1);
        for (int round = 0; !stop; ++round) {
            // Each writer owns the voxels with local x = id in 12 blocks.
            const int block = static_cast<int>(random() % 12);
            const int x = (SKY + block % 4) * 20 + id, y = (block / 4) * 20 + static_cast<int>(random() % 20);
            const int value = static_cast<int>(random() % 240) - 120;
            Vox handle(*manager, x, y, 5);
            // Other threads move blocks in and out while this handle is held.
            Vox(*manager, (SKY + 5 + round % 3) * 20, 0, 0).density();
            manager->sampleDensity((SKY + round % 4) * 20.5, 3.5, 5.5);
            handle.density(value);
            // Material 0 would mean "never generated" and invite the generator back.
            handle.material(value + 121);
            mismatches += handle.density() != value || Vox(*manager, x, y, 5).density() != value;
            written[id][{ x, y, 5 }] = value;
            ++writes;
            if (round % 16 == 0)
                manager->castVoxelRay({ x + 0.5, y + 0.5, 5.5 }, { 0.0, 1.0, 0.0 }, 8.0);
        }
    };
    std::vector<std::thread> threads;
    for (int id = 0; id < WRITERS; ++id)
        threads.emplace_back(writer, id);
    // Three seconds, and long enough for a few hundred writes on a slow
    // (sanitized, busy) machine.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end || writes < 300) {
        drain(*manager, &TerrainDataManager::popChangedVoxel);
        drain(*manager, &TerrainDataManager::popChangedWater);
        manager->saveTick(0.016);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, mismatches.load());
    EXPECT_NO_THROW(manager->rethrowFailure());
    // Rock at height -10 dug out and left unconsumed: its water is cleared at shutdown.
    Vox(*manager, 490, 0, 0).density(-127);
    position[1] = -2.25;
    for (int pass = 0; pass < 2; ++pass) {
        int wrong = 0, checked = 0;
        for (const auto& mine : written)
            for (const auto& [at, value] : mine) {
                Vox handle(*manager, at[0], at[1], at[2]);
                wrong += handle.density() != value || handle.material() != value + 121;
                ++checked;
            }
        EXPECT_GT(checked, 100);
        EXPECT_EQ(0, wrong) << (pass ? "after the restart" : "before the restart");
        manager.reset();
        testing::internal::CaptureStdout();
        EXPECT_THROW(TerrainDataManager::getInstance(), const char*);
        testing::internal::GetCapturedStdout();
        position[1] = 0.0;
        manager = open(6);
        EXPECT_EQ(-2.25, position[1]);
    }
    EXPECT_TRUE(Vox(*manager, 490, 0, 0).density() == -127
        && WaterVox(*manager, 490, 0, 0).density() == WaterDatablock::DRY);
}

TEST_F(TerrainDataManagerTest, WorldFolderAndFile)
{
    const WorldFolder folder("Resources\\terrain\\", "Map");
    EXPECT_EQ("resources/terrain/Map/map.file", folder.worldFilePath());
    EXPECT_EQ("resources/terrain/Map/data/5/-7.2.4", folder.blockFile(-7, 2, 4));
    // The sum of two extreme coordinates does not overflow: 2^32 mod 25.
    for (const auto& c : { std::array<int, 3> { 20, 5, 0 }, { -30, 6, 24 }, { INT_MIN, INT_MIN, 21 } })
        EXPECT_EQ(c[2], WorldFolder::folderIndex(c[0], c[1])) << c[0];
    // A new world starts on the surface.
    auto manager = open(1000, false, "New");
    // Found by the ground search straight down the local up direction.
    EXPECT_TRUE(position[0] > 490.0 && position[0] < 510.0 && position[1] == 0.0 && position[2] == 0.0);
    EXPECT_NEAR(0.0, manager->sampleDensity(position[0], 0.0, 0.0), 3.0);
    for (int index = 0; index < 25; ++index)
        EXPECT_TRUE(std::filesystem::is_directory(temp.path + "New/data/" + std::to_string(index)));
    char x[32];
    const std::string exactX(x, std::to_chars(x, x + sizeof x, position[0]).ptr);
    EXPECT_EQ(
        "[settings]\nint\nseed1\n13\n\nint\nseed2\n14\n\ndouble\nday length\n120\n\ndouble\nsun angle\n0\n\n"
        "double\nuser x\n"
            + exactX + "\n\ndouble\nuser y\n0\n\ndouble\nuser z\n0\n\n",
        TempFolder::read(WorldFolder(temp.path, "New").worldFilePath()));
    manager.reset();
    const std::string file = WorldFolder(temp.path, "World").worldFilePath();
    auto resume = [&](const std::string& contents) {
        WorldFolder(temp.path, "World").createFolders();
        TempFolder::write(file, "[settings]\n" + contents);
        return open();
    };
    const std::string stored
        = "bool\nflying\ntrue\n\nint\nseed1\n21\n\nint\nseed2\n22\n\nint\nversion\n3\n\n"
          "double\nday length\n90.9\n\ndouble\nsun angle\n33\n\ndouble\nuser x\n498.123456\n\n"
          "double\nuser y\n1\n\ndouble\nuser z\n-2\n\nstring\nnote\nhello world\n\n";
    manager = resume(stored);
    EXPECT_TRUE(manager->seed1() == 21 && manager->seed2() == 22);
    EXPECT_TRUE(position[0] == 498.123456 && position[1] == 1.0 && position[2] == -2.0);
    EXPECT_TRUE(manager->planet().sunAngle() == 33.0 && manager->planet().dayLength() == 90);
    manager.reset();
    // Entries of other names are kept; day lengths are whole seconds, and at least one.
    std::string expected = "[settings]\n" + stored;
    expected.replace(expected.find("90.9"), 4, "90");
    EXPECT_EQ(expected, TempFolder::read(file));
    // Without a usable seed2 the world takes the program's seeds, and keeps them from now on.
    const auto user = [](const std::string& x) {
        return "double\nuser x\n" + x + "\n\ndouble\nuser y\n0\n\ndouble\nuser z\n0\n\n";
    };
    manager = resume("int\nseed1\n21\n\ndouble\nday length\n-4\n\n" + user("700"));
    EXPECT_TRUE(manager->seed1() == 13 && manager->seed2() == 14 && position[0] == 700.0);
    EXPECT_EQ(1, manager->planet().dayLength());
    manager.reset();
    EXPECT_NE(std::string::npos, TempFolder::read(file).find("int\nseed1\n13\n\nint\nseed2\n14\n"));
    // A position that is missing, unreadable (read as 2147483647), in the core or buried is
    // replaced by the new world's surface search, and said so; one a little inside the ground
    // is where walking leaves a player, and kept.
    const std::string seeds = "int\nseed1\n13\n\nint\nseed2\n14\n\n";
    for (const std::string& stored : { seeds, seeds + "double\nuser x\n520\n\n", seeds + user("nan"),
             seeds + user("0"), seeds + user("400"), seeds + user("499.6") }) {
        position[0] = 510.0;
        TempFolder::write(file, "[settings]\n" + stored);
        testing::internal::CaptureStdout();
        manager = std::make_unique<TerrainDataManager>(position, "World", 13, 14, 1000, temp.path, false);
        const bool kept = stored.find("499.6") != std::string::npos;
        EXPECT_EQ(
            kept ? "" : "World file " + file + " holds no usable position; placing you on the surface\n",
            testing::internal::GetCapturedStdout());
        EXPECT_NEAR(0.0, manager->sampleDensity(position[0], position[1], position[2]), kept ? 127 : 3.0)
            << stored;
        EXPECT_GT(position[0], 490.0);
        manager.reset();
    }
}
