#include "World/DatablockFile.h"

#include "GenerationFixture.h"
#include "TempFolder.h"
#include "World/WaterDatablock.h"

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
std::string bytes(std::initializer_list<int> values)
{
    return std::string(values.begin(), values.end());
}
}

// Terrain files hold density and material per voxel, water files one value per voxel;
// a uniform block is stored as two bytes.
class DatablockFileTest : public GenerationFixture
{
protected:
    TempFolder temp;
    const std::string file = temp.path + "3.4.5";
    std::unique_ptr<datablock> terrain() { return std::make_unique<datablock>(&analyzer, file, 30, 30, 0); }
    std::unique_ptr<WaterDatablock> water(datablock& block)
    {
        return std::make_unique<WaterDatablock>(&block, 30, 30, 0, file + ".w");
    }
    void fillRandom(datablock& block, unsigned seed)
    {
        std::mt19937 random(seed);
        forEachLocal([&](int x, int y, int z) {
            block.localVoxel(x, y, z).setDensity(static_cast<int>(random() % 256) - 128);
            block.localVoxel(x, y, z).setMaterial(static_cast<int>(random() % 256));
        });
    }
    // Loads a block from a file of the given contents, silently or not.
    template <typename Block, typename Make>
    std::unique_ptr<Block> load(const std::string& name, const std::string& contents, bool silent, Make make)
    {
        TempFolder::write(name, contents);
        testing::internal::CaptureStdout();
        std::unique_ptr<Block> block = make();
        EXPECT_EQ(silent, testing::internal::GetCapturedStdout().empty()) << contents.size() << " bytes";
        return block;
    }
    std::unique_ptr<datablock> loadTerrain(const std::string& contents, bool silent = true)
    {
        return load<datablock>(file, contents, silent, [&] { return terrain(); });
    }
    static bool uniform(const datablock& b, int density, int material)
    {
        return everywhere([&](int x, int y, int z) {
            return b.localVoxel(x, y, z).density() == density && b.localVoxel(x, y, z).material() == material;
        });
    }
};

TEST_F(DatablockFileTest, TerrainBlocksRoundTripByteForByteInFileOrder)
{
    auto saved = terrain();
    fillRandom(*saved, 7);
    saved->saveToFile();
    const std::string contents = TempFolder::read(file);
    ASSERT_EQ(16000u, contents.size());
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
    // Record i is the voxel (i / 400, i / 20 mod 20, i mod 20): density, then material.
    const int record = 2 * 400 + 3 * 20 + 4;
    EXPECT_TRUE(saved->localVoxel(2, 3, 4).density() == static_cast<signed char>(contents[2 * record])
        && saved->localVoxel(2, 3, 4).material() == static_cast<unsigned char>(contents[2 * record + 1]));
    auto loaded = terrain();
    EXPECT_TRUE(everywhere([&](int x, int y, int z) {
        return loaded->localVoxel(x, y, z).density() == saved->localVoxel(x, y, z).density()
            && loaded->localVoxel(x, y, z).material() == saved->localVoxel(x, y, z).material();
    }));
    // Voxels saved before they were generated are generated after loading, with this block's own climate.
    EXPECT_DOUBLE_EQ(analyzer.climateValue(600, 600, 0), loaded->cornerClimate()[0]);
    // All air: two bytes, and any two-byte file reads as air.
    forEachLocal([&](int x, int y, int z) { saved->localVoxel(x, y, z).setDensity(Voxel::FULLY_AIR); });
    saved->saveToFile();
    EXPECT_EQ(bytes({ 0x81, 0x81 }), TempFolder::read(file));
    for (const std::string& contents : { bytes({ 0x81, 0x81 }), bytes({ 0x00, 0x05 }), bytes({ 1, 2, 3 }) })
        EXPECT_TRUE(uniform(*loadTerrain(contents), Voxel::FULLY_AIR, Voxel::AIR_MATERIAL));
    // Bytes past the 8000th record are ignored, whether they make a whole record or not.
    const std::string full(16000, '\x05');
    for (const std::string& longer : { full + "\x01", full + "\x01\x02" })
        EXPECT_TRUE(uniform(*loadTerrain(longer), 5, 5));
    // Short files are reported once per run and kept beside the block as ".bad"; nothing of
    // them survives in the block: it generates.
    int n = 0;
    for (const std::string& broken :
        { std::string(), std::string("x"), full.substr(0, 15999), full.substr(0, 200) }) {
        const std::string name = temp.path + std::to_string(++n) + ".4.5";
        const auto make = [&] { return std::make_unique<datablock>(&analyzer, name, 30, 30, 0); };
        load<datablock>(name, broken, false, make);
        auto block = load<datablock>(name, broken, true, make);
        EXPECT_EQ(broken, TempFolder::read(name + ".bad"));
        EXPECT_FALSE(block->localVoxel(0, 0, 0).isGenerated());
        EXPECT_EQ(Voxel::FULLY_AIR, block->getVoxel(600, 600, 0)->density());
    }
}

TEST_F(DatablockFileTest, WaterFilesAndTheirUniformForms)
{
    auto block = terrain();
    auto saved = water(*block);
    // Never computed: one 0x80 byte per voxel.
    saved->saveToFile();
    EXPECT_EQ(std::string(8000, '\x80'), TempFolder::read(file + ".w"));
    for (const auto& uniform : { std::pair<int, std::string> { WaterDatablock::DRY, bytes({ 0x81, 0x81 }) },
             { WaterDatablock::FULL, bytes({ 0x7F, 0x7F }) } }) {
        forEachLocal([&](int x, int y, int z) { saved->setLocalValue(x, y, z, uniform.first); });
        saved->saveToFile();
        EXPECT_EQ(uniform.second, TempFolder::read(file + ".w"));
    }
    saved->setLocalValue(19, 19, 18, -3);
    saved->saveToFile();
    const std::string mixed = TempFolder::read(file + ".w");
    ASSERT_EQ(8000u, mixed.size());
    EXPECT_EQ(-3, static_cast<signed char>(mixed[7998]));
    EXPECT_EQ(-3, water(*block)->localValue(19, 19, 18));
    const struct
    {
        std::string contents;
        int value;
    } cases[] = {
        { bytes({ 0x7F, 0x7F }), 127 },
        { bytes({ 0x10, 0x81 }), -127 }, // only the last of the two bytes counts
        { std::string(8001, '\x01'), 1 },
        // Reported, and computed again.
        { bytes({ 0x81, 0x10 }), -128 },
        { std::string(7999, '\x01'), -128 },
        { std::string(1, '\x7F'), -128 },
    };
    int n = 0;
    for (const auto& c : cases) {
        // A file of its own per case: a damaged one is reported only the first time.
        const std::string name = temp.path + std::to_string(++n) + ".w";
        const auto make = [&] { return std::make_unique<WaterDatablock>(block.get(), 30, 30, 0, name); };
        load<WaterDatablock>(name, c.contents, c.value != -128, make);
        auto loaded = load<WaterDatablock>(name, c.contents, true, make);
        EXPECT_EQ(c.value == -128, std::filesystem::exists(name + ".bad"));
        EXPECT_TRUE(everywhere([&](int x, int y, int z) { return loaded->localValue(x, y, z) == c.value; }))
            << c.value;
    }
}

// A save killed at any moment leaves either the old file or the new one, whole; one that cannot
// write is fatal and leaves the block modified.
TEST_F(DatablockFileTest, KilledSaveNeverLeavesATornFileAndFailedSavesKeepTheBlockModified)
{
    const std::string nowhere = temp.path + "missing/1.2.3";
    datablock block(&analyzer, nowhere, 30, 30, 0);
    WaterDatablock waterBlock(&block, 30, 30, 0, nowhere + ".w");
    block.modified = waterBlock.modified = true;
    testing::internal::CaptureStdout();
    EXPECT_THROW(block.saveIfModified(), const char*);
    EXPECT_THROW(waterBlock.saveIfModified(), const char*);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(block.modified && waterBlock.modified);
    std::unique_ptr<datablock> blocks[2] = { terrain(), terrain() };
    std::string saved[2];
    for (int i = 0; i < 2; ++i) {
        fillRandom(*blocks[i], i + 1);
        blocks[i]->saveToFile();
        saved[i] = TempFolder::read(file);
    }
    std::mt19937 random(3);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            for (int i = 0;; i ^= 1)
                blocks[i]->saveToFile();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500 + random() % 20000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string contents = TempFolder::read(file);
        ASSERT_TRUE(contents == saved[0] || contents == saved[1]) << "torn file of " << contents.size();
    }
}

TEST_F(DatablockFileTest, WaterIsNaturalOrNoneInRockComputedOnFirstReadClampedAndSavedBeforeReuse)
{
    // Block 24, 0, 0 reaches from 20 units below the radius to its surface, near the equator.
    datablock terrain(&analyzer, "", 24, 0, 0);
    const std::string first = temp.path + "24.0.0.w";
    WaterDatablock water(&terrain, 24, 0, 0, first);
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
    // Outside the block: nothing, silently, and nothing written.
    EXPECT_EQ(WaterDatablock::NOT_COMPUTED, water.getWater(500, 0, 0));
    testing::internal::CaptureStdout();
    water.setWater(5, 479, 1, 2);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(water.modified);
    water.setWater(-200, 485, 1, 2);
    water.setWater(500, 486, 1, 2);
    EXPECT_TRUE(water.getWater(485, 1, 2) == -127 && water.getWater(486, 1, 2) == 127 && water.modified);
    // Reused elsewhere: saved first, then computed afresh for the new coordinates.
    terrain.reinit(-25, 0, 0, "");
    water.reinit(&terrain, -25, 0, 0, temp.path + "-25.0.0.w");
    EXPECT_TRUE(!water.modified && TempFolder::read(first).size() == 8000u);
    EXPECT_EQ(WaterDatablock::NOT_COMPUTED, water.localValue(5, 1, 2));
    EXPECT_EQ(WaterDatablock::naturalValue(planet, -495, 1, 2), water.getWater(-495, 1, 2));
    // Back at the old coordinates, the saved value is read from the file.
    terrain.reinit(24, 0, 0, "");
    water.reinit(&terrain, 24, 0, 0, first);
    EXPECT_EQ(127, water.getWater(486, 1, 2));
    // Natural water follows the height below the sea.
    const double cases[][2] = { { -10.0, 127 }, { -6.0, 127 }, { -5.5, 63 }, { -5.0, 0 }, { -4.5, -63 },
        { -4.0, -127 }, { -3.9, -127 }, { 3.0, -127 } };
    for (const auto& c : cases) {
        EXPECT_EQ(c[1], WaterDatablock::naturalValue(planet, 0.0, 0.0, 500.0 + c[0])) << c[0];
        EXPECT_EQ(c[1], WaterDatablock::naturalValue(planet, 0.0, -500.0 - c[0], 0.0)) << c[0];
    }
    testing::internal::CaptureStdout();
    EXPECT_THROW(WaterDatablock(nullptr, 0, 0, 0, "x.w"), const char*);
    testing::internal::GetCapturedStdout();
}
