#include "ManagerFixture.h"
#include "World/Planet.h"

#include <charconv>
#include <climits>
#include <sstream>

namespace {

std::string text(double value)
{
    char digits[32];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

} // namespace

TEST(WorldFolderTest, BlockFilesAreSpreadOverTwentyFiveFolders)
{
    const WorldFolder folder("Resources\\terrain\\", "Map");
    EXPECT_EQ("resources/terrain/Map/", folder.path());
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
    void writeWorld(const std::string& contents, const std::string& world = "World")
    {
        WorldFolder(temp.path, world).createFolders();
        TempFolder::write(worldFile(world), contents);
    }
};

TEST_F(WorldFileTest, NewWorldStartsOnTheSurfaceWithItsFoldersAndWorldFile)
{
    testing::internal::CaptureStdout();
    auto manager = std::make_unique<TerrainDataManager>(position, "New", 13, 14, 1000, temp.path, false);
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("\n" + temp.path + "New/\n"));

    // Found by the ground search straight down the local up direction.
    EXPECT_GT(position[0], 490.0);
    EXPECT_LT(position[0], 510.0);
    EXPECT_EQ(0.0, position[1]);
    EXPECT_EQ(0.0, position[2]);
    EXPECT_NEAR(0.0, manager->sampleDensity(position[0], 0.0, 0.0), 3.0);
    for (int index = 0; index < 25; ++index)
        EXPECT_TRUE(std::filesystem::is_directory(temp.path + "New/data/" + std::to_string(index)));

    EXPECT_EQ(
        "[settings]\nint\nseed1\n13\n\nint\nseed2\n14\n\ndouble\nday length\n120\n\ndouble\nsun angle\n0\n\n"
        "double\nuser x\n"
            + text(position[0]) + "\n\ndouble\nuser y\n0\n\ndouble\nuser z\n0\n\n",
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
    EXPECT_EQ(21, manager->seed1());
    EXPECT_EQ(22, manager->seed2());
    EXPECT_EQ(498.123456, position[0]);
    EXPECT_EQ(1.0, position[1]);
    EXPECT_EQ(-2.0, position[2]);
    EXPECT_EQ(33.0, manager->planet().sunAngle());
    EXPECT_EQ(90, manager->planet().dayLength());

    manager.reset();
    std::string expected = stored;
    expected.replace(expected.find("90.9"), 4, "90");
    EXPECT_EQ(expected, TempFolder::read(worldFile()));
}

TEST_F(WorldFileTest, DayLengthIsWholeSecondsAndAtLeastOne)
{
    for (const auto& [stored, seconds] :
        { std::pair<std::string, int> { "0.5", 1 }, { "90.9", 90 }, { "-4", 1 } }) {
        writeWorld("[settings]\nint\nseed1\n13\n\nint\nseed2\n14\n\ndouble\nday length\n" + stored + "\n\n");
        EXPECT_EQ(seconds, open()->planet().dayLength()) << stored;
    }
}

TEST_F(WorldFileTest, MissingSeed2FallsBackToTheProgramSeeds)
{
    writeWorld("[settings]\nint\nseed1\n21\n\ndouble\nuser x\n700\n\ndouble\nuser y\n0\n\n"
               "double\nuser z\n0\n\n");
    testing::internal::CaptureStdout();
    auto manager = std::make_unique<TerrainDataManager>(position, "World", 13, 14, 1000, temp.path, false);
    EXPECT_EQ(
        "World file " + worldFile() + " has no usable seed2 (0); generating with seeds 13 and 14 instead\n",
        testing::internal::GetCapturedStdout());
    EXPECT_EQ(13, manager->seed1());
    EXPECT_EQ(14, manager->seed2());
    EXPECT_EQ(700.0, position[0]);

    // The file keeps the seeds the world is generated with from now on.
    manager.reset();
    const std::string rewritten = TempFolder::read(worldFile());
    EXPECT_NE(std::string::npos, rewritten.find("int\nseed1\n13\n\nint\nseed2\n14\n"));
}

TEST_F(WorldFileTest, UnusablePositionsFallBackToTheSurfaceSearch)
{
    const std::string seeds = "[settings]\nint\nseed1\n13\n\nint\nseed2\n14\n\n";
    auto user = [](const char* x, const char* y, const char* z) {
        return std::string("double\nuser x\n") + x + "\n\ndouble\nuser y\n" + y + "\n\ndouble\nuser z\n" + z
            + "\n\n";
    };
    // Missing keys, a number that does not read, the planet's core, a buried spot.
    for (const std::string& stored : { seeds, seeds + "double\nuser x\n520\n\n", seeds + user("nan", "0", "0"),
             seeds + user("0", "0", "0"), seeds + user("400", "0", "0") }) {
        writeWorld(stored);
        position[0] = 510.0;
        testing::internal::CaptureStdout();
        auto manager = std::make_unique<TerrainDataManager>(position, "World", 13, 14, 1000, temp.path, false);
        EXPECT_EQ("World file " + worldFile() + " holds no usable position; placing you on the surface\n",
            testing::internal::GetCapturedStdout())
            << stored;
        EXPECT_GT(position[0], 490.0) << stored;
        EXPECT_NEAR(0.0, manager->sampleDensity(position[0], position[1], position[2]), 3.0) << stored;
    }
    // Standing a little inside the ground, as walking leaves a player, is kept.
    writeWorld(seeds + user("499.6", "0", "0"));
    position[0] = 510.0;
    open();
    EXPECT_EQ(499.6, position[0]);
}
