#include "Terrain/FarTerrain.h"

#include "Graphics/TerrainTextureRegistry.h"
#include "World/ManagerFixture.h"
#include "World/Planet.h"
#include "World/Vox.h"
#include "World/Voxel.h"
#include "World/datablock.h"

#include <array>
#include <cmath>
#include <map>

// The far level over a new world, built in full as the update thread builds it.
class FarTerrainTest : public ManagerFixture
{
protected:
    using Point = std::array<long long, 3>;

    void SetUp() override { TerrainTextureRegistry::getInstance().addTerrainLayers(); }
    void build(FarTerrain& far)
    {
        while (far.work(lock, std::chrono::seconds(1)))
            ;
    }
    static Point keyOf(const Vector3& p)
    {
        return { std::llround(p.x * 1024), std::llround(p.y * 1024), std::llround(p.z * 1024) };
    }
    // The grid point nearest to r along a direction.
    static VoxelPosition along(const Vector3& direction, double r)
    {
        const Vector3 p = direction.normalise() * r;
        const auto snap
            = [](double v) { return static_cast<int>(std::lround(v / FarTerrain::STEP)) * FarTerrain::STEP; };
        return { snap(p.x), snap(p.y), snap(p.z) };
    }

    std::mutex lock;
};

TEST_F(FarTerrainTest, SamplesAreTheVoxelsAndTheMeshIsClosed)
{
    auto manager = open(64);
    FarTerrain far(*manager);
    // Every directed edge of every chunk's triangles, by position: the surface
    // is closed and consistently wound when each is met as often as its
    // reverse. (A sample of density 0 pinches the surface to a point, where
    // triangles collapse and edges meet more than twice.)
    std::map<std::pair<Point, Point>, int> edges;
    // The sea's surface lies at the sea level and faces up, wherever its
    // chunk lies.
    const Planet& planet = manager->planet();
    int seaVertices = 0;
    far.meshBuilt = [&](const VoxelBox&, const Mesh& mesh, bool sea) {
        if (sea) {
            for (const MeshVertex& v : mesh.vertices) {
                EXPECT_NEAR(planet.heightAt(v.position), planet.seaLevel, 0.05);
                EXPECT_GT(v.normal.dot(planet.upAt(v.position)), 0.999);
            }
            seaVertices += static_cast<int>(mesh.vertices.size());
            return;
        }
        for (const MeshTriangle& t : mesh.triangles)
            for (int i = 0; i < 3; ++i) {
                const Point from = keyOf(mesh.vertices[t.index[i]].position);
                const Point to = keyOf(mesh.vertices[t.index[(i + 1) % 3]].position);
                if (from != to)
                    ++edges[{ from, to }];
            }
    };
    const int nodesBefore = manager->nodeCount();
    build(far);
    EXPECT_EQ(manager->nodeCount(), nodesBefore) << "the far level creates no blocks";
    ASSERT_GT(edges.size(), 100000u);
    int open = 0;
    for (const auto& [edge, count] : edges) {
        const auto reverse = edges.find({ edge.second, edge.first });
        open += reverse == edges.end() || reverse->second != count;
    }
    EXPECT_EQ(open, 0) << "of " << edges.size() << " edges";
    EXPECT_GT(seaVertices, 1000);

    // Deep rock, open air and the outermost ground along several
    // directions with the air above it, read through the data manager after
    // the far level (each the first voxel read in its block, or in a block
    // the manager already held).
    int surface = 0;
    for (const Vector3& direction :
        { Vector3(1, 0, 0), Vector3(-1, 0, 0), Vector3(0, 1, 0), Vector3(0, -1, 0), Vector3(0, 0, 1),
            Vector3(0, 0, -1), Vector3(1, 1, 1), Vector3(-3, 1, 2), Vector3(2, -5, 1) }) {
        double ground = 700.0;
        for (VoxelPosition p = along(direction, ground); far.sampleAt(p.x, p.y, p.z).density < 0;
             p = along(direction, ground))
            ground -= 1.0;
        for (double r : { 120.0, 400.0, ground, ground + 8.0, 700.0 }) {
            const VoxelPosition p = along(direction, r);
            const FarSampler::Sample sample = far.sampleAt(p.x, p.y, p.z);
            Vox voxel(*manager, p.x, p.y, p.z);
            EXPECT_EQ(sample.density, voxel.density()) << p.x << " " << p.y << " " << p.z;
            if (sample.material != Voxel::UNGENERATED_MATERIAL) {
                EXPECT_EQ(sample.material, voxel.material()) << p.x << " " << p.y << " " << p.z;
                surface += sample.material != Voxel::AIR_MATERIAL;
            }
        }
    }
    EXPECT_GE(surface, 9) << "ground samples with their materials";
}
TEST_F(FarTerrainTest, EditsReachTheFarLevelFromTheCacheAndFromTheirFiles)
{
    auto manager = open(16);
    FarTerrain far(*manager);
    build(far);
    // The first ground sample down the -z axis, dug out.
    VoxelPosition dug = along({ 0, 0, -1 }, 640.0);
    while (far.sampleAt(dug.x, dug.y, dug.z).density < 0)
        dug.z += FarTerrain::STEP;
    std::vector<VoxelBox> remeshed;
    far.meshBuilt = [&](const VoxelBox& chunk, const Mesh&, bool) { remeshed.push_back(chunk); };
    Vox(*manager, dug.x, dug.y, dug.z).density(Voxel::FULLY_AIR);
    far.markDirty(dug.x, dug.y, dug.z);
    build(far);
    EXPECT_EQ(far.sampleAt(dug.x, dug.y, dug.z).density, Voxel::FULLY_AIR);
    ASSERT_FALSE(remeshed.empty());
    for (const VoxelBox& chunk : remeshed)
        EXPECT_TRUE(chunk.contains(dug.x, dug.y, dug.z));

    // Once the edited block has left the cache, its file is read.
    for (int n = 0; n < 40; ++n)
        Vox(*manager, 0, 520 + 20 * n, 0);
    const int bx = datablock::blockCoordinate(dug.x), by = datablock::blockCoordinate(dug.y),
              bz = datablock::blockCoordinate(dug.z);
    ASSERT_FALSE(manager->findNode(bx, by, bz));
    EXPECT_EQ(FarSampler(*manager).sample(dug.x, dug.y, dug.z).density, Voxel::FULLY_AIR);
    EXPECT_FALSE(manager->findNode(bx, by, bz)) << "read apart from the cache";
}
