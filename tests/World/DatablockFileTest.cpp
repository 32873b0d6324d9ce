#include "World/DatablockFile.h"

#include "GenerationFixture.h"
#include "TempFolder.h"
#include "World/WaterDatablock.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Every local index in file order: x outermost, z innermost.
template <typename Visit> void forEachLocal(Visit visit)
{
    for (int x = 0; x < datablock::SIZE; ++x)
        for (int y = 0; y < datablock::SIZE; ++y)
            for (int z = 0; z < datablock::SIZE; ++z)
                visit(x, y, z);
}

void fillRandom(datablock& block, unsigned seed)
{
    std::mt19937 random(seed);
    forEachLocal([&](int x, int y, int z) {
        Voxel& voxel = block.localVoxel(x, y, z);
        voxel.setDensity(static_cast<int>(random() % 256) - 128);
        voxel.setMaterial(static_cast<int>(random() % 256));
    });
}

std::string bytes(std::initializer_list<int> values)
{
    std::string result;
    for (int value : values)
        result.push_back(static_cast<char>(value));
    return result;
}

} // namespace

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

    // A block built on a file that holds `contents`, with what it printed while loading.
    std::unique_ptr<datablock> loadFrom(const std::string& contents, std::string& printed)
    {
        TempFolder::write(file, contents);
        testing::internal::CaptureStdout();
        auto block = terrain();
        printed = testing::internal::GetCapturedStdout();
        return block;
    }

    static bool allVoxels(const datablock& block, int density, int material)
    {
        bool all = true;
        forEachLocal([&](int x, int y, int z) {
            all = all && block.localVoxel(x, y, z).density() == density
                && block.localVoxel(x, y, z).material() == material;
        });
        return all;
    }
    static bool allWater(const WaterDatablock& block, int value)
    {
        bool all = true;
        forEachLocal([&](int x, int y, int z) { all = all && block.localValue(x, y, z) == value; });
        return all;
    }
};

TEST_F(DatablockFileTest, TerrainBlockRoundTripsByteForByteInFileOrder)
{
    auto saved = terrain();
    fillRandom(*saved, 7);
    saved->saveToFile();

    const std::string contents = TempFolder::read(file);
    ASSERT_EQ(16000u, contents.size());
    // Record i is the voxel (i / 400, i / 20 mod 20, i mod 20): density, then material.
    const Voxel& probe = saved->localVoxel(2, 3, 4);
    const int record = 2 * 400 + 3 * 20 + 4;
    EXPECT_EQ(probe.density(), static_cast<signed char>(contents[2 * record]));
    EXPECT_EQ(probe.material(), static_cast<unsigned char>(contents[2 * record + 1]));
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

    const double loadedBefore = StatsManager::getInstance().getStat("Loaded datablocks");
    auto loaded = terrain();
    bool same = true;
    forEachLocal([&](int x, int y, int z) {
        same = same && loaded->localVoxel(x, y, z).density() == saved->localVoxel(x, y, z).density()
            && loaded->localVoxel(x, y, z).material() == saved->localVoxel(x, y, z).material();
    });
    EXPECT_TRUE(same);
    EXPECT_EQ(loadedBefore + 1.0, StatsManager::getInstance().getStat("Loaded datablocks"));
    EXPECT_GT(StatsManager::getInstance().getStat("Loading Average Time (db/s)"), 0.0);
    // Voxels saved before they were generated are generated after loading, with this block's own climate.
    EXPECT_DOUBLE_EQ(analyzer.climateValue(600, 600, 0), loaded->cornerClimate()[0]);
}

TEST_F(DatablockFileTest, AirBlocksAreTwoBytesAndAnyTwoByteFileIsAir)
{
    auto block = terrain();
    fillRandom(*block, 8);
    forEachLocal([&](int x, int y, int z) { block->localVoxel(x, y, z).setDensity(Voxel::FULLY_AIR); });
    block->saveToFile();
    EXPECT_EQ(bytes({ 0x81, 0x81 }), TempFolder::read(file));

    std::string printed;
    for (const std::string& contents : { bytes({ 0x81, 0x81 }), bytes({ 0x00, 0x05 }), bytes({ 1, 2, 3 }) }) {
        EXPECT_TRUE(allVoxels(*loadFrom(contents, printed), Voxel::FULLY_AIR, Voxel::AIR_MATERIAL));
        EXPECT_EQ("", printed);
    }
}

TEST_F(DatablockFileTest, MalformedTerrainFilesAreReportedAndGenerated)
{
    const std::string full(16000, '\x05');
    const struct
    {
        std::string contents;
        int datacounter;
    } broken[] = { { "", 0 }, { "x", 0 }, { full.substr(0, 15999), 7999 }, { full.substr(0, 200), 100 } };
    std::string printed;
    for (const auto& c : broken) {
        // Each case under a file of its own: a damaged file is reported once per run.
        TempFolder folder;
        TempFolder::write(folder.path + "3.4.5", c.contents);
        testing::internal::CaptureStdout();
        auto block = std::make_unique<datablock>(&analyzer, folder.path + "3.4.5", 30, 30, 0);
        block.reset();
        auto again = std::make_unique<datablock>(&analyzer, folder.path + "3.4.5", 30, 30, 0);
        EXPECT_EQ("ERROR: read in data was NOT a special case, but did not match expected size of 8000\n"
                  "Actual datacounter: "
                + std::to_string(c.datacounter) + "\nReverting to generating datablock!\n"
                + "The damaged file is kept as " + folder.path + "3.4.5.bad\n",
            testing::internal::GetCapturedStdout());
        // Nothing of the partial file survives in the block, all of it beside it.
        EXPECT_FALSE(again->localVoxel(0, 0, 0).isGenerated());
        EXPECT_EQ(Voxel::FULLY_AIR, again->getVoxel(600, 600, 0)->density());
        EXPECT_EQ(c.contents, TempFolder::read(folder.path + "3.4.5.bad"));
    }

    // Bytes past the 8000th record are ignored, whether they make a whole record or not.
    for (const std::string& longer : { full + "\x01", full + "\x01\x02" }) {
        auto block = loadFrom(longer, printed);
        EXPECT_EQ("", printed);
        EXPECT_TRUE(allVoxels(*block, 5, 5));
    }
}

TEST_F(DatablockFileTest, WaterFilesAndTheirUniformForms)
{
    auto block = terrain();
    auto saved = water(*block);
    // Never computed: one 0x80 byte per voxel.
    saved->saveToFile();
    EXPECT_EQ(std::string(8000, '\x80'), TempFolder::read(file + ".w"));

    forEachLocal([&](int x, int y, int z) { saved->setLocalValue(x, y, z, WaterDatablock::DRY); });
    saved->saveToFile();
    EXPECT_EQ(bytes({ 0x81, 0x81 }), TempFolder::read(file + ".w"));
    forEachLocal([&](int x, int y, int z) { saved->setLocalValue(x, y, z, WaterDatablock::FULL); });
    saved->saveToFile();
    EXPECT_EQ(bytes({ 0x7F, 0x7F }), TempFolder::read(file + ".w"));
    saved->setLocalValue(19, 19, 18, -3);
    saved->saveToFile();
    const std::string mixed = TempFolder::read(file + ".w");
    ASSERT_EQ(8000u, mixed.size());
    EXPECT_EQ(-3, static_cast<signed char>(mixed[7998]));
    EXPECT_TRUE(water(*block)->localValue(19, 19, 18) == -3);

    const struct
    {
        std::string contents;
        int value;
        std::string message;
    } cases[] = {
        { bytes({ 0x7F, 0x7F }), 127, "" },
        // Only the last of the two bytes counts.
        { bytes({ 0x10, 0x81 }), -127, "" },
        { bytes({ 0x81, 0x10 }), -128,
            "Water Datablock datacounter was 2, but had unexpected value of 16\n"
            "Reverting to generating water datablock!\n" },
        { std::string(7999, '\x01'), -128,
            "Water Datablock datacounter was not 8000!\nActual datacounter: 7999\n"
            "Reverting to generating water datablock!\n" },
        { std::string(1, '\x7F'), -128,
            "Water Datablock datacounter was not 8000!\nActual datacounter: 1\n"
            "Reverting to generating water datablock!\n" },
        { std::string(8001, '\x01'), 1, "" },
    };
    int index = 0;
    for (const auto& c : cases) {
        // A file of its own per case: a damaged file is reported once per run.
        const std::string path = temp.path + std::to_string(++index) + ".w";
        TempFolder::write(path, c.contents);
        testing::internal::CaptureStdout();
        auto loaded = std::make_unique<WaterDatablock>(block.get(), 30, 30, 0, path);
        auto again = std::make_unique<WaterDatablock>(block.get(), 30, 30, 0, path);
        const std::string kept = c.message.empty() ? "" : "The damaged file is kept as " + path + ".bad\n";
        EXPECT_EQ(c.message + kept, testing::internal::GetCapturedStdout());
        EXPECT_TRUE(allWater(*again, c.value)) << c.value;
        EXPECT_EQ(!c.message.empty(), std::filesystem::exists(path + ".bad"));
    }
}

TEST_F(DatablockFileTest, UnwritableFileIsFatalAndKeepsTheBlockModified)
{
    const std::string nowhere = temp.path + "missing/1.2.3";
    datablock block(&analyzer, nowhere, 30, 30, 0);
    WaterDatablock waterBlock(&block, 30, 30, 0, nowhere + ".w");
    block.modified = true;
    waterBlock.modified = true;
    const std::pair<std::string, std::function<void()>> saves[]
        = { { nowhere, [&] { block.saveIfModified(); } },
              { nowhere + ".w", [&] { waterBlock.saveIfModified(); } } };
    for (const auto& [name, save] : saves) {
        testing::internal::CaptureStdout();
        const char* thrown = nullptr;
        try {
            save();
        } catch (const char* message) {
            thrown = message;
        }
        EXPECT_STREQ("FATAL EXCEPTION", thrown);
        // Water blocks report under the same name.
        EXPECT_EQ(
            "FATAL EXCEPTION: datablock::saveToFile(): \nCould not open file for writing: " + name + "\n",
            testing::internal::GetCapturedStdout());
    }
    EXPECT_TRUE(block.modified);
    EXPECT_TRUE(waterBlock.modified);
}

// A save killed at any moment leaves either the old file or the new one, whole.
TEST_F(DatablockFileTest, KilledSaveNeverLeavesATornFile)
{
    auto first = terrain();
    auto second = terrain();
    fillRandom(*first, 1);
    fillRandom(*second, 2);
    first->saveToFile();
    const std::string firstBytes = TempFolder::read(file);
    second->saveToFile();
    const std::string secondBytes = TempFolder::read(file);

    std::mt19937 random(3);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            for (;;) {
                first->saveToFile();
                second->saveToFile();
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500 + random() % 20000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string contents = TempFolder::read(file);
        ASSERT_TRUE(contents == firstBytes || contents == secondBytes) << "torn file of " << contents.size();
    }
}
