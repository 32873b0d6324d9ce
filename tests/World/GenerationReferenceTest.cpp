#include "GenerationFixture.h"

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct Read
{
    int x, y, z;
    // A density written before the voxel was ever generated; NO_WRITE reads only.
    int density;
};
constexpr int NO_WRITE = 1000;

} // namespace

// The generator must store exactly what the plain per-voxel generator below
// stores, for every sequence of reads, whatever it caches or skips: the same
// density and material of every voxel read, and the same density kept for a
// neighbour that classification computed with the centre's climate.
class GenerationReferenceTest : public GenerationFixture
{
protected:
    // The generation of one voxel written out plainly: the zone and density at
    // its point, then the classification from its six face neighbours.
    void generatePlainly(datablock& b, int lx, int ly, int lz, double climate)
    {
        Voxel& voxel = b.localVoxel(lx, ly, lz);
        if (voxel.isGenerated())
            return;
        const double x = b.minX() + lx, y = b.minY() + ly, z = b.minZ() + lz;
        const ClimateZone* zone = nullptr;
        if (voxel.density() == Voxel::UNCOMPUTED_DENSITY) {
            ClimateParams params;
            zone = &analyzer.zoneFor(&params, climate, x, y, z);
            voxel.setDensity(static_cast<int>(analyzer.densityAt(x, y, z, params) * 127.0));
        }
        if (voxel.density() == Voxel::FULLY_AIR) {
            voxel.setMaterial(Voxel::AIR_MATERIAL);
            return;
        }
        if (!zone)
            zone = &analyzer.zoneFor(nullptr, climate, x, y, z);
        voxel.setMaterial(zone->pickMaterial(classifyPlainly(b, lx, ly, lz, climate), x, y, z));
    }

    VoxelKind classifyPlainly(datablock& b, int lx, int ly, int lz, double climate)
    {
        const int offsets[6][3]
            = { { 1, 0, 0 }, { -1, 0, 0 }, { 0, 1, 0 }, { 0, -1, 0 }, { 0, 0, 1 }, { 0, 0, -1 } };
        const double own = b.localVoxel(lx, ly, lz).density() / 127.0;
        double value[6];
        bool buried = true;
        for (int i = 0; i < 6; ++i) {
            const int n[3] = { lx + offsets[i][0], ly + offsets[i][1], lz + offsets[i][2] };
            if (n[0] < 0 || n[0] > 19 || n[1] < 0 || n[1] > 19 || n[2] < 0 || n[2] > 19) {
                value[i] = own;
                continue;
            }
            Voxel& neighbour = b.localVoxel(n[0], n[1], n[2]);
            if (neighbour.density() == Voxel::UNCOMPUTED_DENSITY) {
                const double x = b.minX() + n[0], y = b.minY() + n[1], z = b.minZ() + n[2];
                ClimateParams params;
                analyzer.zoneFor(&params, climate, x, y, z);
                value[i] = analyzer.densityAt(x, y, z, params);
                neighbour.setDensity(static_cast<int>(value[i] * 127.0));
            } else {
                value[i] = neighbour.density() / 127.0;
            }
            buried = buried && value[i] >= 0.0;
        }
        if (buried)
            return VoxelKind::Buried;
        const Vector3 g = Vector3(value[1] - value[0], value[3] - value[2], value[5] - value[4]).normalise();
        return g.dot(planet.upAt(b.minX() + lx, b.minY() + ly, b.minZ() + lz)) > 0.75
            ? VoxelKind::TopSurface
            : VoxelKind::SteepSurface;
    }

    // Replays the reads on blocks at the given coordinates, once through the
    // generator and once plainly, and compares every voxel of every block.
    void expectSameAsPlain(const std::vector<std::array<int, 3>>& at, const std::vector<Read>& reads)
    {
        std::vector<std::unique_ptr<datablock>> generated, plain;
        for (const auto& b : at) {
            generated.push_back(std::make_unique<datablock>(&analyzer, "generated", b[0], b[1], b[2]));
            plain.push_back(std::make_unique<datablock>(&analyzer, "plain", b[0], b[1], b[2]));
        }
        const double before = voxelsGenerated();
        int fresh = 0;
        for (const Read& read : reads)
            for (std::size_t i = 0; i < at.size(); ++i) {
                datablock& g = *generated[i];
                datablock& p = *plain[i];
                const int lx = read.x - p.minX(), ly = read.y - p.minY(), lz = read.z - p.minZ();
                if (lx < 0 || lx > 19 || ly < 0 || ly > 19 || lz < 0 || lz > 19)
                    continue;
                Voxel& reference = p.localVoxel(lx, ly, lz);
                if (read.density != NO_WRITE && !reference.isGenerated()) {
                    // A density that is there before the voxel's generation, as a loaded block can hold.
                    g.localVoxel(lx, ly, lz).setDensity(read.density);
                    reference.setDensity(read.density);
                }
                fresh += !reference.isGenerated();
                generatePlainly(p, lx, ly, lz, p.climateAt(read.x, read.y, read.z));
                g.getVoxel(read.x, read.y, read.z);
            }
        EXPECT_EQ(before + fresh, voxelsGenerated());
        for (std::size_t i = 0; i < at.size(); ++i)
            for (int l = 0; l < 8000; ++l) {
                const Voxel& g = generated[i]->localVoxel(l / 400, l / 20 % 20, l % 20);
                const Voxel& p = plain[i]->localVoxel(l / 400, l / 20 % 20, l % 20);
                ASSERT_EQ(p.density(), g.density()) << "block " << i << " voxel " << l;
                ASSERT_EQ(p.material(), g.material()) << "block " << i << " voxel " << l;
            }
    }
};

TEST_F(GenerationReferenceTest, EveryStoredByteEqualsThePlainGenerator)
{
    // Surface blocks in every latitude zone and between them, in both overlay
    // zones and at their edges (the mountains of the second reach 100 units
    // up; the first ends at 0.3 across three blocks, the second starts at
    // 0.93 across one); blocks astride the heights beyond which the density is
    // fully air or fully solid whatever the noise; deep rock and high air.
    const std::vector<std::array<int, 3>> blocks = { { 17, 17, 0 }, { 25, 0, 0 }, { 24, 3, 2 }, { 0, 24, 3 },
        { 3, -24, 0 }, { 15, 19, -2 }, { -17, 10, 12 }, { 9, -14, -14 }, { 0, 7, -24 }, { -27, 0, -14 },
        { -29, 0, -15 }, { -9, 22, 6 }, { -8, 22, 8 }, { -7, 22, 9 }, { -19, 11, -12 }, { 32, 0, 0 },
        { 21, 0, 0 }, { 5, 5, 0 }, { 30, 30, 0 } };
    std::mt19937 random(1913);
    for (const auto& b : blocks) {
        const int x0 = b[0] * 20, y0 = b[1] * 20, z0 = b[2] * 20;
        std::vector<Read> inOrder, shuffled, sampled;
        for (int l = 0; l < 8000; ++l) {
            const Read read = { x0 + l / 400, y0 + l / 20 % 20, z0 + l % 20, NO_WRITE };
            inOrder.push_back(read);
            shuffled.push_back(read);
            // Every 4th voxel on each axis, as the coarse ring reads, and a few tool writes.
            if (l / 400 % 4 == 0 && l / 20 % 4 == 0 && l % 4 == 0)
                sampled.push_back(read);
            if (random() % 50 == 0)
                shuffled.back().density = static_cast<int>(random() % 255) - 127;
        }
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        for (const auto* reads : { &inOrder, &shuffled, &sampled }) {
            SCOPED_TRACE("block " + std::to_string(b[0]) + " " + std::to_string(b[1]) + " "
                + std::to_string(b[2])
                + (reads == &inOrder         ? " in order"
                        : reads == &shuffled ? " shuffled"
                                             : " sampled"));
            expectSameAsPlain({ b }, *reads);
        }
    }
    // Reads that jump between neighbouring blocks at random.
    std::vector<Read> mixed;
    std::uniform_int_distribution<int> x(340, 379), y(340, 359), z(-20, 19);
    for (int i = 0; i < 12000; ++i)
        mixed.push_back({ x(random), y(random), z(random), NO_WRITE });
    expectSameAsPlain({ { 17, 17, 0 }, { 18, 17, 0 }, { 17, 17, -1 }, { 18, 17, -1 } }, mixed);
}
