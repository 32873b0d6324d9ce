#include "ManagerFixture.h"
#include "World/Planet.h"
#include "World/WaterVox.h"

#include <atomic>
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
    EXPECT_EQ(manager.get(), &TerrainDataManager::getInstance());
    DataNode* a = manager->getNode(SKY, 0, 0).get();
    DataNode* b = manager->getNode(SKY + 1, 0, 0).get();
    // A, B, A, C: B was used least recently, so C takes its node and A keeps its own.
    EXPECT_EQ(a, manager->getNode(SKY, 0, 0).get());
    DataNode* c = manager->getNode(SKY + 2, 0, 0).get();
    EXPECT_EQ(b, c);
    EXPECT_EQ(SKY + 2, c->wdb->bx());
    EXPECT_EQ(c->tdb.get(), c->wdb->terrainBlock());
    EXPECT_EQ(blockFile(SKY + 2, 0, 0), c->tdb->filename());
    EXPECT_EQ(blockFile(SKY + 2, 0, 0) + ".w", c->wdb->filename());
    EXPECT_EQ(a, manager->findNode(SKY, 0, 0).get());
    EXPECT_FALSE(manager->findNode(SKY + 1, 0, 0));
    EXPECT_EQ(2, manager->nodeCount());

    manager.reset();
    manager = open();
    // 31 buckets on |bx|: all fall into bucket 3.
    const int blocks[][3] = { { 3, 0, 40 }, { -3, 5, 40 }, { 34, 0, 40 }, { 3, 0, 41 } };
    std::vector<DataNode*> nodes;
    for (const auto& at : blocks)
        nodes.push_back(manager->getNode(at[0], at[1], at[2]).get());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i], manager->getNode(blocks[i][0], blocks[i][1], blocks[i][2]).get());
        const datablock& t = *nodes[i]->tdb;
        EXPECT_TRUE(t.bx() == blocks[i][0] && t.by() == blocks[i][1] && t.bz() == blocks[i][2]) << i;
    }
    EXPECT_EQ(-3, manager->getNodeAt(-41, 100, 819)->tdb->bx());
}

TEST_F(TerrainDataManagerTest, ReusedPairIsSavedUnderItsOldCoordinatesFirst)
{
    auto manager = open(1);
    // An edit the renderer has not consumed yet.
    Vox(*manager, 800, 0, 1).density(50);
    manager->getNode(SKY + 1, 0, 0);
    const std::string saved = TempFolder::read(blockFile(SKY, 0, 0));
    ASSERT_EQ(16000u, saved.size());
    EXPECT_EQ(50, saved[2]);
    EXPECT_FALSE(std::filesystem::exists(blockFile(SKY, 0, 0) + ".w"));

    // Consuming it brings the block back from its file, marks both halves and dries the voxel.
    VoxelPosition changed;
    ASSERT_TRUE(manager->popChangedVoxel(changed));
    EXPECT_EQ(50, Vox(*manager, 800, 0, 1).density());
    manager->getNode(SKY + 1, 0, 0);
    EXPECT_EQ(static_cast<char>(WaterDatablock::DRY), TempFolder::read(blockFile(SKY, 0, 0) + ".w").at(1));
    EXPECT_EQ(50, Vox(*manager, 800, 0, 1).density());
}

TEST_F(TerrainDataManagerTest, HeldBlocksAreNeverReused)
{
    auto manager = open(1);
    Vox held(*manager, 800, 0, 0);
    // The only node is held: the cache grows instead of taking it away.
    DataNode* other = manager->getNode(SKY + 1, 0, 0).get();
    EXPECT_EQ(2, manager->nodeCount());
    held.density(33);
    // Unheld nodes are still reused while the held one stays.
    EXPECT_EQ(other, manager->getNode(SKY + 2, 0, 0).get());
    EXPECT_EQ(2, manager->nodeCount());
    EXPECT_EQ(33, Vox(*manager, 800, 0, 0).density());
}

TEST_F(TerrainDataManagerTest, VoxelHandlesClampWritesAndMarkTheirBlock)
{
    auto manager = open();
    NodePin pair = manager->getNodeAt(805, -3, 7);
    Vox fresh(*manager, 805, -3, 7);
    EXPECT_EQ(Vector3(805.0, -3.0, 7.0), fresh.getPosition());
    EXPECT_EQ(Voxel::FULLY_AIR, fresh.density());
    EXPECT_EQ(Voxel::AIR_MATERIAL, fresh.material());
    EXPECT_FALSE(pair->tdb->modified);
    EXPECT_EQ(127, fresh.density(300));
    EXPECT_EQ(-128, fresh.density(-300));
    EXPECT_EQ(44, fresh.material(300));
    EXPECT_TRUE(pair->tdb->modified);
    EXPECT_EQ(-128, Vox(*manager, 805, -3, 7).density());
    EXPECT_EQ(44, Vox(*manager, 805, -3, 7).material());

    // A water handle keeps the value it read when built and writes nothing.
    manager->getNodeAt(480, 0, 0)->wdb->setWater(40, 480, 0, 0);
    WaterVox water(*manager, 480, 0, 0);
    manager->getNodeAt(480, 0, 0)->wdb->setWater(90, 480, 0, 0);
    EXPECT_EQ(40, water.density(5));
    EXPECT_EQ(0, water.material(5));
    EXPECT_EQ(90, WaterVox(*manager, 480, 0, 0).density());
}

TEST_F(TerrainDataManagerTest, ChangedVoxelAndWaterQueues)
{
    auto manager = open();
    VoxelPosition changed;
    EXPECT_FALSE(manager->popChangedVoxel(changed));
    {
        Vox handle(*manager, 805, 3, 4);
        handle.density(10);
        handle.density(20);
        handle.material(3);
        handle.material(4);
        Vox(*manager, 806, 3, 4).density(1);
    }
    NodePin pair = manager->getNodeAt(805, 3, 4);
    pair->tdb->modified = false;
    ASSERT_TRUE(manager->popChangedVoxel(changed));
    EXPECT_EQ((VoxelPosition { 805, 3, 4 }), changed);
    EXPECT_TRUE(pair->tdb->modified);
    EXPECT_TRUE(pair->wdb->modified);
    EXPECT_EQ(WaterDatablock::DRY, pair->wdb->localValue(5, 3, 4));
    EXPECT_EQ(26u, manager->waterFlowBacklog());

    // Density writes queue a position once, material writes every time.
    std::vector<VoxelPosition> rest;
    while (manager->popChangedVoxel(changed))
        rest.push_back(changed);
    EXPECT_EQ((std::vector<VoxelPosition> { { 805, 3, 4 }, { 805, 3, 4 }, { 806, 3, 4 } }), rest);
    EXPECT_EQ(4u * 26u, manager->waterFlowBacklog());
    // Once consumed, a position is queued again by the next density write.
    Vox(*manager, 805, 3, 4).density(30);
    ASSERT_TRUE(manager->popChangedVoxel(changed));
    EXPECT_FALSE(manager->popChangedVoxel(changed));
    // Dry neighbours give and take nothing; a pass handles at most 10 of them.
    EXPECT_EQ(10, manager->waterFlowPass());
    EXPECT_EQ(5u * 26u - 10u, manager->waterFlowBacklog());

    // Water changes are queued once until popped, and mark only the water half.
    pair->wdb->modified = pair->tdb->modified = false;
    for (int z : { 3, 4, 3 })
        manager->queueWaterChange(801, 2, z);
    NodePin waterPair = manager->getNodeAt(801, 2, 3);
    ASSERT_TRUE(manager->popChangedWater(changed));
    EXPECT_EQ((VoxelPosition { 801, 2, 3 }), changed);
    EXPECT_TRUE(waterPair->wdb->modified);
    EXPECT_FALSE(waterPair->tdb->modified);
    manager->queueWaterChange(801, 2, 3);
    std::vector<VoxelPosition> water;
    while (manager->popChangedWater(changed))
        water.push_back(changed);
    EXPECT_EQ((std::vector<VoxelPosition> { { 801, 2, 4 }, { 801, 2, 3 } }), water);
}

TEST_F(TerrainDataManagerTest, WaterFlowsBackIntoHollowsBelowTheSeaOnly)
{
    auto manager = open(1000, true);
    // Along (0, 1, 1) the sea floor lies about 18 units below the radius.
    int k = 0;
    while (Vox(*manager, 0, 348 - k, 348 - k).density() < 0)
        ++k;
    ASSERT_LT(k, 20);
    const VoxelPosition seabed { 0, 348 - k, 348 - k }, shore { 503, 0, 0 };
    ASSERT_LT(manager->planet().heightAt(seabed.x, seabed.y, seabed.z), -8.0);

    Vox(*manager, seabed.x, seabed.y, seabed.z).density(-127);
    Vox(*manager, shore.x, shore.y, shore.z).density(-127);
    VoxelPosition changed;
    while (manager->popChangedVoxel(changed))
        EXPECT_EQ(WaterDatablock::DRY, WaterVox(*manager, changed.x, changed.y, changed.z).density());

    EXPECT_TRUE(
        eventually([&] { return WaterVox(*manager, seabed.x, seabed.y, seabed.z).density() == 127; }));
    EXPECT_TRUE(eventually([&] { return manager->waterFlowBacklog() == 0; }));
    EXPECT_EQ(WaterDatablock::DRY, WaterVox(*manager, shore.x, shore.y, shore.z).density());
    // The renderer hears of the refill.
    bool heard = false;
    while (manager->popChangedWater(changed))
        heard = heard || changed == seabed;
    EXPECT_TRUE(heard);
}

TEST_F(TerrainDataManagerTest, EditsSurviveARestart)
{
    struct Edit
    {
        int x, y, z, density, material;
    };
    std::vector<Edit> edits { { 490, 0, 0, -127, 10 } }; // rock at height -10, dug out
    for (int i = 0; i < 30; ++i)
        edits.push_back({ 800 + 7 * i, (3 * i) % 40 - 20, -i, i * 8 - 120, i + 1 });
    {
        // Few nodes, so most edits are saved on reuse and some only at the end; none are consumed.
        auto manager = open(4);
        for (const Edit& e : edits) {
            Vox handle(*manager, e.x, e.y, e.z);
            handle.density(e.density);
            handle.material(e.material);
        }
        position[0] = 1.5;
        position[1] = -2.25;
    }
    testing::internal::CaptureStdout();
    EXPECT_THROW(TerrainDataManager::getInstance(), const char*);
    testing::internal::GetCapturedStdout();
    position[0] = position[1] = 0.0;
    auto manager = open(4);
    EXPECT_EQ(1.5, position[0]);
    EXPECT_EQ(-2.25, position[1]);
    for (const Edit& e : edits) {
        Vox handle(*manager, e.x, e.y, e.z);
        EXPECT_EQ(e.density, handle.density()) << e.x;
        EXPECT_EQ(e.material, handle.material()) << e.x;
    }
    // The dug rock's water was cleared at shutdown, as the renderer would have.
    EXPECT_EQ(WaterDatablock::DRY, WaterVox(*manager, 490, 0, 0).density());
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
    EXPECT_EQ(50, Vox(*manager, 800, 0, 0).density());
    // The shutdown saves what it can.
    std::filesystem::remove(folder);
    std::filesystem::create_directory(folder);
    manager.reset();
    EXPECT_EQ(50, TempFolder::read(blockFile(SKY, 0, 0)).at(0));
}

TEST_F(TerrainDataManagerTest, DensitySamplingAndSurfaceQueries)
{
    auto manager = open();
    auto d = [&](int x, int y, int z) { return static_cast<double>(Vox(*manager, x, y, z).density()); };
    // Near the surface at negative coordinates, where the voxels differ.
    ASSERT_NE(d(-500, -1, 0), d(-499, -1, 0));
    EXPECT_EQ(d(-500, -1, 0), manager->sampleDensity(-500.0, -1.0, 0.0));
    EXPECT_DOUBLE_EQ((d(-500, -1, 0) + d(-499, -1, 0) + d(-500, 0, 0) + d(-499, 0, 0)) / 4.0,
        manager->sampleDensity(-499.5, -0.5, 0.0));

    // Searches from above and from below meet at the same surface.
    const Vector3 fromAbove = manager->findSurface({ 0.0, 0.0, -530.0 });
    EXPECT_NEAR(fromAbove.z, manager->findSurface({ 0.0, 0.0, -470.0 }).z, 0.2);
    EXPECT_TRUE(fromAbove.x == 0.0 && fromAbove.y == 0.0);
    // The normal points from ground into air.
    const Vector3 normal = manager->surfaceNormal(fromAbove);
    EXPECT_NEAR(1.0, normal.length(), 1e-9);
    EXPECT_GT(
        manager->sampleDensity(fromAbove - normal * 0.5), manager->sampleDensity(fromAbove + normal * 0.5));

    // Pushed out of the ground to just above the surface; points in air stay.
    const Vector3 buried = fromAbove - normal * 0.3;
    const Vector3 pushed = manager->pushOutOfGround(buried + normal, buried);
    EXPECT_LT((pushed - fromAbove).length(), 0.2);
    EXPECT_LT(manager->sampleDensity(pushed), 0.0);
    const Vector3 air { 0.0, 0.0, -520.0 };
    EXPECT_EQ(air, manager->pushOutOfGround({ 0.0, 0.0, -521.0 }, air));
    // Deep rock has no way out within 5 units: the move is refused.
    testing::internal::CaptureStdout();
    EXPECT_EQ(Vector3(300.0, 0.0, 0.0), manager->pushOutOfGround({ 300.0, 0.0, 0.0 }, { 300.5, 0.0, 0.0 }));
    testing::internal::GetCapturedStdout();
}

TEST_F(TerrainDataManagerTest, VoxelRayMeetsLoadedBlocksOnly)
{
    auto manager = open();
    manager->getNode(SKY, 0, 0);
    const int nodes = manager->nodeCount();
    // Samples every half unit; ties between voxels go to the first one visited.
    std::vector<double> xs;
    for (const Vox& hit : manager->castVoxelRay({ 801.0, 10.0, 10.0 }, { 1.0, 0.0, 0.0 }, 8.0))
        xs.push_back(hit.getPosition().x);
    EXPECT_EQ((std::vector<double> {
                  801, 802, 802, 803, 803, 804, 804, 805, 805, 806, 806, 807, 807, 808, 808, 809, 809 }),
        xs);

    // It ends where the blocks in memory end, and loads nothing.
    std::vector<Vox> hits = manager->castVoxelRay({ 815.2, 10.3, 10.1 }, { 1.0, 0.0, 0.0 }, 30.0);
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(819.0, hits.back().getPosition().x);
    EXPECT_EQ(nodes, manager->nodeCount());
    // Handles from the ray edit the voxels they name.
    hits.front().density(12);
    EXPECT_EQ(12, Vox(*manager, 816, 10, 10).density());
    EXPECT_TRUE(manager->castVoxelRay({ 801.0, 10.0, 10.0 }, { 0.0, 0.0, 0.0 }, 8.0).empty());
}

// Writers, readers and a main loop at once on a cache far too small for them:
// every write must land in its own voxel and survive reuse and restart.
TEST_F(TerrainDataManagerTest, ConcurrentEditsReadsAndReuseKeepEveryBlockWhole)
{
    auto manager = open(6, true);
    constexpr int WRITERS = 3, BLOCKS = 12;
    std::atomic<bool> stop { false };
    std::atomic<int> mismatches { 0 };
    std::vector<std::map<std::tuple<int, int, int>, int>> written(WRITERS);

    auto writer = [&](int id) {
        std::mt19937 random(id + 1);
        for (int round = 0; !stop; ++round) {
            // Each writer owns the voxels with local x = id in every block.
            const int block = static_cast<int>(random() % BLOCKS);
            const int x = (SKY + block % 4) * 20 + id, y = (block / 4) * 20 + static_cast<int>(random() % 20),
                      z = 5;
            const int value = static_cast<int>(random() % 240) - 120;
            Vox handle(*manager, x, y, z);
            // Other threads move blocks in and out while this handle is held.
            Vox(*manager, (SKY + 5 + round % 3) * 20, 0, 0).density();
            manager->sampleDensity((SKY + round % 4) * 20.5, 3.5, 5.5);
            handle.density(value);
            // Material 0 would mean "never generated" and invite the generator back.
            handle.material(value + 121);
            if (handle.density() != value || Vox(*manager, x, y, z).density() != value)
                ++mismatches;
            written[id][{ x, y, z }] = value;
            if (round % 16 == 0)
                manager->castVoxelRay({ x + 0.5, y + 0.5, 5.5 }, { 0.0, 1.0, 0.0 }, 8.0);
        }
    };
    std::vector<std::thread> threads;
    for (int id = 0; id < WRITERS; ++id)
        threads.emplace_back(writer, id);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    VoxelPosition changed;
    while (std::chrono::steady_clock::now() < end) {
        while (manager->popChangedVoxel(changed) || manager->popChangedWater(changed)) { }
        manager->saveTick(0.016);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, mismatches.load());
    EXPECT_NO_THROW(manager->rethrowFailure());

    auto verify = [&] {
        int wrong = 0, checked = 0;
        for (const auto& mine : written)
            for (const auto& [at, value] : mine) {
                Vox handle(*manager, std::get<0>(at), std::get<1>(at), std::get<2>(at));
                wrong += handle.density() != value || handle.material() != value + 121;
                ++checked;
            }
        EXPECT_GT(checked, 100);
        return wrong;
    };
    EXPECT_EQ(0, verify());
    manager.reset();
    manager = open(6);
    EXPECT_EQ(0, verify());
}

TEST(WorldFolderTest, BlockFilesAreSpreadOverTwentyFiveFolders)
{
    const WorldFolder folder("Resources\\terrain\\", "Map");
    EXPECT_EQ("resources/terrain/Map/map.file", folder.worldFilePath());
    EXPECT_EQ("resources/terrain/Map/data/5/-7.2.4", folder.blockFile(-7, 2, 4));
    EXPECT_EQ(0, WorldFolder::folderIndex(20, 5));
    EXPECT_EQ(24, WorldFolder::folderIndex(-30, 6));
    // The sum of two extreme coordinates does not overflow: 2^32 mod 25.
    EXPECT_EQ(21, WorldFolder::folderIndex(INT_MIN, INT_MIN));
}

class WorldFileTest : public ManagerFixture
{
protected:
    std::string worldFile(const std::string& world = "World") const
    {
        return WorldFolder(temp.path, world).worldFilePath();
    }
    void writeWorld(const std::string& contents)
    {
        WorldFolder(temp.path, "World").createFolders();
        TempFolder::write(worldFile(), contents);
    }
};

TEST_F(WorldFileTest, NewWorldStartsOnTheSurfaceWithItsFoldersAndWorldFile)
{
    testing::internal::CaptureStdout();
    auto manager = std::make_unique<TerrainDataManager>(position, "New", 13, 14, 1000, temp.path, false);
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("\n" + temp.path + "New/\n"));
    // Found by the ground search straight down the local up direction.
    EXPECT_TRUE(position[0] > 490.0 && position[0] < 510.0 && position[1] == 0.0 && position[2] == 0.0);
    EXPECT_NEAR(0.0, manager->sampleDensity(position[0], 0.0, 0.0), 3.0);
    for (int index = 0; index < 25; ++index)
        EXPECT_TRUE(std::filesystem::is_directory(temp.path + "New/data/" + std::to_string(index)));
    std::ostringstream x;
    x << position[0];
    EXPECT_EQ(
        "[settings]\nint\nseed1\n13\n\nint\nseed2\n14\n\ndouble\nday length\n120\n\ndouble\nsun angle\n0\n\n"
        "double\nuser x\n"
            + x.str() + "\n\ndouble\nuser y\n0\n\ndouble\nuser z\n0\n\n",
        TempFolder::read(worldFile("New")));
}

TEST_F(WorldFileTest, ExistingWorldResumesAndKeepsEntriesOfOtherNames)
{
    const std::string stored
        = "[settings]\nbool\nflying\ntrue\n\nint\nseed1\n21\n\nint\nseed2\n22\n\nint\nversion\n3\n\n"
          "double\nday length\n90.9\n\ndouble\nsun angle\n33\n\ndouble\nuser x\n498.123456\n\n"
          "double\nuser y\n1\n\ndouble\nuser z\n-2\n\ndouble\nzoom\n1.5\n\nstring\nnote\nhello world\n\n";
    writeWorld(stored);
    auto manager = open();
    EXPECT_TRUE(manager->seed1() == 21 && manager->seed2() == 22);
    EXPECT_TRUE(position[0] == 498.123456 && position[1] == 1.0 && position[2] == -2.0);
    EXPECT_EQ(33.0, manager->planet().sunAngle());
    EXPECT_EQ(90, manager->planet().dayLength());
    manager.reset();
    std::string expected = stored;
    expected.replace(expected.find("90.9"), 4, "90");
    expected.replace(expected.find("498.123456"), 10, "498.123");
    EXPECT_EQ(expected, TempFolder::read(worldFile()));

    // Day lengths are whole seconds, at least one.
    for (const auto& [day, seconds] : { std::pair<std::string, int> { "0.5", 1 }, { "-4", 1 } }) {
        writeWorld("[settings]\nint\nseed1\n13\n\nint\nseed2\n14\n\ndouble\nday length\n" + day + "\n\n");
        EXPECT_EQ(seconds, open()->planet().dayLength()) << day;
    }
}

TEST_F(WorldFileTest, MissingSeed2FallsBackToTheProgramSeedsAndKeepsThem)
{
    writeWorld("[settings]\nint\nseed1\n21\n\ndouble\nuser x\n7\n\n");
    auto manager = open();
    EXPECT_TRUE(manager->seed1() == 13 && manager->seed2() == 14);
    EXPECT_EQ(7.0, position[0]);
    manager.reset();
    EXPECT_NE(std::string::npos, TempFolder::read(worldFile()).find("int\nseed1\n13\n\nint\nseed2\n14\n"));
}
