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

// Calls visit(x, y, z) with every world position of the block.
template <typename Visit> void forEachVoxel(const datablock& b, Visit visit)
{
    for (int x = b.minX(); x <= b.maxX(); ++x)
        for (int y = b.minY(); y <= b.maxY(); ++y)
            for (int z = b.minZ(); z <= b.maxZ(); ++z)
                visit(x, y, z);
}

} // namespace

class DatablockTest : public GenerationFixture
{
protected:
    datablock block(const int (&at)[3]) { return datablock(&analyzer, "block", at[0], at[1], at[2]); }

    // The voxel at a world position, read, with its material checked against the
    // zone's pick for the given kind, or for any kind when none is given.
    const Voxel& readAndCheck(datablock& b, int x, int y, int z, int kind = -1)
    {
        const Voxel& voxel = *b.getVoxel(x, y, z);
        EXPECT_GE(voxel.density(), -127);
        if (voxel.density() == Voxel::FULLY_AIR) {
            EXPECT_EQ(Voxel::AIR_MATERIAL, voxel.material());
            return voxel;
        }
        const ClimateZone& zone = analyzer.zoneFor(nullptr, b.climateAt(x, y, z), x, y, z);
        bool fits = false;
        for (int k = 0; k < 3; ++k)
            fits = fits
                || ((kind < 0 || k == kind) && voxel.material() == zone.pickMaterial(VoxelKind(k), x, y, z));
        EXPECT_TRUE(fits) << "material " << voxel.material() << " at " << x << " " << y << " " << z;
        return voxel;
    }
};

TEST(DatablockCoordinatesTest, BlockCoordinatesAreFloorQuotients)
{
    const int cases[][2] = { { -41, -3 }, { -40, -2 }, { -21, -2 }, { -20, -1 }, { -1, -1 }, { 0, 0 },
        { 19, 0 }, { 20, 1 }, { INT_MAX, INT_MAX / 20 }, { INT_MIN + 8, -107374182 } };
    for (const auto& c : cases)
        EXPECT_EQ(c[1], datablock::blockCoordinate(c[0])) << "x = " << c[0];
}

TEST_F(DatablockTest, BoundsLocalIndicesAndCornerClimate)
{
    testing::internal::CaptureStdout();
    datablock b(&analyzer, "", -1, 0, 2);
    EXPECT_EQ("DB inited with 0 length filename!\n", testing::internal::GetCapturedStdout());
    EXPECT_FALSE(b.modified);
    EXPECT_FALSE(b.localVoxel(7, 0, 19).isGenerated());
    EXPECT_EQ(Voxel::UNCOMPUTED_DENSITY, b.localVoxel(7, 0, 19).density());

    // x = -1 is local 19 and x = -20 local 0; the pointer is the record itself.
    EXPECT_EQ(&b.localVoxel(19, 0, 0), b.getVoxel(-1, 0, 40));
    EXPECT_EQ(&b.localVoxel(0, 19, 19), b.getVoxel(-20, 19, 59));
    for (const auto& outside : { std::array<int, 3> { -21, 0, 40 }, { 0, 0, 40 }, { -1, -1, 40 },
             { -1, 20, 40 }, { -1, 0, 39 }, { -1, 0, 60 } })
        EXPECT_EQ(nullptr, b.getVoxel(outside[0], outside[1], outside[2]));

    // Corners in the order (min, min, min), (min, min, max), (min, max, min), ... (max, max, max).
    const int xs[2] = { -20, -1 };
    const int ys[2] = { 0, 19 };
    const int zs[2] = { 40, 59 };
    for (int corner = 0; corner < 8; ++corner) {
        const int x = xs[corner >> 2], y = ys[(corner >> 1) & 1], z = zs[corner & 1];
        EXPECT_DOUBLE_EQ(analyzer.climateValue(x, y, z), b.cornerClimate()[corner]);
        EXPECT_DOUBLE_EQ(b.cornerClimate()[corner], b.climateAt(x, y, z));
    }
    const std::array<double, 8>& k = b.cornerClimate();
    EXPECT_DOUBLE_EQ(
        (k[0] + k[1] + k[2] + k[3] + k[4] + k[5] + k[6] + k[7]) / 8.0, b.climateAt(-10.5, 9.5, 49.5));
    EXPECT_DOUBLE_EQ(0.75 * k[0] + 0.25 * k[4], b.climateAt(-20 + 4.75, 0, 40));
}

TEST_F(DatablockTest, ReinitReusesTheRecordsForNewCoordinates)
{
    datablock b = block(SURFACE);
    Voxel* record = b.getVoxel(343, 344, 5);
    ASSERT_TRUE(record->isGenerated());

    b.reinit(-2, 30, 7, "elsewhere");
    EXPECT_EQ("elsewhere", b.filename());
    EXPECT_EQ(nullptr, b.getVoxel(343, 344, 5));
    EXPECT_FALSE(record->isGenerated());
    EXPECT_DOUBLE_EQ(analyzer.climateValue(-40, 600, 140), b.cornerClimate()[0]);
    EXPECT_EQ(record, b.getVoxel(-37, 604, 145));
}

TEST_F(DatablockTest, EachVoxelIsGeneratedOnceCountedAndAsTheBlockSays)
{
    for (const auto* at : { &SURFACE, &DEEP, &SKY }) {
        datablock b = block(*at);
        const double before = voxelsGenerated();
        const int x = b.minX() + 7, y = b.minY() + 8, z = b.minZ() + 9;
        const Voxel* voxel = b.getVoxel(x, y, z);
        const int density = voxel->density();
        const int material = voxel->material();
        // A fresh voxel's density comes from the blended parameters at its interpolated climate.
        ClimateParams params;
        analyzer.zoneFor(&params, b.climateAt(x, y, z), x, y, z);
        EXPECT_EQ(static_cast<int>(analyzer.densityAt(x, y, z, params) * 127.0), density);
        b.getVoxel(x, y, z);
        EXPECT_EQ(before + 1.0, voxelsGenerated());
        EXPECT_EQ(density, voxel->density());
        EXPECT_EQ(material, voxel->material());

        // Every voxel that gets a material is counted, air included.
        int ground = 0;
        forEachVoxel(b, [&](int x, int y, int z) { ground += b.getVoxel(x, y, z)->density() > 0; });
        EXPECT_EQ(before + 8000.0, voxelsGenerated());
        if (at == &SURFACE) {
            EXPECT_GT(ground, 1000);
            EXPECT_LT(ground, 7000);
        } else {
            EXPECT_EQ(at == &DEEP ? 8000 : 0, ground);
        }
    }
}

TEST_F(DatablockTest, PresetDensityIsKeptAndOnlyGetsAMaterialOfItsKind)
{
    datablock sky = block(SKY);
    const int x = sky.minX(), y = sky.minY(), z = sky.minZ();
    // Alone in the air: a steep surface.
    sky.localVoxel(4, 5, 6).setDensity(42);
    EXPECT_EQ(42, readAndCheck(sky, x + 4, y + 5, z + 6, 1).density());
    // With ground on the -x and -y sides, between which up lies: a top surface.
    sky.localVoxel(14, 5, 6).setDensity(42);
    sky.localVoxel(13, 5, 6).setDensity(42);
    sky.localVoxel(14, 4, 6).setDensity(42);
    EXPECT_EQ(42, readAndCheck(sky, x + 14, y + 5, z + 6, 0).density());

    datablock deep = block(DEEP);
    EXPECT_EQ(Voxel::FULLY_SOLID,
        readAndCheck(deep, deep.minX() + 3, deep.minY() + 3, deep.minZ() + 3, 2).density());
}

TEST_F(DatablockTest, AirSkipsClassificationAndNeighbourDensitiesAreKept)
{
    datablock sky = block(SKY);
    EXPECT_EQ(
        Voxel::AIR_MATERIAL, sky.getVoxel(sky.minX() + 10, sky.minY() + 10, sky.minZ() + 10)->material());
    // Classification would have computed the neighbours' densities.
    EXPECT_EQ(Voxel::UNCOMPUTED_DENSITY, sky.localVoxel(11, 10, 10).density());

    datablock deep = block(DEEP);
    deep.getVoxel(deep.minX() + 10, deep.minY() + 10, deep.minZ() + 10);
    Voxel& neighbour = deep.localVoxel(11, 10, 10);
    EXPECT_EQ(Voxel::FULLY_SOLID, neighbour.density());
    EXPECT_FALSE(neighbour.isGenerated());
    // A kept density is not computed again: one set in between survives.
    neighbour.setDensity(99);
    EXPECT_EQ(99, deep.getVoxel(deep.minX() + 11, deep.minY() + 10, deep.minZ() + 10)->density());
}

TEST_F(DatablockTest, FaceNeighboursOutsideCountAsGroundAndAsTheVoxelItself)
{
    datablock b(&analyzer, "block", 0, 25, 0); // on the +y axis, so up is almost +y
    forEachVoxel(b, [&](int x, int y, int z) { b.localVoxel(x, y - 500, z).setDensity(50); });

    // In air on a face with ground all around inside the block: buried.
    b.localVoxel(0, 5, 5).setDensity(-50);
    b.localVoxel(19, 5, 5).setDensity(-50);
    EXPECT_EQ(VoxelKind::Buried, analyzer.AnalyzeVoxel(b, 0, 5, 5, 0.5));
    EXPECT_EQ(VoxelKind::Buried, analyzer.AnalyzeVoxel(b, 19, 5, 5, 0.5));
    // Past the +y face lies another block, not the next row of this one.
    b.localVoxel(5, 19, 5).setDensity(-50);
    b.localVoxel(6, 0, 5).setDensity(Voxel::FULLY_AIR);
    EXPECT_EQ(VoxelKind::Buried, analyzer.AnalyzeVoxel(b, 5, 19, 5, 0.5));

    // Air above: the slope across the face is flat (the outside takes the
    // voxel's own density), so the surface faces up.
    b.localVoxel(0, 5, 5).setDensity(50);
    b.localVoxel(0, 6, 5).setDensity(Voxel::FULLY_AIR);
    EXPECT_EQ(VoxelKind::TopSurface, analyzer.AnalyzeVoxel(b, 0, 5, 5, 0.5));
    // Air beside or below instead: steep.
    b.localVoxel(0, 6, 5).setDensity(50);
    b.localVoxel(0, 5, 6).setDensity(Voxel::FULLY_AIR);
    EXPECT_EQ(VoxelKind::SteepSurface, analyzer.AnalyzeVoxel(b, 0, 5, 5, 0.5));
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
        for (int i = 0; i < 1500; ++i)
            readAndCheck(b, b.minX() + local(random), b.minY() + local(random), b.minZ() + local(random));
        int air = 0;
        forEachVoxel(b, [&](int x, int y, int z) { air += readAndCheck(b, x, y, z).density() < 0; });
        EXPECT_GT(air, 0) << "block " << at[0] << " " << at[1] << " " << at[2] << " is not at the surface";
        EXPECT_LT(air, 8000) << "block " << at[0] << " " << at[1] << " " << at[2] << " is not at the surface";
    }
}

TEST_F(DatablockTest, ThreadsReadingOneBlockGenerateEachVoxelOnce)
{
    datablock b = block(SURFACE);
    const double before = voxelsGenerated();
    std::vector<std::thread> readers;
    for (int step : { 1, 7, 7999 }) // coprime to 8000: each thread walks the block in its own order
        readers.emplace_back([&b, step] {
            for (int i = 0; i < 8000; ++i) {
                const int index = i * step % 8000;
                b.getVoxel(b.minX() + index / 400, b.minY() + index / 20 % 20, b.minZ() + index % 20);
            }
        });
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(before + 8000.0, voxelsGenerated());
}
