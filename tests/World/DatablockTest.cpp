#include "GenerationFixture.h"

#include <climits>
#include <random>
#include <thread>
#include <vector>

namespace {

// Blocks with known contents for seeds 13 and 14: one crossed by the surface at
// mid latitude, one of deep rock and one far above all terrain.
constexpr int SURFACE[3] = { 17, 17, 0 };
constexpr int DEEP[3] = { 5, 5, 0 };
constexpr int SKY[3] = { 30, 30, 0 };

void setAll(datablock& block, int density)
{
    for (int x = 0; x < datablock::SIZE; ++x)
        for (int y = 0; y < datablock::SIZE; ++y)
            for (int z = 0; z < datablock::SIZE; ++z)
                block.localVoxel(x, y, z).setDensity(density);
}

} // namespace

class DatablockTest : public GenerationFixture
{
protected:
    datablock block(const int (&at)[3]) { return datablock(&analyzer, "block", at[0], at[1], at[2]); }

    // Reads every voxel of the block; true when each one reads back generated.
    static bool generateAll(datablock& b)
    {
        bool all = true;
        for (int x = b.minX(); x <= b.maxX(); ++x)
            for (int y = b.minY(); y <= b.maxY(); ++y)
                for (int z = b.minZ(); z <= b.maxZ(); ++z)
                    all = all && b.getVoxel(x, y, z)->isGenerated();
        return all;
    }

    // The materials of the voxel's zone that a voxel of any kind could get there.
    bool materialFitsZone(datablock& b, int x, int y, int z)
    {
        const Voxel& voxel = *b.getVoxel(x, y, z);
        if (voxel.density() == Voxel::FULLY_AIR)
            return voxel.material() == Voxel::AIR_MATERIAL;
        const ClimateZone& zone = analyzer.zoneFor(nullptr, b.climateAt(x, y, z), x, y, z);
        for (VoxelKind kind : { VoxelKind::TopSurface, VoxelKind::SteepSurface, VoxelKind::Buried })
            if (voxel.material() == zone.pickMaterial(kind, x, y, z))
                return true;
        return false;
    }
};

TEST(DatablockCoordinatesTest, BlockCoordinatesAreFloorQuotients)
{
    const int cases[][2] = { { -41, -3 }, { -40, -2 }, { -21, -2 }, { -20, -1 }, { -1, -1 }, { 0, 0 },
        { 19, 0 }, { 20, 1 }, { 39, 1 }, { 40, 2 }, { INT_MAX, INT_MAX / 20 }, { INT_MIN + 8, -107374182 } };
    for (const auto& c : cases)
        EXPECT_EQ(c[1], datablock::blockCoordinate(c[0])) << "x = " << c[0];
}

TEST_F(DatablockTest, BoundsLocalIndicesAndStableRecords)
{
    datablock b(&analyzer, "resources/terrain/w/data/1/-1.0.2", -1, 0, 2);
    EXPECT_EQ(-20, b.minX());
    EXPECT_EQ(-1, b.maxX());
    EXPECT_EQ(0, b.minY());
    EXPECT_EQ(19, b.maxY());
    EXPECT_EQ(40, b.minZ());
    EXPECT_EQ(59, b.maxZ());
    EXPECT_FALSE(b.modified);

    // x = -1 is local 19, x = -20 local 0; the voxel pointer is the record itself.
    EXPECT_EQ(&b.localVoxel(19, 0, 0), b.getVoxel(-1, 0, 40));
    EXPECT_EQ(&b.localVoxel(0, 19, 19), b.getVoxel(-20, 19, 59));
    EXPECT_EQ(b.getVoxel(-7, 3, 44), b.getVoxel(-7, 3, 44));

    EXPECT_EQ(nullptr, b.getVoxel(-21, 0, 40));
    EXPECT_EQ(nullptr, b.getVoxel(0, 0, 40));
    EXPECT_EQ(nullptr, b.getVoxel(-1, -1, 40));
    EXPECT_EQ(nullptr, b.getVoxel(-1, 20, 40));
    EXPECT_EQ(nullptr, b.getVoxel(-1, 0, 39));
    EXPECT_EQ(nullptr, b.getVoxel(-1, 0, 60));
}

TEST_F(DatablockTest, FreshBlocksAreUngeneratedWithCornerClimate)
{
    testing::internal::CaptureStdout();
    datablock b(&analyzer, "", 17, 17, 0);
    EXPECT_EQ("DB inited with 0 length filename!\n", testing::internal::GetCapturedStdout());

    for (int x = 0; x < datablock::SIZE; ++x)
        for (int y = 0; y < datablock::SIZE; ++y)
            for (int z = 0; z < datablock::SIZE; ++z) {
                ASSERT_EQ(Voxel::UNCOMPUTED_DENSITY, b.localVoxel(x, y, z).density());
                ASSERT_EQ(Voxel::UNGENERATED_MATERIAL, b.localVoxel(x, y, z).material());
            }

    const int xs[2] = { b.minX(), b.maxX() };
    const int ys[2] = { b.minY(), b.maxY() };
    const int zs[2] = { b.minZ(), b.maxZ() };
    double sum = 0.0;
    for (int corner = 0; corner < 8; ++corner) {
        const double expected = analyzer.climateValue(xs[corner >> 2], ys[(corner >> 1) & 1], zs[corner & 1]);
        EXPECT_DOUBLE_EQ(expected, b.cornerClimate()[corner]) << "corner " << corner;
        EXPECT_DOUBLE_EQ(expected, b.climateAt(xs[corner >> 2], ys[(corner >> 1) & 1], zs[corner & 1]));
        sum += expected;
    }
    EXPECT_DOUBLE_EQ(sum / 8.0, b.climateAt(b.minX() + 9.5, b.minY() + 9.5, b.minZ() + 9.5));
    // Along an edge the value is linear.
    const double quarter = 0.75 * b.cornerClimate()[0] + 0.25 * b.cornerClimate()[4];
    EXPECT_DOUBLE_EQ(quarter, b.climateAt(b.minX() + 4.75, b.minY(), b.minZ()));
}

TEST_F(DatablockTest, ReinitReusesTheRecordsForNewCoordinates)
{
    datablock b = block(SURFACE);
    Voxel* record = b.getVoxel(b.minX() + 3, b.minY() + 4, b.minZ() + 5);
    ASSERT_TRUE(record->isGenerated());

    b.reinit(-2, 30, 7, "elsewhere");
    EXPECT_EQ("elsewhere", b.filename());
    EXPECT_EQ(-40, b.minX());
    EXPECT_EQ(nullptr, b.getVoxel(17 * 20 + 3, 17 * 20 + 4, 5));
    EXPECT_FALSE(record->isGenerated());
    EXPECT_EQ(Voxel::UNCOMPUTED_DENSITY, record->density());
    EXPECT_DOUBLE_EQ(analyzer.climateValue(-40, 600, 140), b.cornerClimate()[0]);
    EXPECT_EQ(record, b.getVoxel(-37, 604, 145));
}

TEST_F(DatablockTest, EachVoxelIsGeneratedOnceAndCounted)
{
    for (const auto* at : { &SURFACE, &DEEP, &SKY }) {
        datablock b = block(*at);
        const double before = voxelsGenerated();
        const int x = b.minX() + 7;
        const int y = b.minY() + 8;
        const int z = b.minZ() + 9;
        Voxel* voxel = b.getVoxel(x, y, z);
        const int density = voxel->density();
        // A fresh voxel's density comes from the blended parameters at its interpolated climate.
        ClimateParams params;
        analyzer.zoneFor(&params, b.climateAt(x, y, z), x, y, z);
        EXPECT_EQ(static_cast<int>(analyzer.densityAt(x, y, z, params) * 127.0), density);
        const int material = voxel->material();
        EXPECT_EQ(before + 1.0, voxelsGenerated());
        b.getVoxel(x, y, z);
        EXPECT_EQ(before + 1.0, voxelsGenerated());
        EXPECT_EQ(density, voxel->density());
        EXPECT_EQ(material, voxel->material());

        // Every voxel that gets a material is counted, air included.
        EXPECT_TRUE(generateAll(b));
        EXPECT_EQ(before + 8000.0, voxelsGenerated());
    }
}

TEST_F(DatablockTest, TheThreeReferenceBlocksHoldWhatTheySay)
{
    datablock surface = block(SURFACE);
    datablock deep = block(DEEP);
    datablock sky = block(SKY);
    ASSERT_TRUE(generateAll(surface) && generateAll(deep) && generateAll(sky));
    int air = 0;
    int ground = 0;
    for (int x = 0; x < datablock::SIZE; ++x)
        for (int y = 0; y < datablock::SIZE; ++y)
            for (int z = 0; z < datablock::SIZE; ++z) {
                EXPECT_EQ(Voxel::FULLY_SOLID, deep.localVoxel(x, y, z).density());
                EXPECT_EQ(Voxel::FULLY_AIR, sky.localVoxel(x, y, z).density());
                EXPECT_EQ(Voxel::AIR_MATERIAL, sky.localVoxel(x, y, z).material());
                (surface.localVoxel(x, y, z).density() > 0 ? ground : air)++;
            }
    EXPECT_GT(air, 1000);
    EXPECT_GT(ground, 1000);
}

TEST_F(DatablockTest, PresetDensityIsKeptAndOnlyGetsAMaterialOfItsKind)
{
    // The voxel at a local index, read, and the material its zone gives that kind there.
    auto readAndExpect = [&](datablock& b, int lx, int ly, int lz, VoxelKind kind) {
        const int x = b.minX() + lx;
        const int y = b.minY() + ly;
        const int z = b.minZ() + lz;
        const Voxel* voxel = b.getVoxel(x, y, z);
        EXPECT_EQ(analyzer.zoneFor(nullptr, b.climateAt(x, y, z), x, y, z).pickMaterial(kind, x, y, z),
            voxel->material());
        return voxel->density();
    };

    datablock sky = block(SKY);
    // Alone in the air: a steep surface.
    sky.localVoxel(4, 5, 6).setDensity(42);
    EXPECT_EQ(42, readAndExpect(sky, 4, 5, 6, VoxelKind::SteepSurface));
    // With ground on the -x and -y sides, which up lies between: a top surface.
    sky.localVoxel(14, 5, 6).setDensity(42);
    sky.localVoxel(13, 5, 6).setDensity(42);
    sky.localVoxel(14, 4, 6).setDensity(42);
    EXPECT_EQ(42, readAndExpect(sky, 14, 5, 6, VoxelKind::TopSurface));

    datablock deep = block(DEEP);
    EXPECT_EQ(Voxel::FULLY_SOLID, readAndExpect(deep, 3, 3, 3, VoxelKind::Buried));
}

TEST_F(DatablockTest, AirSkipsClassificationAndNeighbourDensitiesAreKept)
{
    datablock sky = block(SKY);
    Voxel* air = sky.getVoxel(sky.minX() + 10, sky.minY() + 10, sky.minZ() + 10);
    EXPECT_EQ(Voxel::FULLY_AIR, air->density());
    EXPECT_EQ(Voxel::AIR_MATERIAL, air->material());
    // Classification would have computed the neighbours' densities.
    EXPECT_EQ(Voxel::UNCOMPUTED_DENSITY, sky.localVoxel(11, 10, 10).density());

    datablock deep = block(DEEP);
    Voxel* rock = deep.getVoxel(deep.minX() + 10, deep.minY() + 10, deep.minZ() + 10);
    EXPECT_EQ(Voxel::FULLY_SOLID, rock->density());
    Voxel& neighbour = deep.localVoxel(11, 10, 10);
    EXPECT_EQ(Voxel::FULLY_SOLID, neighbour.density());
    EXPECT_FALSE(neighbour.isGenerated());
    // A kept density is not computed again: a density set in between survives.
    neighbour.setDensity(99);
    EXPECT_EQ(99, deep.getVoxel(deep.minX() + 11, deep.minY() + 10, deep.minZ() + 10)->density());
}

TEST_F(DatablockTest, FaceNeighboursOutsideCountAsGroundAndAsTheVoxelItself)
{
    // On the +y axis up is (almost) +y.
    datablock b(&analyzer, "block", 0, 25, 0);
    setAll(b, 50);

    // A voxel in air on the -x face with ground all around inside the block is buried.
    b.localVoxel(0, 5, 5).setDensity(-50);
    EXPECT_EQ(VoxelKind::Buried, analyzer.AnalyzeVoxel(b, 0, 5, 5, 0.5));
    b.localVoxel(19, 5, 5).setDensity(-50);
    EXPECT_EQ(VoxelKind::Buried, analyzer.AnalyzeVoxel(b, 19, 5, 5, 0.5));

    // With air above, the slope across the face is flat (the outside takes
    // the voxel's own density), so the surface faces up.
    b.localVoxel(0, 5, 5).setDensity(50);
    b.localVoxel(0, 6, 5).setDensity(Voxel::FULLY_AIR);
    EXPECT_EQ(VoxelKind::TopSurface, analyzer.AnalyzeVoxel(b, 0, 5, 5, 0.5));
    // With air beside it instead, it is steep.
    b.localVoxel(0, 6, 5).setDensity(50);
    b.localVoxel(0, 5, 6).setDensity(Voxel::FULLY_AIR);
    EXPECT_EQ(VoxelKind::SteepSurface, analyzer.AnalyzeVoxel(b, 0, 5, 5, 0.5));
    // Facing down is steep too.
    b.localVoxel(0, 5, 6).setDensity(50);
    b.localVoxel(0, 4, 5).setDensity(Voxel::FULLY_AIR);
    EXPECT_EQ(VoxelKind::SteepSurface, analyzer.AnalyzeVoxel(b, 0, 5, 5, 0.5));
}

TEST_F(DatablockTest, EveryGeneratedVoxelHasADensityInRangeAndAMaterialOfItsZone)
{
    // Surface blocks at the equator, at mid latitude, near a pole and below the equator.
    const int blocks[][3] = { { 25, 0, 0 }, { 17, 17, 0 }, { 2, 24, 3 }, { -16, -3, 16 } };
    std::mt19937 random(1314);
    std::uniform_int_distribution<int> local(0, datablock::SIZE - 1);
    for (const auto& at : blocks) {
        datablock b = block(at);
        // Random reads first, so classification meets neighbours in every state.
        for (int i = 0; i < 1500; ++i) {
            const int x = b.minX() + local(random);
            const int y = b.minY() + local(random);
            const int z = b.minZ() + local(random);
            const int density = b.getVoxel(x, y, z)->density();
            ASSERT_GE(density, -127);
            ASSERT_LE(density, 127);
            ASSERT_TRUE(materialFitsZone(b, x, y, z)) << x << " " << y << " " << z;
        }
        ASSERT_TRUE(generateAll(b));
        int air = 0;
        for (int x = b.minX(); x <= b.maxX(); ++x)
            for (int y = b.minY(); y <= b.maxY(); ++y)
                for (int z = b.minZ(); z <= b.maxZ(); ++z) {
                    const int density = b.getVoxel(x, y, z)->density();
                    ASSERT_GE(density, -127);
                    ASSERT_LE(density, 127);
                    ASSERT_TRUE(materialFitsZone(b, x, y, z)) << x << " " << y << " " << z;
                    air += density < 0;
                }
        EXPECT_GT(air, 0) << "block " << at[0] << " " << at[1] << " " << at[2] << " is not at the surface";
        EXPECT_LT(air, 8000) << "block " << at[0] << " " << at[1] << " " << at[2] << " is not at the surface";
    }
}

TEST_F(DatablockTest, ThreadsReadingOneBlockGenerateEachVoxelOnce)
{
    datablock b = block(SURFACE);
    const double before = voxelsGenerated();
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&b, t] {
            // Each thread walks the block in its own order (steps coprime to 8000).
            const int steps[3] = { 1, 7, 7999 };
            for (int i = 0; i < 8000; ++i) {
                const int index = (i * steps[t] + t * 1000) % 8000;
                b.getVoxel(b.minX() + index / 400, b.minY() + index / 20 % 20, b.minZ() + index % 20);
            }
        });
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(before + 8000.0, voxelsGenerated());
    EXPECT_TRUE(generateAll(b));
    EXPECT_EQ(before + 8000.0, voxelsGenerated());
}
